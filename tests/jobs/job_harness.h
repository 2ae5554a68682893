// The jobs driven through the core's own types: sources and clip lists go
// straight into `JobInputs`, and a sink records what the core reports (the
// log lines, the console text, each item's plan and outcome) for the tests
// to check, with no window in between.
#pragma once

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/clip_jobs.h"
#include "jobs/item_run.h"
#include "jobs/step_engine.h"
#include "media/work_folders.h"
#include "support/temp_dir.h"

namespace mivora::test {

// Everything a run told its sink. Items may be reported from a worker while
// a test reads, hence the lock.
class RecordingSink : public JobSink {
 public:
  void RunLog(std::string_view line) override { Append(line); }
  void Log(const ItemPlan&, std::string_view line) override { Append(line); }
  void ConsoleOutput(const std::string& text) override {
    std::lock_guard lock(mutex_);
    console_ = text;
  }
  void ItemStarted(const ItemPlan& plan) override {
    std::lock_guard lock(mutex_);
    started_[plan.item] = plan;
  }
  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override {
    std::lock_guard lock(mutex_);
    finished_[plan.item] = outcome;
  }

  // The Log and RunLog lines joined, as they came.
  std::string LogText() const {
    std::lock_guard lock(mutex_);
    return log_;
  }
  std::string Console() const {
    std::lock_guard lock(mutex_);
    return console_;
  }
  // The last outcome of item `item` (1-based); none when it never ended.
  std::optional<ItemOutcome> Outcome(int item) const {
    std::lock_guard lock(mutex_);
    auto found = finished_.find(item);
    if (found == finished_.end()) return std::nullopt;
    return found->second;
  }
  // The status item `item` last ended with; empty when it never ended.
  std::string Status(int item) const {
    std::optional<ItemOutcome> outcome = Outcome(item);
    return outcome ? outcome->status : "";
  }
  // The plan item `item` last started with; none when it never started.
  std::optional<ItemPlan> Started(int item) const {
    std::lock_guard lock(mutex_);
    auto found = started_.find(item);
    if (found == started_.end()) return std::nullopt;
    return found->second;
  }
  // How many items ended, and how many of them without a finished video
  // (stopped ones are neither).
  int Ended() const {
    return Count([](const ItemOutcome& o) { return o.kind != Kind::kStopped; });
  }
  int Failed() const {
    return Count([](const ItemOutcome& o) { return o.kind != Kind::kStopped && !o.done(); });
  }

 private:
  using Kind = ItemOutcome::Kind;
  void Append(std::string_view line) {
    std::lock_guard lock(mutex_);
    log_ += line;
  }
  template <typename Pred>
  int Count(Pred pred) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& [item, outcome] : finished_) n += pred(outcome) ? 1 : 0;
    return n;
  }

  mutable std::mutex mutex_;
  std::string log_;
  std::string console_;
  std::map<int, ItemPlan> started_;
  std::map<int, ItemOutcome> finished_;
};

// The clip lists of `FrontChoices`, by name.
enum class Clips { kIntros, kOutros, kGreenScreens, kBlackScreens, kAudios };

struct JobHarness {
  explicit JobHarness(
      std::vector<std::string> lines = {"特效12-特效29-特效38-特效66-特效63-特效64"})
      : effectLines(std::move(lines)) {
    PrepareWorkFolders(home.path());
  }

  // A source of the job's list: a video, or a still in image mode.
  void AddSource(const std::string& path) {
    sources.push_back({static_cast<int>(sources.size()) + 1, path,
                       std::filesystem::path(path).filename().string()});
  }
  void AddClip(Clips list, const std::string& path) { ClipList(list).push_back(path); }
  std::vector<std::string>& ClipList(Clips list) {
    switch (list) {
      case Clips::kIntros:
        return choices.intros;
      case Clips::kOutros:
        return choices.outros;
      case Clips::kGreenScreens:
        return choices.greenScreens;
      case Clips::kBlackScreens:
        return choices.blackScreens;
      case Clips::kAudios:
        return choices.audios;
    }
    return choices.audios;
  }

  std::string Log() const { return sink.LogText(); }
  std::string Status(int item = 1) const { return sink.Status(item); }

  JobInputs Inputs(bool videoMode, int maxItems = 2) {
    JobInputs inputs;
    inputs.runDir = home.path();
    inputs.options.videoMode = videoMode;
    inputs.effectLines = effectLines;
    inputs.items.assign(sources.begin(),
                        sources.begin() + std::min<std::size_t>(sources.size(), maxItems));
    inputs.choices = choices;
    inputs.options.engine = *kEngineNames.Parse(engineName);
    inputs.random = &random;
    inputs.options.stallTimeout = std::chrono::milliseconds(stallTimeoutMs);
    return inputs;
  }

  // The Start button's job: the first two sources.
  JobEnd Job(bool videoMode) {
    JobEnd end = RunClipJob(Inputs(videoMode), sink, token);
    if (end.kind != JobEnd::Kind::kStopped) ++stopCalls;
    return end;
  }
  JobEnd VideoClipJob() { return Job(true); }
  JobEnd ImageClipJob() { return Job(false); }

  // One item of the list, as a job runs it.
  ItemOutcome Item(bool videoMode, int item) {
    JobInputs inputs = Inputs(videoMode, item);
    inputs.items.erase(inputs.items.begin(), inputs.items.begin() + (item - 1));
    return RunItems(inputs, sink, token).at(0);
  }
  ItemOutcome ProcessVideoItem(int item) { return Item(true, item); }
  ItemOutcome ProcessImageItem(int item) { return Item(false, item); }

  // A run of item `item` for calling an engine directly, reporting to the
  // sink; the plan takes the first effect line.
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

  // Tools whose console text the sink records.
  ToolEnv Tools() {
    return ToolEnv{home.path(), token,
                   [this](const std::string& text) { sink.ConsoleOutput(text); }};
  }

  TempDir home;
  RunToken token;
  RandomSource random{4242};
  std::vector<std::string> effectLines;
  std::vector<SourceItem> sources;
  FrontChoices choices;
  std::string engineName = "steps";
  int stallTimeoutMs = 60000;
  StepEngine engine;
  int stopCalls = 0;

  RecordingSink sink;
  EventGate gate{sink, token};
  JobInputs runInputs;
  std::vector<std::unique_ptr<ItemPlan>> plans;
  std::vector<std::unique_ptr<ItemRun>> runs;
};

}  // namespace mivora::test
