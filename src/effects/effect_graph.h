// An effect template as a part of a larger filter graph: the template's
// inputs, graph and length cap read from its command text and rewritten to
// read copies of one stretch of the source. Pure text work; nothing here runs
// the encoder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "effects/output_format.h"

namespace mivora {

// An effect template as a part of a larger graph. The part reads copies of
// one stretch of the source (the output frame and rate, timestamps from zero) and
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
                           std::string_view prefix, std::string_view stretch, std::string_view out,
                           const Canvas& canvas = kBaseCanvas);

// 30 frames per second the way the encoder's constant-rate output makes them
// from a source of up to 30: each output frame shows the input frame nearest
// to it, the later one on a tie. A plain fps filter takes the earlier one,
// which the encoder also does behind a -filter_complex graph, and which the
// join does for a clip of another rate.
inline constexpr std::string_view kThirtyFps = "settb=AVTB,setpts=PTS-0.7/30/TB,fps=30:round=up";
inline constexpr std::string_view kThirtyFpsEarlier = "fps=30";

// Exactly `seconds` of 30 fps video through `conversion`. A rate conversion
// ends at the start of the last frame it is given, one frame short of the
// encoder's, so that frame is held a while longer before it.
std::string ThirtyFor(int seconds, std::string_view conversion);

// "[a][b]…" for the names given.
std::string GraphLabels(const std::vector<std::string>& names);

}  // namespace mivora
