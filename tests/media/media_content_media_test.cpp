// What the encoder itself writes, video containers and pictures, is taken
// for media by its first bytes; a sound is no video and a missing file none.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/media_content.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(MediaContentMedia, TakesEveryFormatTheEncoderWrites) {
  test::TempDir dir;
  const std::vector<std::string> picture = {"-f",        "lavfi", "-i", "testsrc2=s=32x32",
                                            "-frames:v", "1"};
  const std::vector<std::string> video = {"-f",       "lavfi",  "-i", "testsrc2=s=32x32:d=0.2",
                                          "-pix_fmt", "yuv420p"};
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    MediaKind kind;
  } cases[] = {
      {"v.mp4", video, MediaKind::kSourceVideos},   {"v.mov", video, MediaKind::kSourceVideos},
      {"v.mkv", video, MediaKind::kSourceVideos},   {"v.avi", video, MediaKind::kSourceVideos},
      {"v.ts", video, MediaKind::kSourceVideos},    {"v.flv", video, MediaKind::kSourceVideos},
      {"v.h264", video, MediaKind::kSourceVideos},  {"p.jpg", picture, MediaKind::kSourceImages},
      {"p.png", picture, MediaKind::kSourceImages}, {"p.bmp", picture, MediaKind::kSourceImages},
      {"p.gif", picture, MediaKind::kSourceImages}, {"p.tiff", picture, MediaKind::kSourceImages},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(test::MakeMedia(dir / c.name, c.arguments));
    EXPECT_TRUE(FileIsMedia(dir / c.name, c.kind));
  }
  ASSERT_TRUE(test::MakeTone(dir / "sound.mp3", 0.2));
  EXPECT_FALSE(FileIsMedia(dir / "sound.mp3", MediaKind::kSourceVideos));
  EXPECT_FALSE(FileIsMedia(dir / "missing.mp4", MediaKind::kSourceVideos));
}

}  // namespace
}  // namespace mivora
