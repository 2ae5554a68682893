// The one-pass engine's command: one item (its stretches of the source, the
// effects over them as parts of one graph, intro, outro, keyed overlay and
// looped audio) turned into one encoder command. Pure text work; nothing here
// runs the encoder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effects/effect_graph.h"
#include "jobs/framing.h"
#include "jobs/sound_mix.h"
#include "jobs/walk_plan.h"

namespace mivora {

// One stretch of the source in the finished video, with the effect over it
// (none: the stretch as it is).
struct ItemPart {
  int startSeconds = 0;
  int lengthSeconds = 0;
  std::string effect;
};

// The parts of a walk in segment order. An effect whose segment was never cut
// leaves the result empty.
std::vector<ItemPart> PartsOfWalk(const std::vector<WalkStep>& steps);

// Everything one item's encoder run needs; paths are taken as they are.
struct OnePassItem {
  std::string source;
  std::vector<ItemPart> parts;
  std::string intro;  // empty: none
  double introSeconds = 0;
  std::string outro;  // empty: none
  double outroSeconds = 0;
  std::string overlay;  // empty: none
  bool blackScreen = true;
  std::string audio;  // empty: a silent video
  // Whose sound the video carries; intro and outro without sound of their
  // own are silent under the source's.
  SoundOptions sound;
  bool introSound = false;
  bool outroSound = false;
  // The lengths of intro's and outro's pictures, which their sound is made
  // to last (a clip's own length follows its longest stream); 0: unknown,
  // their lengths above.
  double introPictures = 0;
  double outroPictures = 0;
  std::string output;
  // How each picture of another shape than 9:16 is brought into the frame;
  // none: as today, scaled to it.
  std::optional<FitMode> sourceFit;
  std::optional<FitMode> introFit;
  std::optional<FitMode> outroFit;
  std::optional<FitMode> overlayFit;  // how a keyed overlay of another shape is framed
  std::string watermark;              // a filter drawn on the finished picture; empty: none
  Canvas canvas = kDefaultCanvas;     // the finished video's size, rate and bit rate
};

struct OnePassCommand {
  std::vector<std::string> args;  // the encoder placeholder first
  int seconds = 0;                // whole seconds of the join: the finished video's length
  std::string error;              // not empty: no command could be built
};

// The one encoder run of an item on its canvas; each effect is taken with its
// shortcuts (effects/effect_shortcuts.h) on the templates' own canvas, filled
// for the canvas on another.
OnePassCommand BuildOnePassCommand(const OnePassItem& item);

}  // namespace mivora
