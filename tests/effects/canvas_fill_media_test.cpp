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
// Shorter than most effects: the ones on a black canvas go on to their own
// length over the source's last picture, the others end with it. Two seconds
// keep every moving piece on its way and the test within CI's time.
constexpr int kSourceSeconds = 2;

class CanvasFidelity : public ::testing::TestWithParam<int> {
 protected:
  // One source for every effect: made at the large size and scaled down, so
  // both canvases start from the same picture.
  static void SetUpTestSuite() {
    folder_ = new test::TempDir();
    ASSERT_TRUE(test::MakeClip(Source(kLargeCanvas),
                               {.seconds = kSourceSeconds, .width = 1080, .height = 1920}));
    ASSERT_TRUE(
        test::MakeMedia(Source(kBaseCanvas),
                        {"-i", Source(kLargeCanvas).string(), "-vf", "scale=720:1280:flags=area",
                         "-c:v", "libx264", "-preset", "ultrafast", "-crf", "12", "-c:a", "copy"}));
    ASSERT_TRUE(test::MakeTone(*folder_ / "loop.mp3", 5));
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  static std::filesystem::path Source(const Canvas& canvas) {
    return *folder_ / ("source-" + FrameSize(canvas) + ".mp4");
  }
  static std::filesystem::path Output(const Canvas& canvas) {
    return *folder_ / ("steps-" + FrameSize(canvas) + ".mp4");
  }

  // The PSNR over all planes of `large` scaled down against `base`, from
  // the encoder's report of a graph that ends in them.
  static double ScaledDownPsnr(std::vector<std::string> args, const std::string& large,
                               const std::string& base) {
    args.back() += ";[" + large + "]scale=" + FrameSize(kBaseCanvas, ':') +
                   ":flags=area[down];[down][" + base + "]psnr";
    args.insert(args.end(), {"-f", "null", "-"});
    CaptureResult run = RunCapture(args, test::NeverStopped());
    std::smatch all;
    if (!std::regex_search(run.output, all, std::regex("average:([0-9.]+|inf)"))) return 0;
    return all[1] == "inf" ? 100.0 : std::stod(all[1]);
  }

  // The step engine renders the effect with its own command, filled for the canvas.
  static double StepsPsnr(const std::string& effect) {
    ToolEnv env{folder_->path(), test::NeverStopped(), [](const std::string&) {}};
    for (const Canvas& canvas : {kBaseCanvas, kLargeCanvas}) {
      if (!RenderEffect(env, effect, Source(canvas), Output(canvas), *folder_ / "loop.mp3", canvas)
               .ok())
        return 0;
    }
    if (test::ReadMediaInfo(Output(kLargeCanvas)).height != kLargeCanvas.height) return 0;
    return ScaledDownPsnr(
        {"ffmpeg", "-hide_banner", "-i", Output(kLargeCanvas).string(), "-i",
         Output(kBaseCanvas).string(), "-lavfi", "[0:v]null[large];[1:v]null[base]"},
        "large", "base");
  }

  // The one-pass engine's parts for the effect on both canvases, side by
  // side in one graph over the two sources; nothing is encoded.
  static double OnePassPsnr(const std::string& effect) {
    std::string graph;
    int input = 0;
    for (const Canvas& canvas : {kLargeCanvas, kBaseCanvas}) {
      const std::string name = FrameSize(canvas, '_');
      EffectPart part = TranslateEffect(OnePassTemplate(effect, canvas), kSourceSeconds,
                                        "fx" + name + "_", "stretch" + name, "part" + name, canvas);
      if (!part.error.empty()) return 0;
      graph += (graph.empty() ? "" : ";") + ("[" + std::to_string(input++) + ":v]") +
               SegmentShape(canvas) + "[stretch" + name + "];" + part.graph;
    }
    return ScaledDownPsnr({"ffmpeg", "-hide_banner", "-i", Source(kLargeCanvas).string(), "-i",
                           Source(kBaseCanvas).string(), "-filter_complex", graph},
                          "part" + FrameSize(kLargeCanvas, '_'),
                          "part" + FrameSize(kBaseCanvas, '_'));
  }

  static test::TempDir* folder_;
};

test::TempDir* CanvasFidelity::folder_ = nullptr;

// Ten effects a case, so the shared source is made seven times, not seventy.
constexpr int kEffectsPerCase = 10;

TEST_P(CanvasFidelity, LargeCanvasScaledDownMatchesTheBaseCanvas) {
  for (int number = GetParam(); number < GetParam() + kEffectsPerCase && number <= kEffectCount;
       ++number) {
    const std::string effect = EffectName(number);
    const double steps = StepsPsnr(effect);
    const double onePass = OnePassPsnr(effect);
    std::printf("%s: steps %.2f dB, onepass %.2f dB\n", effect.c_str(), steps, onePass);
    EXPECT_GE(steps, kLeastPsnr) << effect;
    EXPECT_GE(onePass, kLeastPsnr) << effect;
  }
}

INSTANTIATE_TEST_SUITE_P(AllEffects, CanvasFidelity,
                         ::testing::Range(1, kEffectCount + 1, kEffectsPerCase),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param) + "to" +
                                  std::to_string(info.param + kEffectsPerCase - 1);
                         });

}  // namespace
}  // namespace mivora
