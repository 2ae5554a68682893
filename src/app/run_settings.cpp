#include "app/run_settings.h"

#include <algorithm>
#include <charconv>

namespace mivora {
namespace {

std::optional<int> ParseInt(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Settings files say "true"/"false"; hand-made ones may say 1/0.
std::optional<bool> ParseBool(std::string_view text) {
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return std::nullopt;
}

// A least distance between versions, 0 to 1; others are no value of it.
std::optional<double> ParseDistance(std::string_view text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (!(value >= 0 && value <= 1)) return std::nullopt;
  return value;
}

// The shortest text that reads back as the same number ("0.1", not "0.100000").
std::string DistanceText(double value) {
  char text[32];
  auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "0";
}

std::string BoolText(bool value) {
  return value ? "true" : "false";
}

// One saved setting: its key, its value as text, and the value read back
// (false when the text is no value of it, which then keeps the default).
struct SettingRow {
  std::string_view key;
  std::string (*text)(const RunSettings& settings);
  bool (*read)(std::string_view text, RunSettings& settings);
};

template <typename Value, typename Parse, typename Set>
bool ReadInto(std::string_view text, Parse parse, Set set) {
  std::optional<Value> value = parse(text);
  if (value) set(*value);
  return value.has_value();
}

// The keys are shared with whoever prepares a settings file.
const SettingRow kSettingRows[] = {
    {"run/engine",
     [](const RunSettings& s) { return std::string(kEngineNames.NameOf(s.run.engine)); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<EngineKind>(
           t, [](std::string_view n) { return kEngineNames.Parse(n); },
           [&s](EngineKind v) { s.run.engine = v; });
     }},
    {"run/allItems", [](const RunSettings& s) { return BoolText(s.allItems); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<bool>(t, ParseBool, [&s](bool v) { s.allItems = v; });
     }},
    {"run/jobs", [](const RunSettings& s) { return std::to_string(s.run.jobs); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<int>(t, ParseInt, [&s](int v) { s.run.jobs = v; });
     }},
    {"run/stallTimeout",
     [](const RunSettings& s) { return std::to_string(StallTimeoutSeconds(s.run)); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<int>(t, ParseInt,
                            [&s](int v) { s.run.stallTimeout = std::chrono::seconds(v); });
     }},
    {"run/variants", [](const RunSettings& s) { return std::to_string(s.run.variants); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<int>(t, ParseInt, [&s](int v) { s.run.variants = v; });
     }},
    {"run/skipExisting", [](const RunSettings& s) { return BoolText(s.run.skipExisting); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<bool>(t, ParseBool, [&s](bool v) { s.run.skipExisting = v; });
     }},
    {"run/minDistance", [](const RunSettings& s) { return DistanceText(s.run.minDistance); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<double>(t, ParseDistance, [&s](double v) { s.run.minDistance = v; });
     }},
    {"run/fit", [](const RunSettings& s) { return std::string(FitModeName(s.run.fit)); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<FitMode>(t, ParseFitMode, [&s](FitMode v) { s.run.fit = v; });
     }},
    {"run/sound",
     [](const RunSettings& s) { return std::string(kSoundNames.NameOf(s.run.sound.mode)); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<SoundMode>(
           t, [](std::string_view n) { return kSoundNames.Parse(n); },
           [&s](SoundMode v) { s.run.sound.mode = v; });
     }},
    {"run/duck", [](const RunSettings& s) { return BoolText(s.run.sound.duck); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<bool>(t, ParseBool, [&s](bool v) { s.run.sound.duck = v; });
     }},
    {"run/size", [](const RunSettings& s) { return FrameSize(s.run.canvas); },
     [](std::string_view t, RunSettings& s) {
       return ReadInto<Canvas>(t, ParseCanvasSize, [&s](const Canvas& v) { s.run.canvas = v; });
     }},
};

}  // namespace

RunSettings LoadRunSettings(const ReadSetting& read) {
  RunSettings settings;
  for (const SettingRow& row : kSettingRows) {
    if (std::optional<std::string> text = read(row.key)) row.read(*text, settings);
  }
  return settings;
}

void SaveRunSettings(const RunSettings& settings, const WriteSetting& write) {
  for (const SettingRow& row : kSettingRows) write(row.key, row.text(settings));
}

std::string EngineCaption(std::string_view name) {
  std::optional<EngineKind> kind = kEngineNames.Parse(name);
  if (!kind) return std::string(name);
  switch (*kind) {
    case EngineKind::kOnePass:
      return "一次编码（更快）";
    case EngineKind::kSteps:
      return "分步处理";
  }
  return std::string(name);
}

int ItemLimit(const RunSettings& settings) {
  return settings.allItems ? -1 : 2;
}

void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs) {
  const bool videoMode = inputs.options.videoMode;
  inputs.options = settings.run;
  inputs.options.videoMode = videoMode;
  RunOptions& run = inputs.options;
  run.jobs = std::clamp(run.jobs, 1, std::max(1, cores));
  run.stallTimeout = std::max(run.stallTimeout, std::chrono::milliseconds::zero());
  run.variants = std::clamp(run.variants, 1, kMaxVariants);
  run.minDistance = std::clamp(run.minDistance, 0.0, 1.0);
  inputs.ownWorkFolders = run.jobs > 1;
  // Versions are measured against each other only when they must keep a
  // distance: it costs one more encoder run per video.
  inputs.fingerprints = run.minDistance > 0 && run.variants > 1;
}

}  // namespace mivora
