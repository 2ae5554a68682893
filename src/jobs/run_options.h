// Every setting of a run, once, typed and with its default. The command line
// parses into it and the window loads it through its settings table; the core
// reads it from the job's inputs. A new run option is one field here.
#pragma once

#include <chrono>
#include <string>

#include "effects/output_format.h"
#include "jobs/engine_names.h"
#include "jobs/framing.h"
#include "jobs/sound_mix.h"
#include "jobs/title_text.h"
#include "jobs/watermark.h"

namespace mivora {

// The most versions of one source a run makes.
inline constexpr int kMaxVariants = 99;

// An encoder that makes no progress for this long is stopped.
inline constexpr std::chrono::seconds kDefaultStallTimeout{60};

struct RunOptions {
  bool videoMode = true;  // sources are videos, else still images
  // The size, rate and bit rate of every finished video and of every picture
  // on the way to it.
  Canvas canvas = kDefaultCanvas;
  EngineKind engine = kDefaultEngineKind;
  // Finished videos per item (1..kMaxVariants); the versions of an item
  // differ in their picks.
  int variants = 1;
  int jobs = 1;  // items at once
  // An encoder without progress this long is stopped; 0: never. The fronts
  // say seconds; milliseconds here let tests wait less.
  std::chrono::milliseconds stallTimeout = kDefaultStallTimeout;
  // An output whose finished file already exists is not made again (a batch
  // resumed after an interruption).
  bool skipExisting = false;
  // With fingerprints, a version that comes out closer than this to an
  // earlier version of its source is drawn again with other picks (0: never).
  double minDistance = 0;
  // How pictures of another shape than 9:16 are brought into the frame.
  FitMode fit = kDefaultFitMode;
  // The text drawn on every finished picture, when enabled.
  WatermarkOptions watermark;
  // Whether every version draws a title of the title list, and how.
  TitleOptions title;
  // Whose sound the finished videos carry: the music, the source's own, or both.
  SoundOptions sound;
};

// Whether `variants` is a count of versions a run can make (1..kMaxVariants).
constexpr bool VariantsInRange(int variants) {
  return variants >= 1 && variants <= kMaxVariants;
}

// The stall timeout in whole seconds, as the fronts show it.
inline int StallTimeoutSeconds(const RunOptions& options) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::seconds>(options.stallTimeout).count());
}

}  // namespace mivora
