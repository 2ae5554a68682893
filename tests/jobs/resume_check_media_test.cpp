// A resumed run keeps a finished video only when it has the run's canvas: a
// 720x1280 video left by an earlier run is made again at 1080x1920, and the
// other way round; a missing file is simply made.
#include "jobs/resume_check.h"

#include <gtest/gtest.h>

#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(CheckExistingOutput, KeepsOnlyVideosOfTheRunsCanvas) {
  test::TempDir dir;
  const std::filesystem::path base = dir / "base.mp4";
  const std::filesystem::path large = dir / "large.mp4";
  ASSERT_TRUE(test::MakeClip(base, {.seconds = 1, .audio = false}));
  ASSERT_TRUE(test::MakeClip(large, {.seconds = 1, .width = 1080, .height = 1920, .audio = false}));
  struct Case {
    const char* name;
    std::filesystem::path file;
    Canvas canvas;
    ExistingOutput expected;
  } cases[] = {
      {"720x1280 video, 720x1280 run", base, kBaseCanvas, ExistingOutput::kWhole},
      {"1080x1920 video, 1080x1920 run", large, kLargeCanvas, ExistingOutput::kWhole},
      {"720x1280 video, 1080x1920 run", base, kLargeCanvas, ExistingOutput::kBroken},
      {"1080x1920 video, 720x1280 run", large, kBaseCanvas, ExistingOutput::kBroken},
      {"nothing there", dir / "missing.mp4", kLargeCanvas, ExistingOutput::kMissing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CheckExistingOutput(c.file, c.canvas), c.expected);
  }
}

}  // namespace
}  // namespace mivora
