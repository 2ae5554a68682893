#include "cli/batch_summary.h"

namespace mivora {

namespace {

const char* KindName(ItemOutcome::Kind kind) {
  switch (kind) {
    case ItemOutcome::Kind::kSucceeded:
      return "succeeded";
    case ItemOutcome::Kind::kFailed:
      return "failed";
    case ItemOutcome::Kind::kStopped:
      return "stopped";
    case ItemOutcome::Kind::kCouldNotStart:
      return "could_not_start";
    case ItemOutcome::Kind::kDiskFull:
      return "disk_full";
    case ItemOutcome::Kind::kUnwritable:
      return "output_unwritable";
  }
  return "failed";
}

nlohmann::json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::json(nullptr) : nlohmann::json(text);
}

}  // namespace

nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message) {
  nlohmann::json items = nlohmann::json::array();
  int succeeded = 0;
  for (const ItemResult& result : results) {
    if (result.kind == ItemOutcome::Kind::kSucceeded) ++succeeded;
    items.push_back(
        {{"item", result.item},
         {"source", result.source},
         {"effect_line", result.effectLine},
         {"outcome", KindName(result.kind)},
         // A stopped item never got a status of its own.
         {"status", result.kind == ItemOutcome::Kind::kStopped ? "stopped" : result.status},
         {"failed_step", TextOrNull(result.failedStep)},
         {"last_error", TextOrNull(result.lastError)},
         {"output",
          result.output.empty() ? nlohmann::json(nullptr) : nlohmann::json(result.output.string())},
         {"seconds", result.seconds}});
  }
  nlohmann::json summary = {
      {"home", options.runDir.string()},
      {"mode", options.videoMode ? "video" : "image"},
      {"engine", options.engine},
      {"seed", options.seed},
      {"jobs", options.jobs},
      {"shard", std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount)},
      {"all", options.all},
      {"interrupted", stopSignal != 0},
      {"succeeded", succeeded},
      {"failed", static_cast<int>(results.size()) - succeeded},
      {"items", items}};
  if (!message.empty()) summary["message"] = message;
  return summary;
}

int BatchExitCode(const std::vector<ItemResult>& results, int stopSignal) {
  if (stopSignal != 0) return 128 + stopSignal;
  for (const ItemResult& result : results) {
    if (result.kind != ItemOutcome::Kind::kSucceeded) return kExitFailed;
  }
  return kExitSucceeded;
}

}  // namespace mivora
