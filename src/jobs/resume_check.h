// What a run told to keep finished outputs finds under an output's name.
#pragma once

#include <filesystem>

namespace mivora {

enum class ExistingOutput {
  kMissing,  // nothing there: the output is made
  kWhole,    // a whole finished video: kept as it is
  kBroken,   // cut short, empty, without its index, of another picture: made again
};

// Reads the headers and the tail of the file at `finished` (a few
// milliseconds, never a decode) against the picture every finished video has.
ExistingOutput CheckExistingOutput(const std::filesystem::path& finished);

}  // namespace mivora
