// What a front shows of a finished video besides its name: its length, its
// size and a strip of small pictures from its start to its end. The report
// page and the window's results show the same pictures and the same texts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "runner/tool.h"

namespace mivora {

// Pictures in the strip of every output, and the size of each.
inline constexpr int kStripPictures = 5;
inline constexpr int kStripPictureWidth = 72;
inline constexpr int kStripPictureHeight = 128;

struct VideoFacts {
  double seconds = 0;
  std::uintmax_t bytes = 0;
  // The pictures made, in order; fewer than kStripPictures when the encoder
  // could not make them all.
  std::vector<std::filesystem::path> strip;
};

// Samples `video` (`seconds` long) evenly into "<stem>-1.jpg" ... in `folder`,
// which must exist; pictures of the same stem left from before are removed
// first, so an older strip never passes for this one's.
std::vector<std::filesystem::path> MakeStrip(const ToolEnv& env, const std::filesystem::path& video,
                                             double seconds, const std::filesystem::path& folder,
                                             const std::string& stem);

// Length, size and strip of `video`; nothing measured when it does not exist.
VideoFacts MeasureVideo(const ToolEnv& env, const std::filesystem::path& video,
                        const std::filesystem::path& folder, const std::string& stem);

// "12.0 秒".
std::string LengthText(double seconds);
// "830.5 KB", "2.4 MB".
std::string SizeText(std::uintmax_t bytes);

}  // namespace mivora
