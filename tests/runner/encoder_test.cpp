// With the real encoder: a tiny encode, a rejected command, and the probe.
#include <gtest/gtest.h>

#include "runner/tool.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(Encoder, TinyEncodeIsJudgedSuccess) {
  test::TempDir dir;
  std::string console;
  ToolEnv env{dir.path(), test::NeverStopped(),
              [&console](const std::string& text) { console = text; }};
  std::string outcome =
      RunJudged(env,
                "D:\\ffmpeg\\bin\\ffmpeg.exe -y -f lavfi -i color=black:s=64x64:d=0.2 D:\\out.mp4",
                {{"D:\\out.mp4", (dir / "o u t.mp4").string()}})
          .text;
  EXPECT_EQ(outcome, "输出成功") << console;
  EXPECT_TRUE(std::filesystem::exists(dir / "o u t.mp4"));
}

TEST(Encoder, RejectedCommandIsJudgedByItsPhrase) {
  test::TempDir dir;
  ToolEnv env{dir.path(), test::NeverStopped()};
  EXPECT_EQ(RunJudged(env,
                      "D:\\ffmpeg\\bin\\ffmpeg.exe -y -f lavfi -i color=black:d=0.2 -nosuchoption "
                      "1 D:\\out.mp4",
                      {{"D:\\out.mp4", (dir / "x.mp4").string()}})
                .text,
            "错误分割参数列表");
}

TEST(Encoder, ProbeOfA2Point5SecondFileGives2) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeClip(dir / "clip.mp4",
                             {.seconds = 2.5, .width = 64, .height = 64, .audio = false}));
  ToolEnv env{dir.path(), test::NeverStopped()};
  EXPECT_EQ(ProbeDuration(env, dir / "clip.mp4"), 2);
  EXPECT_EQ(ProbeDuration(env, dir / "missing.mp4"), 0);
}

}  // namespace
}  // namespace mivora
