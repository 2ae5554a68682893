// Telling a whole finished video from a broken one by its headers and tail:
// small clips from the encoder, then cut, emptied, zeroed or patched the way
// a power cut, a full disk or another program leaves them.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "media/video_check.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;

constexpr VideoFrame kFrame{720, 1280, 30};

void Patch(const std::filesystem::path& file, const std::function<void(std::string&)>& change) {
  std::string bytes = test::ReadFile(file);
  change(bytes);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(CheckFinishedVideo, KeepsOnlyWholeVideosOfTheFrame) {
  TempDir dir;
  const std::filesystem::path whole = dir / "whole.mp4";
  const std::filesystem::path fast = dir / "fast.mp4";  // index before the data
  ASSERT_TRUE(test::MakeClip(whole, {.seconds = 2}));
  ASSERT_TRUE(
      test::MakeMedia(fast, {"-i", whole.string(), "-c", "copy", "-movflags", "+faststart"}));
  const auto size = std::filesystem::file_size(whole);

  struct Case {
    std::string name;
    std::function<bool(const std::filesystem::path&)> make;  // writes the file
    VideoFault fault;
  };
  auto copyOf = [](const std::filesystem::path& from, std::function<void(std::string&)> change) {
    return [from, change](const std::filesystem::path& file) {
      std::filesystem::copy_file(from, file);
      Patch(file, change);
      return true;
    };
  };
  auto clip = [](test::ClipSpec spec) {
    return [spec](const std::filesystem::path& file) { return test::MakeClip(file, spec); };
  };
  const Case cases[] = {
      {"whole", copyOf(whole, [](std::string&) {}), VideoFault::kNone},
      {"whole, index first", copyOf(fast, [](std::string&) {}), VideoFault::kNone},
      {"zero bytes", copyOf(whole, [](std::string& b) { b.clear(); }), VideoFault::kUnreadable},
      {"not a video", copyOf(whole, [](std::string& b) { b = "mivora-cli: 已停止\n"; }),
       VideoFault::kUnreadable},
      {"cut to half", copyOf(whole, [&](std::string& b) { b.resize(size / 2); }),
       VideoFault::kNoIndex},
      {"index removed", copyOf(whole, [](std::string& b) { b.replace(b.find("moov"), 4, "free"); }),
       VideoFault::kNoIndex},
      {"index first, data cut short",
       copyOf(fast, [](std::string& b) { b.resize(b.size() - 1000); }), VideoFault::kCutShort},
      {"index first, its tail never written",
       copyOf(fast, [](std::string& b) { b.replace(b.size() - 3000, 3000, 3000, '\0'); }),
       VideoFault::kCutShort},
      {"another size", clip({.seconds = 2, .width = 360, .height = 640}), VideoFault::kOtherSize},
      {"another rate", clip({.seconds = 2, .fps = 25}), VideoFault::kOtherRate},
      {"under a second", clip({.seconds = 0.5}), VideoFault::kTooShort},
      {"length beyond its last picture",
       copyOf(whole,
              [](std::string& b) {
                // The movie's duration (version 0) doubled.
                std::size_t at = b.find("mvhd") + 20;
                std::uint32_t length = 0;
                for (int i = 0; i < 4; ++i)
                  length = length << 8 | static_cast<unsigned char>(b[at + i]);
                length *= 2;
                for (int i = 3; i >= 0; --i, length >>= 8)
                  b[at + i] = static_cast<char>(length & 0xff);
              }),
       VideoFault::kLengthAmiss},
      {"sound only",
       [](const std::filesystem::path& file) {
         return test::MakeMedia(file, {"-f", "lavfi", "-i", "sine=d=2", "-c:a", "aac"});
       },
       VideoFault::kNoVideo},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::filesystem::path file = dir / ("case" + std::to_string(++n) + ".mp4");
    ASSERT_TRUE(c.make(file)) << c.name;
    EXPECT_EQ(CheckFinishedVideo(file, kFrame), c.fault) << c.name;
  }
  EXPECT_EQ(CheckFinishedVideo(dir / "missing.mp4", kFrame), VideoFault::kUnreadable);
  EXPECT_EQ(CheckFinishedVideo(dir.path(), kFrame), VideoFault::kUnreadable) << "a folder";
  EXPECT_EQ(CheckFinishedVideo(whole, {1080, 1920, 30}), VideoFault::kOtherSize)
      << "the frame is the caller's";
}

}  // namespace
}  // namespace mivora
