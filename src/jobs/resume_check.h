// What a run told to keep finished outputs finds under an output's name.
#pragma once

#include <filesystem>

#include "effects/output_format.h"

namespace mivora {

enum class ExistingOutput {
  kMissing,  // nothing there: the output is made
  kWhole,    // a whole finished video: kept as it is
  kBroken,   // cut short, empty, without its index, of another picture: made again
};

// Reads the headers and the tail of the file at `finished` (a few
// milliseconds, never a decode) against the picture of the run's canvas: a
// video of the other size is made again.
ExistingOutput CheckExistingOutput(const std::filesystem::path& finished, const Canvas& canvas);

}  // namespace mivora
