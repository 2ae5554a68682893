// The one-pass engine's filter graph: every effect template of the catalogue
// turned into a part of one graph, and one item (its stretches of the source,
// the effects over them, intro, outro, keyed overlay and looped audio) turned
// into one encoder command. Pure text work; nothing here runs the encoder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/framing.h"
#include "jobs/walk_plan.h"

namespace mivora {

// An effect template as a part of a larger graph. The part reads copies of
// one stretch of the source (720x1280, 30 fps, timestamps from zero) and
// writes a clip of the same frame size, square pixels, 30 fps and yuv420p.
struct EffectPart {
  std::string graph;    // filterchains separated by ';'
  int seconds = 0;      // its length: the template's cap, or its stretch's when that is shorter
  bool canvas = false;  // a black canvas runs through it, so it lasts the cap whatever its stretch
  std::string error;    // not empty: the template holds something the translation does not know
};

// Translates `templateText` into a part reading label `stretch` (lasting
// `stretchSeconds`) and writing label `out`; every other label it uses begins
// with `prefix`. Stream
// references, [in]/[out] pads and movie sources become copies of the stretch,
// the black canvas a colour source, and audio the part leaves out (the join
// keeps video only).
EffectPart TranslateEffect(std::string_view templateText, int stretchSeconds,
                           std::string_view prefix, std::string_view stretch, std::string_view out);

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
  std::string output;
  // How each picture of another shape than 9:16 is brought into the frame;
  // none: as today, scaled to it.
  std::optional<FitMode> sourceFit;
  std::optional<FitMode> introFit;
  std::optional<FitMode> outroFit;
  bool overlayFit = false;  // a keyed overlay fills the frame (cropped), never a blurred band
  std::string watermark;    // a filter drawn on the finished picture; empty: none
};

struct OnePassCommand {
  std::vector<std::string> args;  // the encoder placeholder first
  int seconds = 0;                // whole seconds of the join: the finished video's length
  std::string error;              // not empty: no command could be built
};

// The one encoder run of an item; each effect is taken with its shortcuts
// (jobs/onepass_shortcuts.h).
OnePassCommand BuildOnePassCommand(const OnePassItem& item);

}  // namespace mivora
