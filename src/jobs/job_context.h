// Everything a job needs for one run: the window (gated by the run's stop and
// pause), the tools, the work paths, the random source, the effect lines and
// the engine that drives the encoder.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_ops.h"
#include "effects/random_source.h"
#include "jobs/gated_window.h"
#include "jobs/work_paths.h"
#include "runner/tool.h"

namespace mivora {

class ClipEngine;

struct JobContext {
  GatedWindow& window;
  ToolEnv tools;  // its window is `window`, its token the run's token
  WorkPaths paths;
  RandomSource& random;
  std::vector<std::string> effectLines;
  ClipEngine& engine;
  // The job's last step: idle buttons and the end of the run.
  std::function<void()> stopRun;
  // Progress for the command line: item number and a short step text.
  std::function<void(int item, std::string_view step)> onStep;

  void Step(int item, std::string_view step) const {
    if (onStep) onStep(item, step);
  }
};

// What the assembly picked for one item, read from the window when needed.
struct AssemblyPicks {
  std::string intro;        // full path, empty when none is added
  std::string outro;        // full path, empty when none is added
  bool blackScreen = true;  // overlay kind
  std::string overlay;      // full path, empty when the chosen list is empty
  std::string audio;        // full path (the audio list may not be empty)
  std::filesystem::path outputFolder;
};

// A segment of the walk's folder, as the join takes them.
std::vector<std::filesystem::path> CollectSegments(const std::filesystem::path& tempFolder);

}  // namespace mivora
