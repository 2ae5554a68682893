// Cheaper graphs for the effects whose own filter work dominates the one-pass
// run: the rotations. Each shortcut replaces one piece of an effect's graph
// text with a piece that draws the same picture with less work; the catalogue
// stays the one place an effect is defined, and a shortcut that no longer
// finds its piece leaves the effect as written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "effects/output_format.h"

namespace mivora {

struct GraphShortcut {
  std::string effect;  // the effect's name
  std::string from;    // a piece of its graph, found exactly once
  std::string to;      // what replaces it
};

// Every shortcut, in the order they are applied.
const std::vector<GraphShortcut>& GraphShortcuts();

// `templateText` of `effect` with every shortcut of that effect in
// `shortcuts` applied; unchanged when any of them does not find its piece
// exactly once, so an effect is never half rewritten.
std::string ApplyShortcuts(std::string_view effect, std::string_view templateText,
                           const std::vector<GraphShortcut>& shortcuts);

// The effect's template as the one-pass graph renders it on `canvas`. The
// shortcuts are cut to the templates' own canvas; on another the effect
// runs as written, filled for that canvas.
std::string OnePassTemplate(std::string_view effect, const Canvas& canvas = kBaseCanvas);

}  // namespace mivora
