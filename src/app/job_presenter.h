// The window's view of a run: turns the core's events into the status cells,
// log lines, progress, output box and message boxes the window shows, and
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

// The status of an item that was stopped before it ended.
inline constexpr char kStoppedStatus[] = "已停止";

// The switches and clip lists as the window shows them now.
FrontChoices ReadChoices(WindowOps& window);

// The Start button's job inputs, read once: the first `maxItems` rows of the
// mode's list, the switches and the clip lists.
JobInputs ReadJobInputs(WindowOps& window, const std::filesystem::path& runDir, bool videoMode,
                        std::vector<std::string> effectLines, int maxItems);

class JobPresenter : public JobSink {
 public:
  // Whether an item's log lines start with its number and name, so lines of
  // items running side by side can be told apart.
  enum class LogLines { kPlain, kNamed };

  // `itemCount`: the items of the run, for its progress (0: none shown); with
  // several versions per item the progress counts the versions.
  explicit JobPresenter(WindowOps& window, int itemCount = 0, LogLines lines = LogLines::kPlain)
      : window_(window), itemCount_(itemCount), lines_(lines) {}

  void ItemStarted(const ItemPlan& plan) override;
  void StepStarted(const ItemPlan& plan, std::string_view step) override;
  void Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) override;
  void Log(const ItemPlan& plan, std::string_view line) override;
  void RunLog(std::string_view line) override;
  void ClipUnreadable(const std::string& path) override;
  void ConsoleOutput(const std::string& text) override;
  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override;

  // A run begins: every status cell is emptied and the log gets a separator
  // line with the time.
  void RunStarted();
  // The run's effect lines, from which the work of an output not yet begun
  // is guessed (see run_estimate.h).
  void GuessWork(const std::vector<std::string>& effectLines);
  // The end of the Start button's job: its log line, the progress and the
  // message, with the count of failures when there were any.
  void JobEnded(const JobEnd& end);
  // The run was stopped: the log and the clock say so, with the count done.
  void JobStopped();

 private:
  // How far one running item is: its share reached when its current step
  // began, and what it shows now. Neither ever goes back.
  struct ItemShare {
    double stepBase = 0;
    double shown = 0;
    // Its work, and how much of it is done as its steps tell it: each step
    // with a length may be the last, which is the whole of a one-pass encode.
    double work = 0;
    double measuredBase = 0;
    double measured = 0;
  };

  void ShowProgress();
  std::string Named(const ItemPlan& plan, std::string_view line) const;
  // A row whose source makes several versions: its cell counts them.
  void VersionFinished(const ItemPlan& plan, const ItemOutcome& outcome, ListView list);
  // Finished videos the run makes: items times versions.
  int Outputs() const { return itemCount_ * variants_; }

  WindowOps& window_;
  const int itemCount_;
  const LogLines lines_;
  int variants_ = 1;  // finished videos per row
  int itemsDone_ = 0;
  int itemsFailed_ = 0;
  double shownFraction_ = 0;
  double guessedWork_ = 1;  // of an output not yet begun
  double endedWork_ = 0;    // what the ended outputs did
  int outputsEnded_ = 0;    // skipped ones too
  // The running outputs, by row and version.
  std::map<std::pair<int, int>, ItemShare> running_;
  // Per row with versions: how many ended, how many made, the failures' texts.
  struct VersionTally {
    int ended = 0;
    int made = 0;
    std::string failures;
  };
  std::map<int, VersionTally> tallies_;
};

}  // namespace mivora
