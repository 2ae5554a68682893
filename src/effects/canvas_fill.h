// The stored effect templates are written for the base canvas. On a larger
// canvas a template is filled when its command is made: the frame size, the
// sizes of generated backgrounds and the absolute pixel amounts of its graph
// (positions, strip widths, speeds in pixels per second, blur radii) grow by
// the canvas's factor, while times, frame counts, angles, colour values and
// amounts relative to a picture's own size stay. Pure text work.
#pragma once

#include <string>
#include <string_view>

#include "effects/output_format.h"

namespace mivora {

// `templateText` (a whole effect command) as it runs on `canvas`: unchanged on
// the templates' own canvas, so those commands stay exactly as stored.
std::string FitTemplateToCanvas(std::string_view templateText, const Canvas& canvas);

// One filter graph's text with its absolute pixel amounts multiplied by
// `factor`, rounded to whole pixels (halves away from zero).
std::string ScaleGraphPixels(std::string_view graph, double factor);

}  // namespace mivora
