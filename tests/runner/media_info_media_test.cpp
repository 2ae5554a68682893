// The shape probe with the real encoder over generated files: a landscape
// clip, the same clip turned by a rotation tag, an anamorphic clip and a
// still image.
#include <gtest/gtest.h>

#include "runner/media_info.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

bool Succeeds(const std::vector<std::string>& args) {
  return RunCapture(args).output.find("muxing overhead:") != std::string::npos;
}

TEST(ProbeVideoShape, ReadsGeneratedFiles) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeClip(dir / "land.mp4", {.seconds = 1, .width = 320, .height = 180}));
  // The rotation tag is written into the container's display matrix.
  ASSERT_TRUE(Succeeds({"ffmpeg", "-y", "-i", (dir / "land.mp4").string(), "-c", "copy",
                        "-metadata:s:v", "rotate=90", (dir / "turned.mp4").string()}));
  ASSERT_TRUE(
      Succeeds({"ffmpeg", "-y", "-f", "lavfi", "-i", "testsrc2=s=320x240:d=1", "-vf", "setsar=4/3",
                "-c:v", "libx264", "-preset", "ultrafast", (dir / "wide pixels.mp4").string()}));
  ASSERT_TRUE(test::MakeImage(dir / "-photo.jpg", 400, 300));

  struct Case {
    const char* file;
    int width, height, rotation;
    double aspect;
  } cases[] = {
      {"land.mp4", 320, 180, 0, 16.0 / 9},
      {"turned.mp4", 320, 180, 90, 9.0 / 16},
      {"wide pixels.mp4", 320, 240, 0, 16.0 / 9},
      {"-photo.jpg", 400, 300, 0, 4.0 / 3},
  };
  ToolEnv env{dir.path(), nullptr, nullptr};
  // A relative name that looks like an option is still read as a file.
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::optional<VideoShape> shape = ProbeVideoShape(env, c.file);
    ASSERT_TRUE(shape.has_value());
    EXPECT_EQ(shape->width, c.width);
    EXPECT_EQ(shape->height, c.height);
    EXPECT_EQ(shape->rotationDegrees % 180, c.rotation % 180);
    EXPECT_NEAR(shape->DisplayAspect(), c.aspect, 1e-6);
  }
  EXPECT_FALSE(ProbeVideoShape(env, dir / "missing.mp4").has_value());
  std::filesystem::current_path(before);
}

}  // namespace
}  // namespace mivora
