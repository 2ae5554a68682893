#include "cli/batch_summary.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace mivora {

namespace {

// UTC to the millisecond, so that texts sort as times do: the report on
// several runs tells the later run from it.
std::string UtcNow() {
  auto now = std::chrono::system_clock::now();
  std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[40];
  std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  std::snprintf(text + length, sizeof text - length, ".%03dZ", static_cast<int>(millis.count()));
  return text;
}

nlohmann::json TextOrNull(const std::string& text) {
  return text.empty() ? nlohmann::json(nullptr) : nlohmann::json(text);
}

// What the output was made with; clips not drawn (or not used) are null.
nlohmann::json PicksOf(const ItemResult& result) {
  const AssemblyPicks& picks = result.picks;
  return {{"effect_line", TextOrNull(result.effectLine)},
          {"intro", TextOrNull(picks.intro)},
          {"outro", TextOrNull(picks.outro)},
          {"overlay", TextOrNull(picks.overlay)},
          {"audio", TextOrNull(picks.audio)}};
}

// The nearest earlier version of the same source, null for none.
nlohmann::json NearestOf(const ItemResult& result) {
  if (!result.nearest) return nullptr;
  return {{"variant", result.nearest->variant},
          {"output", result.nearest->output.string()},
          {"distance", result.nearest->distance}};
}

}  // namespace

std::string ResultText(const ItemResult& result) {
  return result.kind == ItemOutcome::Kind::kStopped ? kStoppedText : result.status;
}

nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message) {
  nlohmann::json items = nlohmann::json::array();
  int succeeded = 0;
  int skipped = 0;
  int failed = 0;
  int stopped = 0;
  for (const ItemResult& result : results) {
    if (result.kind == ItemOutcome::Kind::kSucceeded) ++succeeded;
    if (result.kind == ItemOutcome::Kind::kSkipped) ++skipped;
    if (result.kind == ItemOutcome::Kind::kStopped) ++stopped;
    if (EndedInFailure(result.kind)) ++failed;
    items.push_back(
        {{"item", result.item},
         {"variant", result.variant},
         {"source", result.source},
         {"effect_line", result.effectLine},
         {"picks", PicksOf(result)},
         {"title", TextOrNull(result.picks.title)},
         {"sound", std::string(kSoundNames.NameOf(result.sound))},
         {"outcome", std::string(kOutcomeNames.NameOf(result.kind))},
         // A stopped item never got a status of its own.
         {"status", result.kind == ItemOutcome::Kind::kStopped ? "stopped" : result.status},
         {"failed_step", TextOrNull(result.failedStep)},
         {"last_error", TextOrNull(result.lastError)},
         {"output",
          result.output.empty() ? nlohmann::json(nullptr) : nlohmann::json(result.output.string())},
         {"seconds", result.seconds},
         {"fingerprint", TextOrNull(result.fingerprint)},
         {"closest", NearestOf(result)}});
    if (result.remade) items.back()["remade"] = true;
  }
  nlohmann::json summary = {
      {"home", options.runDir.string()},
      {"mode", options.run.videoMode ? "video" : "image"},
      {"engine", std::string(kEngineNames.NameOf(options.run.engine))},
      {"seed", options.seed},
      {"jobs", options.run.jobs},
      {"variants", options.run.variants},
      {"min_distance", options.run.minDistance},
      {"skip_existing", options.run.skipExisting},
      {"shard", std::to_string(options.shardIndex) + "/" + std::to_string(options.shardCount)},
      {"all", options.all},
      {"interrupted", stopSignal != 0},
      {"finished_at", UtcNow()},
      {"succeeded", succeeded},
      {"skipped", skipped},
      {"failed", failed},
      {"stopped", stopped},
      {"items", items}};
  if (!message.empty()) summary["message"] = message;
  return summary;
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
