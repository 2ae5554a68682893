// Every effect rendered by the real encoder from a clip whose name holds
// blanks, an apostrophe, brackets, separators and Chinese letters.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "effects/effect_catalogue.h"
#include "effects/render_effect.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

class RenderEffectMedia : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new test::TempDir();
    std::string log;
    ASSERT_TRUE(test::MakeClip(Source(), test::ClipSpec{}, &log)) << log;
    test::ClipSpec silent;
    silent.audio = false;
    ASSERT_TRUE(test::MakeClip(Silent(), silent, &log)) << log;
    ASSERT_TRUE(test::MakeTone(Audio(), 1.5));
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  static std::filesystem::path Source() { return *folder_ / "it's [a],b;c=d 视频.mp4"; }
  static std::filesystem::path Silent() { return *folder_ / "无声 [1].mp4"; }
  static std::filesystem::path Audio() { return *folder_ / "loop, 'tone'.mp3"; }

  static test::TempDir* folder_;
};

test::TempDir* RenderEffectMedia::folder_ = nullptr;

TEST_P(RenderEffectMedia, RendersAVerticalClipOfItsDuration) {
  const std::string name = "特效" + std::to_string(GetParam());
  const std::filesystem::path output = *folder_ / ("结果 " + std::to_string(GetParam()) + ".mp4");
  std::string console;
  ToolEnv env{folder_->path(), test::NeverStopped(),
              [&console](const std::string& text) { console = text; }};

  ASSERT_EQ(RenderEffect(env, name, Source(), output, Audio()).text, "输出成功")
      << console;
  test::MediaInfo info = test::ReadMediaInfo(output);
  EXPECT_EQ(info.width, 720);
  EXPECT_EQ(info.height, 1280);
  EXPECT_NEAR(info.seconds, std::stod(EffectDuration(name)), 0.5);
  std::filesystem::remove(output);
}

INSTANTIATE_TEST_SUITE_P(AllEffects, RenderEffectMedia, ::testing::Range(1, kEffectCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Effect" + std::to_string(info.param);
                         });

TEST_F(RenderEffectMedia, MixingAudioFailsCleanlyWithoutASourceTrack) {
  std::string console;
  ToolEnv env{folder_->path(), test::NeverStopped(),
              [&console](const std::string& text) { console = text; }};
  EXPECT_NE(RenderEffect(env, "特效31", Silent(), *folder_ / "silent out.mp4", Audio()).text,
            "输出成功");
}

}  // namespace
}  // namespace mivora
