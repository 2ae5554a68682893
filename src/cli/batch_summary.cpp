#include "cli/batch_summary.h"

namespace mivora {

std::string ResultText(const ItemResult& result) {
  return result.kind == ItemOutcome::Kind::kStopped ? kStoppedText : result.status;
}

nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message) {
  SummaryRun run;
  run.home = options.runDir;
  run.options = options.run;
  run.seed = options.seed;
  run.shardIndex = options.shardIndex;
  run.shardCount = options.shardCount;
  run.all = options.all;
  run.interrupted = stopSignal != 0;
  return RunSummary(run, results, message);
}

int BatchExitCode(const std::vector<ItemResult>& results, int stopSignal) {
  if (stopSignal != 0) return 128 + stopSignal;
  for (const ItemResult& result : results) {
    if (result.kind != ItemOutcome::Kind::kSucceeded && result.kind != ItemOutcome::Kind::kSkipped)
      return kExitFailed;
  }
  return kExitSucceeded;
}

}  // namespace mivora
