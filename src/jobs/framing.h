// Framing: bringing a picture of any shape into the canvas of the
// finished video without distorting it. Pure text work: the filter graph for
// the one-pass engine and the framing encode of the step engine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effects/output_format.h"

namespace mivora {

enum class FitMode {
  kBlur,     // the whole picture over a blurred, darkened copy of itself that fills the frame
  kCover,    // scaled to fill the frame, the overhang cropped evenly
  kStretch,  // scaled to the frame whatever its shape
};

inline constexpr FitMode kDefaultFitMode = FitMode::kBlur;

// "blur", "cover" or "stretch"; nothing for any other text.
std::optional<FitMode> ParseFitMode(std::string_view name);
std::string_view FitModeName(FitMode mode);
// Every name ParseFitMode accepts, in the order above.
std::vector<std::string> FitModeNames();

// Whether a picture of this display aspect (width over height) differs from
// 9:16 by more than 2%. An unknown aspect (0 or not a number) does not.
bool NeedsFraming(double displayAspect);

// Filterchains, separated by ';', that read label `input` and write label
// `output` (names without brackets): the canvas's size with square pixels,
// the picture's own pixel shape taken into account. Labels of their own begin
// with `prefix`.
std::string FramingGraph(FitMode mode, std::string_view input, std::string_view output,
                         std::string_view prefix, const Canvas& canvas = kBaseCanvas);

// The step engine's framing encode of a source video: the framed picture,
// H.264 at the source's frame rate and of a quality meant for one more
// encode, the first audio stream (if any) as AAC. The encoder placeholder
// comes first.
std::vector<std::string> FramingEncodeArgs(FitMode mode, const std::filesystem::path& source,
                                           const std::filesystem::path& output,
                                           const Canvas& canvas = kBaseCanvas);

// The same for a still image, into one framed picture (e.g. a ".png"); the
// image conversion then finds a picture of the finished video's size.
std::vector<std::string> FramedImageArgs(FitMode mode, const std::filesystem::path& image,
                                         const std::filesystem::path& output,
                                         const Canvas& canvas = kBaseCanvas);

}  // namespace mivora
