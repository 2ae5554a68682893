// The window's run settings: the run's options it offers ("处理方式",
// "同时处理", "无响应超时（秒）", "画面适配", "每个素材生成", "版本最小差异",
// "跳过已有成品", "声音", "人声压低音乐", "成品尺寸")
// and how many rows a run takes. They are saved and loaded through one table
// of settings keys, whose defaults are those of the run's options.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "jobs/job_inputs.h"
#include "jobs/run_options.h"

namespace mivora {

struct RunSettings {
  // The mode and the watermark have controls of their own; the rest is this
  // table's.
  RunOptions run;
  bool allItems = false;  // "处理全部素材"; else the first two rows
};

// A front's saved settings as texts under keys; nothing when a key was never
// saved.
using ReadSetting = std::function<std::optional<std::string>(std::string_view key)>;
using WriteSetting = std::function<void(std::string_view key, const std::string& value)>;

// The saved settings; a key never saved, or a value that is not one, keeps
// its default.
RunSettings LoadRunSettings(const ReadSetting& read);
void SaveRunSettings(const RunSettings& settings, const WriteSetting& write);

// What the window calls an engine of the engine table (the compiler asks for
// a caption when the table grows); the name itself for an unknown one.
std::string EngineCaption(std::string_view name);

// Rows a run takes (and an import lists) under these settings; -1: all.
int ItemLimit(const RunSettings& settings);

// Puts the settings into a run's inputs, whose mode the window has set from
// its switch; items at once never exceed the machine's cores, parallel items
// each get a work folder of their own, versions per source stay within
// 1..kMaxVariants, a stall timeout is never negative, and versions that
// must keep a least distance are fingerprinted.
void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs);

}  // namespace mivora
