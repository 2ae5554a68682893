// The jobs over the in-memory window, driven as the Start button drives them:
// inputs read from the window, events shown by the window's presenter.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/job_presenter.h"
#include "app/memory_window.h"
#include "jobs/step_engine.h"
#include "jobs/clip_jobs.h"
#include "jobs/item_run.h"
#include "media/work_folders.h"
#include "support/temp_dir.h"

namespace mivora::test {

struct JobHarness {
  explicit JobHarness(
      std::vector<std::string> lines = {"特效12-特效29-特效38-特效66-特效63-特效64"})
      : effectLines(std::move(lines)) {
    PrepareWorkFolders(home.path());
  }

  void AddRow(ListView list, const std::string& path) {
    int row = window.AppendRow(list);
    window.SetCellText(list, row, kNumberColumn, std::to_string(row + 1));
    window.SetCellText(list, row, kPathColumn, path);
    window.SetCellText(list, row, kNameColumn, std::filesystem::path(path).filename().string());
  }

  // The log without the window's default text.
  std::string Log() {
    std::string log = window.ControlText(TextBox::编辑框_日志);
    return log.substr(std::string(kDefaultLogText).size());
  }

  JobInputs Inputs(bool videoMode, int maxItems = 2) {
    JobInputs inputs = ReadJobInputs(window, home.path(), videoMode, effectLines, maxItems);
    inputs.engine = engineName;
    inputs.random = &random;
    inputs.stallTimeoutMs = stallTimeoutMs;
    return inputs;
  }

  // The Start button's job, ending as the run control ends it.
  JobEnd Job(bool videoMode) {
    JobPresenter presenter(window);
    JobEnd end = RunClipJob(Inputs(videoMode), presenter, token);
    presenter.JobEnded(end);
    if (end.kind != JobEnd::Kind::kStopped) ++stopCalls;
    return end;
  }
  JobEnd VideoClipJob() { return Job(true); }
  JobEnd ImageClipJob() { return Job(false); }

  // One item of the mode's list, as a job runs it.
  ItemOutcome Item(bool videoMode, int item) {
    JobInputs inputs = Inputs(videoMode, item);
    inputs.items.erase(inputs.items.begin(), inputs.items.begin() + (item - 1));
    JobPresenter presenter(window);
    return RunItems(inputs, presenter, token).at(0);
  }
  ItemOutcome ProcessVideoItem(int item) { return Item(true, item); }
  ItemOutcome ProcessImageItem(int item) { return Item(false, item); }

  // A run of item `item` for calling an engine directly, reporting to the
  // window; the plan takes the first effect line.
  ItemRun& Run(int item = 1, std::string outputName = "a.mp4") {
    runInputs = Inputs(true);
    plans.push_back(std::make_unique<ItemPlan>());
    ItemPlan& plan = *plans.back();
    plan.item = item;
    plan.outputName = std::move(outputName);
    plan.paths = WorkPaths::ForRunDir(home.path());
    runs.push_back(std::make_unique<ItemRun>(plan, runInputs, random, token, gate));
    return *runs.back();
  }

  // Tools that show their console text in the window's output box.
  ToolEnv Tools() {
    return ToolEnv{home.path(), token,
                   [this](const std::string& text) { window.SetOutputText(text); }};
  }

  TempDir home;
  MemoryWindow window;
  RunToken token;
  RandomSource random{4242};
  std::vector<std::string> effectLines;
  std::string engineName = "steps";
  int stallTimeoutMs = 60000;
  StepEngine engine;
  int stopCalls = 0;

  JobPresenter presenter{window};
  EventGate gate{presenter, token};
  JobInputs runInputs;
  std::vector<std::unique_ptr<ItemPlan>> plans;
  std::vector<std::unique_ptr<ItemRun>> runs;
};

}  // namespace mivora::test
