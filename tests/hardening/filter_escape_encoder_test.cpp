// The escaped `movie=` path read by the encoder itself: files whose names
// hold every character either reading level treats specially are opened as a
// filter source, and the encoder finds each of them.
#include <gtest/gtest.h>

#include "runner/command_line.h"
#include "runner/run_capture.h"
#include "runner/tool.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(FilterEscapeEncoder, TheEncoderOpensEveryName) {
  test::TempDir dir;
  for (const char* name : {" blanks at both ends ", "it's [a],b;c=d", "back\\slash \\' and ''",
                           "视频：剪辑=1;x:y", "tab\there", "\"quoted\" 100%"}) {
    std::filesystem::path file = dir / (std::string(name) + ".mp4");
    ASSERT_TRUE(test::MakeClip(file, {.seconds = 0.2, .width = 64, .height = 64, .audio = false}))
        << name;
    CaptureResult run = RunCapture(
        {"ffmpeg", "-hide_banner", "-f", "lavfi", "-i", "movie=" + EscapeFilterPath(file.string()),
         "-frames:v", "1", "-f", "null", "-"},
        test::NeverStopped());
    EXPECT_EQ(ClassifyOutput(run.output), kOutputSucceeded) << "[" << name << "]\n" << run.output;
  }
}

}  // namespace
}  // namespace mivora
