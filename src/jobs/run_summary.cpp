#include "jobs/run_summary.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "jobs/engine_names.h"

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

std::string Text(const nlohmann::json& object, const char* key) {
  auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
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

nlohmann::json SummaryItem(const ItemResult& result, const Canvas& canvas) {
  nlohmann::json item = {
      {"item", result.item},
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
      {"size", result.output.empty() ? nlohmann::json(nullptr) : nlohmann::json(FrameSize(canvas))},
      {"fingerprint", TextOrNull(result.fingerprint)},
      {"closest", NearestOf(result)}};
  if (result.remade) item["remade"] = true;
  return item;
}

std::optional<ItemResult> ResultOfSummaryItem(const nlohmann::json& item) {
  if (!item.is_object() || !item.contains("item") || !item["item"].is_number_integer())
    return std::nullopt;
  std::optional<ItemOutcome::Kind> kind = kOutcomeNames.Parse(Text(item, "outcome"));
  ItemResult result;
  result.source = Text(item, "source");
  if (!kind || result.source.empty()) return std::nullopt;
  result.kind = *kind;
  result.item = item["item"].get<int>();
  auto variant = item.find("variant");
  if (variant != item.end() && variant->is_number_integer()) result.variant = variant->get<int>();
  result.effectLine = Text(item, "effect_line");
  if (auto picks = item.find("picks"); picks != item.end() && picks->is_object()) {
    result.picks.intro = Text(*picks, "intro");
    result.picks.outro = Text(*picks, "outro");
    result.picks.overlay = Text(*picks, "overlay");
    result.picks.audio = Text(*picks, "audio");
  }
  result.picks.title = Text(item, "title");
  result.status = *kind == ItemOutcome::Kind::kStopped ? std::string() : Text(item, "status");
  result.failedStep = Text(item, "failed_step");
  result.lastError = Text(item, "last_error");
  result.output = Text(item, "output");
  result.seconds = item.value("seconds", 0.0);
  result.fingerprint = Text(item, "fingerprint");
  result.remade = item.value("remade", false);
  result.sound = kSoundNames.Parse(Text(item, "sound")).value_or(SoundMode::kMusic);
  if (auto closest = item.find("closest"); closest != item.end() && closest->is_object()) {
    result.nearest = NearestVersion{closest->value("variant", 0), Text(*closest, "output"),
                                    closest->value("distance", 1.0)};
  }
  return result;
}

nlohmann::json RunSummary(const SummaryRun& run, const std::vector<ItemResult>& results,
                          const std::string& message) {
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
    items.push_back(SummaryItem(result, run.options.canvas));
  }
  nlohmann::json summary = {
      {"home", run.home.string()},
      {"mode", run.options.videoMode ? "video" : "image"},
      {"engine", std::string(kEngineNames.NameOf(run.options.engine))},
      {"size", FrameSize(run.options.canvas)},
      {"seed", run.seed ? nlohmann::json(*run.seed) : nlohmann::json(nullptr)},
      {"jobs", run.options.jobs},
      {"variants", run.options.variants},
      {"min_distance", run.options.minDistance},
      {"skip_existing", run.options.skipExisting},
      {"shard", std::to_string(run.shardIndex) + "/" + std::to_string(run.shardCount)},
      {"all", run.all},
      {"interrupted", run.interrupted},
      {"finished_at", UtcNow()},
      {"items", items}};
  if (run.ended) {
    summary["succeeded"] = succeeded;
    summary["skipped"] = skipped;
    summary["failed"] = failed;
    summary["stopped"] = stopped;
  }
  if (!message.empty()) summary["message"] = message;
  return summary;
}

bool ParseShard(const std::string& text, int& index, int& count) {
  char slash = 0;
  std::istringstream in(text);
  return static_cast<bool>(in >> index >> slash >> count) && slash == '/' && in.eof() &&
         count >= 1 && index >= 0 && index < count;
}

}  // namespace mivora
