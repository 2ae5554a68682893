// The decided inputs of one item: what it renders, with which effects, where
// it works and under which name it is written. The intro, outro, overlay and
// audio picks are decided later, when the item first needs them (see
// ItemRun::Picks), so that they are drawn in the order the engines ask.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "effects/effect_code.h"
#include "jobs/work_paths.h"

namespace mivora {

// The clips one item is assembled with.
struct AssemblyPicks {
  std::string intro;        // full path, empty when none is added
  std::string outro;        // full path, empty when none is added
  bool blackScreen = true;  // overlay kind
  std::string overlay;      // full path, empty when the chosen list is empty
  std::string audio;        // full path
  std::filesystem::path outputFolder;
};

struct ItemPlan {
  int item = 0;  // 1-based number in its list
  // Which of its source's finished videos this is (1-based), of how many.
  int variant = 1;
  int variants = 1;
  bool videoMode = true;
  std::string source;      // the video, or the still image in image mode
  std::string name;        // the source's file name as listed
  std::string outputName;  // the finished video's file name
  // Image mode: the 15-second video made from the still, which the walk cuts.
  std::filesystem::path imageVideo;
  EffectPick effects;
  // One of several versions: its clips, drawn with its effect line when the
  // version starts so that its tuple differs from its siblings'. Otherwise
  // the clips are drawn when first needed.
  std::optional<AssemblyPicks> versionClips;
  WorkPaths paths;
};

}  // namespace mivora
