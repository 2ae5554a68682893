// The window's run settings: which engine, how many rows, how many items at
// once and when a silent encoder counts as stalled. With the defaults a run
// takes the first two rows, one at a time, with the core's default engine.
#pragma once

#include <string>
#include <string_view>

#include "jobs/engine_names.h"
#include "jobs/job_inputs.h"

namespace mivora {

struct RunSettings {
  std::string engine{kDefaultEngine};  // "处理方式": a name of the engine table
  bool allItems = false;               // "处理全部素材"; else the first two rows
  int jobs = 1;           // "同时处理": items at once
  int stallTimeoutSeconds = 60;
  FitMode fit = kDefaultFitMode;  // "画面适配"
  int variants = 1;               // "每个素材生成": finished videos per source
  bool skipExisting = false;      // "跳过已有成品"
};

// What the window calls an engine of the engine table (the compiler asks for
// a caption when the table grows); the name itself for an unknown one.
std::string EngineCaption(std::string_view name);

// Rows a run takes (and an import lists) under these settings; -1: all.
int ItemLimit(const RunSettings& settings);

// Puts the settings into a run's inputs; items at once never exceed the
// machine's cores, parallel items each get a work folder of their own, and
// versions per source stay within 1..kMaxVariants.
void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs);

}  // namespace mivora
