#include "cli/batch_run.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>

#include "effects/effect_code.h"
#include "jobs/home_lists.h"
#include "jobs/run_check.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

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
    result.remade = outcome.remade;
    result.lastError = outcome.lastError;
    result.picks = outcome.picks;
    result.sound = outcome.sound;
    // A version drawn again finished with other effects than it started with.
    result.effectLine = plan.effects.names;
    result.fingerprint = outcome.fingerprint;
    result.nearest = outcome.nearest;
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
  inputs.options = options.run;
  inputs.effectLines = SplitEffectCode(options.effectCode);
  // The summary gives every output its fingerprint.
  inputs.fingerprints = true;
  inputs.ownWorkFolders = true;
  inputs.seed = options.seed;

  FrontChoices& choices = inputs.choices;
  choices.intro = options.intro;
  choices.outro = options.outro;
  choices.blackScreen = !options.greenScreen;
  choices.titles = options.titles;
  SourceFolder sources = ReadHomeLists(inputs, options.audioFolder, options.all);

  // Files of other kinds lie there unseen, so the messages say what is read.
  std::optional<RunRefusal> refusal = CheckLists(inputs);
  if (!refusal) return {};
  switch (refusal->kind) {
    case RunRefusal::Kind::kNoAudio:
      return refusal->message + "（只读取 .mp3 文件）";
    case RunRefusal::Kind::kNoItems:
      return refusal->message + "（只读取 " + sources.folder.string() + " 中的 " +
             sources.extension + " 文件）";
    default:
      return refusal->message;
  }
}

std::vector<int> ShardItems(int rowCount, int shardIndex, int shardCount) {
  std::vector<int> items;
  for (int position = 0; position < rowCount; ++position) {
    if (position % shardCount == shardIndex) items.push_back(position + 1);
  }
  return items;
}

bool ParseShard(const std::string& text, int& index, int& count) {
  char slash = 0;
  std::istringstream in(text);
  return static_cast<bool>(in >> index >> slash >> count) && slash == '/' && in.eof() &&
         count >= 1 && index >= 0 && index < count;
}

std::vector<ItemResult> RunBatch(const JobInputs& inputs, const std::vector<int>& items,
                                 RunToken& token, const BatchObserver& observer) {
  // The whole list goes to the core, so that names are given alike in every
  // shard; only `items` are made.
  JobInputs chosen = inputs;
  chosen.onlyItems = items;
  const std::vector<OutputId> outputs = RunOutputs(chosen);
  std::map<OutputId, ItemResult> byOutput;
  for (const OutputId& id : outputs) {
    auto source = std::find_if(inputs.items.begin(), inputs.items.end(),
                               [&id](const SourceItem& each) { return each.item == id.item; });
    byOutput[id].item = id.item;
    byOutput[id].variant = id.variant;
    byOutput[id].source = source->path;
  }
  BatchSink sink(observer, byOutput);
  RunItems(chosen, sink, token);

  std::vector<ItemResult> results;
  for (const OutputId& id : outputs) results.push_back(byOutput[id]);
  return results;
}

}  // namespace mivora
