// A perceptual fingerprint of a finished video: its pictures at an even rate
// (two a second), each reduced to a grey 9x9 picture and then to two 64-bit
// difference hashes, a bit per neighbouring pair: across (is the left one
// brighter) and down (is the upper one brighter). What survives a re-encode,
// a new bit rate or another size survives the hashes; the mirrored hashes of
// every picture are kept too, so a left-right mirrored copy is found close.
// Colour, sound and small overlays are not seen at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/tool.h"

namespace mivora {

// Pictures a second that the fingerprint samples.
inline constexpr int kFingerprintRate = 2;
// The grey picture each sample is reduced to.
inline constexpr int kHashWidth = 9;
inline constexpr int kHashHeight = 9;
inline constexpr std::size_t kHashPictureBytes = kHashWidth * kHashHeight;

// The hashes of one sampled picture.
struct PictureHash {
  std::uint64_t across = 0;
  std::uint64_t down = 0;
  bool operator==(const PictureHash&) const = default;
};

struct VideoFingerprint {
  std::vector<PictureHash> pictures;  // per sample, in time order
  std::vector<PictureHash> mirrored;  // the same samples mirrored left-right

  bool empty() const { return pictures.empty(); }
};

// The difference hashes of one grey 9x9 picture (row by row, 81 bytes), read
// as it is or mirrored left-right.
PictureHash DifferenceHash(const std::uint8_t* grey, bool mirror);

// The fingerprint of raw grey 9x9 pictures one after another; a cut-off last
// picture is left out.
VideoFingerprint FingerprintOfPictures(std::string_view raw);

// Hex text, 64 digits a sample (hashes, then mirrored hashes), and back; nullopt
// for text that is no fingerprint.
std::string FingerprintText(const VideoFingerprint& print);
std::optional<VideoFingerprint> ParseFingerprint(std::string_view text);

// How different two videos look, 0 (the same pictures) to 1: the share of
// hash bits that differ between samples at the same point of each video
// (videos of other lengths are matched by position), taken as it is or with
// one of them mirrored, whichever is closer. 1 when either has no samples.
double FingerprintDistance(const VideoFingerprint& a, const VideoFingerprint& b);

// Reads `video` through the encoder in one run; an empty fingerprint when it
// could not be read or the run was stopped.
VideoFingerprint FingerprintVideo(const ToolEnv& env, const std::filesystem::path& video);

}  // namespace mivora
