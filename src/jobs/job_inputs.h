// What a front hands the core when a run starts: the items, the effect lines,
// the switches and clip lists, the engine and how many items run at once.
// The core never reaches back into a front except through `choicesNow`,
// asked at the moment a pick is due.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "effects/random_source.h"
#include "jobs/engine_names.h"
#include "jobs/framing.h"
#include "jobs/title_text.h"
#include "jobs/watermark.h"
#include "runner/media_info.h"

namespace mivora {

// The switches and clip lists of a front at one moment. Paths are full paths.
struct FrontChoices {
  bool videoMode = true;  // finished videos go to the video output folder
  bool intro = false;
  bool outro = false;
  bool blackScreen = true;  // overlay kind: black screen, else green screen
  std::vector<std::string> intros;
  std::vector<std::string> outros;
  std::vector<std::string> greenScreens;
  std::vector<std::string> blackScreens;
  std::vector<std::string> audios;
  // The title list and how a title is drawn; the window holds the switch
  // still while a run goes on.
  TitleOptions title;
};

// One source of the job: a video, or a still image in image mode.
struct SourceItem {
  int item = 0;      // 1-based number in its list
  std::string path;  // full path
  std::string name;  // file name as listed
};

// The most versions of one source a run makes.
inline constexpr int kMaxVariants = 99;

struct JobInputs {
  std::filesystem::path runDir;
  bool videoMode = true;
  std::vector<SourceItem> items;
  // The items (1-based numbers) this run makes, a shard of a batch; empty:
  // every item. Output names are given over the whole list either way.
  std::vector<int> onlyItems;
  // Finished videos per item (1..kMaxVariants); the versions of an item
  // differ in their picks.
  int variants = 1;
  std::vector<std::string> effectLines;
  FrontChoices choices;
  // Asked again whenever a pick is due, so a switch changed during a run
  // counts from then on; empty: `choices` hold for the whole run.
  std::function<FrontChoices()> choicesNow;
  std::string engine{kDefaultEngine};  // a name of the engine table
  int jobs = 1;                        // items at once
  // An output whose finished file already exists is not made again (a batch
  // resumed after an interruption).
  bool skipExisting = false;
  // Each item works in a folder of its own under runDir, as parallel items
  // must; otherwise the fixed work paths under runDir.
  bool ownWorkFolders = false;
  // Every item draws from a source seeded from this and its number; without
  // it, from the program's one shared source.
  std::optional<std::uint32_t> seed;
  // Every item draws from this source instead (one item at a time only).
  RandomSource* random = nullptr;
  // An encoder that makes no progress for this long is stopped; 0: never.
  // The fronts' options say seconds; milliseconds here let tests wait less.
  int stallTimeoutMs = 60'000;
  // How pictures of another shape than 9:16 are brought into the frame.
  FitMode fit = kDefaultFitMode;
  // The text drawn on every finished picture, when enabled, in `watermarkFont`
  // (see PrepareWatermark), which the titles are drawn in too.
  WatermarkOptions watermark;
  CjkFont watermarkFont;
  // The pictures' shapes of clip files, as read when the run began.
  std::map<std::string, VideoShape> clipShapes;

  FrontChoices ChoicesNow() const { return choicesNow ? choicesNow() : choices; }
};

}  // namespace mivora
