// A perceptual fingerprint of a finished video: its pictures at an even rate
// (two a second), each reduced to a grey 9x8 picture and then to a 64-bit
// difference hash (a bit per neighbouring pair in a row: is the left one
// brighter). What survives a re-encode, a new bit rate or another size
// survives the hash; the mirrored hash of every picture is kept too, so a
// left-right mirrored copy is found close. Colour, sound and small overlays
// are not seen at all.
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
inline constexpr int kHashHeight = 8;
inline constexpr std::size_t kHashPictureBytes = kHashWidth * kHashHeight;

struct VideoFingerprint {
  std::vector<std::uint64_t> pictures;  // per sample, in time order
  std::vector<std::uint64_t> mirrored;  // the same samples mirrored left-right

  bool empty() const { return pictures.empty(); }
};

// The difference hash of one grey 9x8 picture (row by row, 72 bytes), read
// as it is or mirrored left-right.
std::uint64_t DifferenceHash(const std::uint8_t* grey, bool mirror);

// The fingerprint of raw grey 9x8 pictures one after another; a cut-off last
// picture is left out.
VideoFingerprint FingerprintOfPictures(std::string_view raw);

// Hex text, 32 digits a sample (hash, then mirrored hash), and back; nullopt
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
