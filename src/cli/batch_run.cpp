#include "cli/batch_run.h"

#include <algorithm>
#include <chrono>
#include <map>

#include "effects/effect_code.h"
#include "media/media_import.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

std::vector<std::string> Paths(const std::filesystem::path& folder, MediaKind kind) {
  return CollectMediaPaths(folder, ImportExtension(kind));
}

// Turns the core's events into item results and the observer's calls.
class BatchSink : public JobSink {
 public:
  BatchSink(const BatchObserver& observer, std::map<OutputId, ItemResult>& results)
      : observer_(observer), results_(results) {}

  void ItemStarted(const ItemPlan& plan) override {
    started_[Id(plan)] = std::chrono::steady_clock::now();
    results_[Id(plan)].effectLine = plan.effects.names;
    if (observer_.itemStarted) observer_.itemStarted(Id(plan), Label(plan));
  }
  void RunLog(std::string_view line) override {
    if (observer_.runLog) observer_.runLog(line);
  }
  void StepStarted(const ItemPlan& plan, std::string_view step) override {
    if (observer_.itemStep) observer_.itemStep(Id(plan), step);
  }
  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override {
    ItemResult& result = results_[Id(plan)];
    result.kind = outcome.kind;
    result.status = outcome.status;
    result.failedStep = outcome.failedStep;
    result.lastError = outcome.lastError;
    result.picks = outcome.picks;
    std::error_code error;
    if (outcome.done() && std::filesystem::is_regular_file(outcome.output, error))
      result.output = outcome.output;
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_[Id(plan)])
            .count();
    if (observer_.itemFinished) observer_.itemFinished(result);
  }

 private:
  static OutputId Id(const ItemPlan& plan) { return {plan.item, plan.variant}; }
  static std::string Label(const ItemPlan& plan) {
    return plan.variants > 1 ? plan.outputName : plan.name;
  }

  const BatchObserver& observer_;
  std::map<OutputId, ItemResult>& results_;
  std::map<OutputId, std::chrono::steady_clock::time_point> started_;
};

}  // namespace

std::string PrepareBatch(const BatchOptions& options, JobInputs& inputs) {
  const std::filesystem::path& home = options.runDir;
  PrepareWorkFolders(home);
  inputs = {};
  inputs.runDir = home;
  inputs.videoMode = options.videoMode;
  inputs.effectLines = SplitEffectCode(options.effectCode);
  inputs.engine = options.engine;
  inputs.jobs = options.jobs;
  inputs.skipExisting = options.skipExisting;
  inputs.variants = options.variants;
  inputs.ownWorkFolders = true;
  inputs.seed = options.seed;
  inputs.stallTimeoutSeconds = options.stallTimeoutSeconds;
  inputs.fit = options.fit;
  inputs.watermark = options.watermark;

  FrontChoices& choices = inputs.choices;
  choices.videoMode = options.videoMode;
  choices.intro = options.intro;
  choices.outro = options.outro;
  choices.blackScreen = !options.greenScreen;
  choices.intros = Paths(home / ImportFolderName(MediaKind::kIntros), MediaKind::kIntros);
  choices.outros = Paths(home / ImportFolderName(MediaKind::kOutros), MediaKind::kOutros);
  choices.greenScreens =
      Paths(home / ImportFolderName(MediaKind::kGreenScreens), MediaKind::kGreenScreens);
  choices.blackScreens =
      Paths(home / ImportFolderName(MediaKind::kBlackScreens), MediaKind::kBlackScreens);
  if (!options.audioFolder.empty()) choices.audios = Paths(options.audioFolder, MediaKind::kAudio);

  // The window's imports stop at two sources; a whole batch reads them all.
  MediaKind sources = options.videoMode ? MediaKind::kSourceVideos : MediaKind::kSourceImages;
  std::filesystem::path folder = home / ImportFolderName(sources);
  std::vector<std::string> names =
      CollectMediaNames(folder, ImportExtension(sources), options.all ? -1 : ImportLimit(sources));
  for (std::size_t i = 0; i < names.size(); ++i) {
    inputs.items.push_back({static_cast<int>(i) + 1, (folder / names[i]).string(), names[i]});
  }

  // The checks of Start, in its order, then the job's own check of its list.
  // Files of other kinds lie there unseen, so the messages say what is read.
  if (choices.audios.empty()) return "音频没有导入（只读取 .mp3 文件）";
  if (inputs.effectLines.empty()) return "特效代码不能为空";
  if (inputs.items.empty()) {
    return std::string(options.videoMode ? "视频剪辑没有导入" : "图片剪辑没有导入") + "（只读取 " +
           folder.string() + " 中的 " + ImportExtension(sources) + " 文件）";
  }
  return {};
}

std::vector<int> ShardItems(int rowCount, int shardIndex, int shardCount) {
  std::vector<int> items;
  for (int position = 0; position < rowCount; ++position) {
    if (position % shardCount == shardIndex) items.push_back(position + 1);
  }
  return items;
}

std::vector<ItemResult> RunBatch(const JobInputs& inputs, const std::vector<int>& items,
                                 RunToken& token, const BatchObserver& observer) {
  // The whole list goes to the core, so that names are given alike in every
  // shard; only `items` are made.
  JobInputs chosen = inputs;
  chosen.onlyItems = items;
  std::vector<OutputId> outputs;
  std::map<OutputId, ItemResult> byOutput;
  for (int item : items) {
    const SourceItem& source = inputs.items.at(static_cast<std::size_t>(item - 1));
    for (int variant = 1; variant <= std::max(1, inputs.variants); ++variant) {
      OutputId id{item, variant};
      outputs.push_back(id);
      byOutput[id].item = item;
      byOutput[id].variant = variant;
      byOutput[id].source = source.path;
    }
  }
  BatchSink sink(observer, byOutput);
  RunItems(chosen, sink, token);

  std::vector<ItemResult> results;
  for (const OutputId& id : outputs) results.push_back(byOutput[id]);
  return results;
}

}  // namespace mivora
