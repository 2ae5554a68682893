// Every effect, in both engines, draws the same picture on the 1080x1920
// canvas as on the 720x1280 one, only larger: the large result scaled down
// must match the small one. A pixel amount the filling missed (a strip
// width, a position, a speed) moves or cuts a part of the picture and brings
// the match far below the bar.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "effects/effect_catalogue.h"
#include "effects/effect_graph.h"
#include "effects/effect_shortcuts.h"
#include "effects/render_effect.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

constexpr double kLeastPsnr = 30;

class CanvasFidelity : public ::testing::TestWithParam<int> {
 protected:
  // One source for every effect: made at the large size and scaled down, so
  // both canvases start from the same picture.
  static void SetUpTestSuite() {
    folder_ = new test::TempDir();
    ASSERT_TRUE(test::MakeClip(Source(kLargeCanvas),
                               {.seconds = 4, .width = 1080, .height = 1920, .fps = 30}));
    ASSERT_TRUE(test::MakeMedia(Source(kBaseCanvas),
                                {"-i", Source(kLargeCanvas).string(), "-vf",
                                 "scale=720:1280:flags=area", "-c:v", "libx264", "-preset",
                                 "ultrafast", "-crf", "12", "-c:a", "copy"}));
    ASSERT_TRUE(test::MakeTone(*folder_ / "loop.mp3", 5));
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  static std::filesystem::path Source(const Canvas& canvas) {
    return *folder_ / ("source-" + FrameSize(canvas) + ".mp4");
  }
  static std::filesystem::path Output(const std::string& engine, const Canvas& canvas) {
    return *folder_ / (engine + "-" + std::to_string(GetParam()) + "-" + FrameSize(canvas) + ".mp4");
  }

  // The step engine's render of the effect: its own command, filled for the canvas.
  static bool RenderStep(const std::string& effect, const Canvas& canvas) {
    ToolEnv env{folder_->path(), test::NeverStopped(), [](const std::string&) {}};
    return RenderEffect(env, effect, Source(canvas), Output("steps", canvas), *folder_ / "loop.mp3",
                        canvas)
        .ok();
  }

  // The one-pass engine's part for the effect over a stretch of the source.
  static bool RenderOnePass(const std::string& effect, const Canvas& canvas) {
    EffectPart part = TranslateEffect(OnePassTemplate(effect, canvas),
                                      std::stoi(EffectDuration(effect)), "fx_", "stretch", "out",
                                      canvas);
    if (!part.error.empty()) return false;
    CaptureResult run = RunCapture(
        {"ffmpeg", "-y", "-i", Source(canvas).string(), "-filter_complex",
         "[0:v]" + SegmentShape(canvas) + "[stretch];" + part.graph, "-map", "[out]", "-c:v",
         "libx264", "-preset", "ultrafast", "-crf", "16", Output("onepass", canvas).string()},
        test::NeverStopped());
    return run.output.find("muxing overhead:") != std::string::npos;
  }

  // The PSNR over all planes of the large result scaled down against the small one.
  static double ScaledDownPsnr(const std::string& engine) {
    CaptureResult run = RunCapture(
        {"ffmpeg", "-hide_banner", "-i", Output(engine, kLargeCanvas).string(), "-i",
         Output(engine, kBaseCanvas).string(), "-lavfi",
         "[0:v]scale=" + FrameSize(kBaseCanvas, ':') + ":flags=area[large];[large][1:v]psnr", "-f",
         "null", "-"},
        test::NeverStopped());
    std::smatch all;
    if (!std::regex_search(run.output, all, std::regex("average:([0-9.]+|inf)"))) return 0;
    return all[1] == "inf" ? 100.0 : std::stod(all[1]);
  }

  static test::TempDir* folder_;
};

test::TempDir* CanvasFidelity::folder_ = nullptr;

TEST_P(CanvasFidelity, LargeCanvasScaledDownMatchesTheBaseCanvas) {
  const std::string effect = EffectName(GetParam());
  struct Engine {
    const char* name;
    bool (*render)(const std::string&, const Canvas&);
  } engines[] = {{"steps", &CanvasFidelity::RenderStep}, {"onepass", &CanvasFidelity::RenderOnePass}};
  for (const Engine& engine : engines) {
    SCOPED_TRACE(engine.name);
    ASSERT_TRUE(engine.render(effect, kBaseCanvas));
    ASSERT_TRUE(engine.render(effect, kLargeCanvas));
    test::MediaInfo large = test::ReadMediaInfo(Output(engine.name, kLargeCanvas));
    EXPECT_EQ(large.width, kLargeCanvas.width);
    EXPECT_EQ(large.height, kLargeCanvas.height);
    const double psnr = ScaledDownPsnr(engine.name);
    std::printf("%s %s: %.2f dB\n", effect.c_str(), engine.name, psnr);
    EXPECT_GE(psnr, kLeastPsnr);
    std::filesystem::remove(Output(engine.name, kLargeCanvas));
    std::filesystem::remove(Output(engine.name, kBaseCanvas));
  }
}

INSTANTIATE_TEST_SUITE_P(AllEffects, CanvasFidelity, ::testing::Range(1, kEffectCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param);
                         });

}  // namespace
}  // namespace mivora
