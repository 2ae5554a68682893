// What a front hands the core when a run starts: the items, the effect lines,
// the switches and clip lists as they were at Start, and the run's options.
// The core never reaches back into a front.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "effects/random_source.h"
#include "jobs/run_options.h"
#include "jobs/watermark.h"
#include "runner/media_info.h"

namespace mivora {

// The switches and clip lists of a front when its run started. Paths are
// full paths.
struct FrontChoices {
  bool intro = false;
  bool outro = false;
  bool blackScreen = true;  // overlay kind: black screen, else green screen
  std::vector<std::string> intros;
  std::vector<std::string> outros;
  std::vector<std::string> greenScreens;
  std::vector<std::string> blackScreens;
  std::vector<std::string> audios;
};

// One source of the job: a video, or a still image in image mode.
struct SourceItem {
  int item = 0;      // 1-based number in its list
  std::string path;  // full path
  std::string name;  // file name as listed
};

struct JobInputs {
  std::filesystem::path runDir;
  RunOptions options;
  std::vector<SourceItem> items;
  // The items (1-based numbers) this run makes, a shard of a batch; empty:
  // every item. Output names are given over the whole list either way.
  std::vector<int> onlyItems;
  std::vector<std::string> effectLines;
  FrontChoices choices;
  // Each item works in a folder of its own under runDir, as parallel items
  // must; otherwise the fixed work paths under runDir.
  bool ownWorkFolders = false;
  // Every item draws from a source seeded from this and its number; without
  // it, from the program's one shared source.
  std::optional<std::uint32_t> seed;
  // Every item draws from this source instead (one item at a time only).
  RandomSource* random = nullptr;
  // The font of the options' watermark, when enabled (found by the run's
  // machine checks).
  CjkFont watermarkFont;
  // The pictures' shapes of clip files, as read when the run began.
  std::map<std::string, VideoShape> clipShapes;
};

}  // namespace mivora
