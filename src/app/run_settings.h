// The window's run settings: which engine, how many rows, how many items at
// once and when a silent encoder counts as stalled. With the defaults a run is
// what Start always did: the step engine on the first two rows, one at a time.
#pragma once

#include "jobs/job_inputs.h"

namespace mivora {

struct RunSettings {
  bool onePass = false;   // "一次编码（更快）"; else the step engine
  bool allItems = false;  // "处理全部素材"; else the first two rows
  int jobs = 1;           // "同时处理": items at once
  int stallTimeoutSeconds = 60;
  FitMode fit = kDefaultFitMode;  // "画面适配"
  int variants = 1;               // "每个素材生成": finished videos per source
  bool skipExisting = false;      // "跳过已有成品"
};

// Rows a run takes (and an import lists) under these settings; -1: all.
int ItemLimit(const RunSettings& settings);

// Puts the settings into a run's inputs; items at once never exceed the
// machine's cores, parallel items each get a work folder of their own, and
// versions per source stay within 1..kMaxVariants.
void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs);

}  // namespace mivora
