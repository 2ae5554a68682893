#include "jobs/video_fingerprint.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "runner/command_line.h"
#include "runner/placeholders.h"

namespace mivora {
namespace {

constexpr int kHexDigits = 16;

// The mean share of differing bits between `a` and `b`, samples matched by
// their position in each video.
double MeanDifference(const std::vector<PictureHash>& a, const std::vector<PictureHash>& b) {
  const std::size_t count = std::max(a.size(), b.size());
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const PictureHash& x = a[i * a.size() / count];
    const PictureHash& y = b[i * b.size() / count];
    bits += static_cast<std::uint64_t>(std::popcount(x.across ^ y.across) +
                                       std::popcount(x.down ^ y.down));
  }
  return static_cast<double>(bits) / static_cast<double>(128 * count);
}

std::string Hex(std::uint64_t value) {
  char text[kHexDigits + 1];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::optional<std::uint64_t> FromHex(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<std::uint64_t>(digit);
  }
  return value;
}

// A file of its own for the encoder to write the grey pictures into.
std::filesystem::path ScratchFile() {
  std::string name = (std::filesystem::temp_directory_path() / "mivora-print-XXXXXX").string();
  int fd = mkstemp(name.data());
  if (fd < 0) return {};
  close(fd);
  return name;
}

}  // namespace

PictureHash DifferenceHash(const std::uint8_t* grey, bool mirror) {
  // Column `c` of the picture as read, mirrored or not.
  auto at = [&](int row, int c) {
    return grey[row * kHashWidth + (mirror ? kHashWidth - 1 - c : c)];
  };
  PictureHash hash;
  for (int row = 0; row + 1 < kHashHeight; ++row) {
    for (int c = 0; c + 1 < kHashWidth; ++c) {
      hash.across = hash.across << 1 | (at(row, c) > at(row, c + 1) ? 1u : 0u);
      hash.down = hash.down << 1 | (at(row, c) > at(row + 1, c) ? 1u : 0u);
    }
  }
  return hash;
}

VideoFingerprint FingerprintOfPictures(std::string_view raw) {
  VideoFingerprint print;
  for (std::size_t at = 0; at + kHashPictureBytes <= raw.size(); at += kHashPictureBytes) {
    const auto* grey = reinterpret_cast<const std::uint8_t*>(raw.data() + at);
    print.pictures.push_back(DifferenceHash(grey, false));
    print.mirrored.push_back(DifferenceHash(grey, true));
  }
  return print;
}

std::string FingerprintText(const VideoFingerprint& print) {
  std::string text;
  for (std::size_t i = 0; i < print.pictures.size(); ++i)
    text += Hex(print.pictures[i].across) + Hex(print.pictures[i].down) +
            Hex(print.mirrored[i].across) + Hex(print.mirrored[i].down);
  return text;
}

std::optional<VideoFingerprint> ParseFingerprint(std::string_view text) {
  constexpr std::size_t kSampleDigits = 4 * kHexDigits;
  if (text.size() % kSampleDigits != 0) return std::nullopt;
  VideoFingerprint print;
  for (std::size_t at = 0; at < text.size(); at += kSampleDigits) {
    std::optional<std::uint64_t> words[4];
    for (std::size_t k = 0; k < 4; ++k) {
      words[k] = FromHex(text.substr(at + k * kHexDigits, kHexDigits));
      if (!words[k]) return std::nullopt;
    }
    print.pictures.push_back({*words[0], *words[1]});
    print.mirrored.push_back({*words[2], *words[3]});
  }
  return print;
}

double FingerprintDistance(const VideoFingerprint& a, const VideoFingerprint& b) {
  if (a.empty() || b.empty()) return 1;
  return std::min(MeanDifference(a.pictures, b.pictures), MeanDifference(a.pictures, b.mirrored));
}

VideoFingerprint FingerprintVideo(const ToolEnv& env, const std::filesystem::path& video) {
  std::filesystem::path scratch = ScratchFile();
  if (scratch.empty()) return {};
  // The deblocking filter is skipped: a tenth of the decoding, and nothing
  // that a 9x9 picture could show.
  const std::string filters = "fps=" + std::to_string(kFingerprintRate) +
                              ",scale=" + std::to_string(kHashWidth) + ":" +
                              std::to_string(kHashHeight) + ":flags=area,format=gray";
  ToolOutcome outcome =
      RunJudged(env, {std::string(kEncoderPlaceholder), "-nostdin", "-y", "-skip_loop_filter",
                      "all", "-i", ToolPath(video), "-map", "0:v:0", "-an", "-vf", filters, "-f",
                      "rawvideo", scratch.string()});
  VideoFingerprint print;
  if (outcome.ok()) {
    std::ifstream in(scratch, std::ios::binary);
    std::ostringstream raw;
    raw << in.rdbuf();
    print = FingerprintOfPictures(raw.str());
  }
  std::error_code ignored;
  std::filesystem::remove(scratch, ignored);
  return print;
}

}  // namespace mivora
