// The window's view of a run: turns the core's events into the status cells,
// log lines, output box and message boxes the window has always shown, and
// reads the job's inputs (items, switches, clip lists) from the window. The
// one place that knows which column of a list holds what.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/window_ops.h"
#include "jobs/clip_jobs.h"
#include "jobs/job_events.h"
#include "jobs/job_inputs.h"

namespace mivora {

// The column of a list that shows an item's status.
int StatusColumn(ListView list);

// The switches and clip lists as the window shows them now.
FrontChoices ReadChoices(WindowOps& window);

// The Start button's job inputs: the first `maxItems` rows of the mode's
// list, the switches and lists now and, later, as they are when a pick is due.
JobInputs ReadJobInputs(WindowOps& window, const std::filesystem::path& runDir, bool videoMode,
                        std::vector<std::string> effectLines, int maxItems);

class JobPresenter : public JobSink {
 public:
  // `itemCount`: the items of the run, for its progress (0: none shown); with
  // several versions per item the progress counts the versions.
  explicit JobPresenter(WindowOps& window, int itemCount = 0)
      : window_(window), itemCount_(itemCount) {}

  void ItemStarted(const ItemPlan& plan) override;
  void StepStarted(const ItemPlan& plan, std::string_view step) override;
  void Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) override;
  void Log(const ItemPlan& plan, std::string_view line) override;
  void RunLog(std::string_view line) override;
  void ConsoleOutput(const std::string& text) override;
  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override;

  // The end of the Start button's job: its log line and message, if any.
  void JobEnded(const JobEnd& end);

 private:
  void ShowProgress();
  // A row whose source makes several versions: its cell counts them.
  void VersionFinished(const ItemPlan& plan, const ItemOutcome& outcome, ListView list);

  WindowOps& window_;
  const int itemCount_;
  int variants_ = 1;  // finished videos per row
  int itemsDone_ = 0;
  // The running outputs' (row, version) share of their current step that is encoded.
  std::map<std::pair<int, int>, double> running_;
  // Per row with versions: how many ended, how many made, the failures' texts.
  struct VersionTally {
    int ended = 0;
    int made = 0;
    std::string failures;
  };
  std::map<int, VersionTally> tallies_;
};

}  // namespace mivora
