// Every effect of the catalogue rendered both ways over the same segment: the
// step engine's template run and the one-pass graph must give the same clip,
// frame for frame, up to coding noise.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "effects/effect_catalogue.h"
#include "job_harness.h"
#include "jobs/onepass_graph.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"

namespace mivora {
namespace {

// Mean PSNR (dB) of the video of `a`, seen through `view`, against `b`; 100
// for identical frames.
double MeanPsnr(const std::filesystem::path& a, const std::filesystem::path& b,
                const std::string& view = "null") {
  CaptureResult run = RunCapture({"ffmpeg", "-hide_banner", "-i", a.string(), "-i", b.string(),
                                  "-lavfi", "[0:v]" + view + "[a];[a][1:v]psnr", "-f", "null", "-"},
                                 test::NeverStopped());
  std::smatch match;
  if (!std::regex_search(run.output, match, std::regex("average:([0-9.]+|inf)"))) return 0;
  return match[1] == "inf" ? 100.0 : std::stod(match[1]);
}

class OnePassEffect : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() {
    media_ = new test::TempDir;
    // Not the output's shape, so the stretch has to be brought to it.
    ASSERT_TRUE(test::MakeClip(*media_ / "source.mp4",
                               {.seconds = 4, .width = 480, .height = 640, .fps = 25}));
    ASSERT_TRUE(test::MakeTone(*media_ / "loop.mp3", 1));
  }
  static void TearDownTestSuite() {
    delete media_;
    media_ = nullptr;
  }

  static test::TempDir* media_;
};

test::TempDir* OnePassEffect::media_ = nullptr;

TEST_P(OnePassEffect, MatchesTheStepEngine) {
  const std::string name = "特效" + std::to_string(GetParam());
  const int seconds = std::stoi(EffectDuration(name));
  // The four-second effect gets only three seconds of segment, as the last
  // stretch of a walk may.
  const int length = std::min(seconds, 3);

  test::JobHarness h;
  ItemRun& run = h.Run();
  const std::filesystem::path cut = run.paths().SegmentFile(1);
  ASSERT_EQ(
      h.engine.RunWalk(run, {{WalkStep::Kind::kCut, 1, 1, length, {}}}, *media_ / "source.mp4", {})
          .text,
      kOutputSucceeded);
  const std::filesystem::path segment = h.home / "segment.mp4";
  std::filesystem::copy_file(cut, segment);
  ASSERT_EQ(
      h.engine.RunWalk(run, {{WalkStep::Kind::kRender, 1, 0, 0, name}}, {}, *media_ / "loop.mp3")
          .text,
      kOutputSucceeded)
      << h.sink.Console();

  // The same segment through the one-pass graph: the translation alone decides.
  OnePassItem item;
  item.source = segment.string();
  item.parts = {{0, length, name}};
  item.output = (h.home / "onepass.mp4").string();
  OnePassCommand command = BuildOnePassCommand(item);
  ASSERT_EQ(command.error, "");
  ASSERT_EQ(RunJudged(h.Tools(), command.args).text, kOutputSucceeded) << h.sink.Console();

  test::MediaInfo a = test::ReadMediaInfo(cut);
  test::MediaInfo b = test::ReadMediaInfo(item.output);
  EXPECT_EQ(a.width, 720);
  EXPECT_EQ(a.height, 1280);
  EXPECT_EQ(b.width, a.width);
  EXPECT_EQ(b.height, a.height);
  // A template that sets no frame rate keeps its canvas's 25 fps; the join
  // brings it to 30, and so is it compared.
  const bool thirty = EffectTemplate(name).find("-r:v 30") != std::string::npos;
  const int frames = thirty ? a.frames : static_cast<int>(std::lround(a.seconds * 30));
  EXPECT_EQ(b.frames, frames);
  EXPECT_EQ(command.seconds * 30, frames);
  EXPECT_GE(MeanPsnr(cut, item.output, thirty ? "null" : "fps=30"), 30.0);
}

INSTANTIATE_TEST_SUITE_P(AllEffects, OnePassEffect, ::testing::Range(1, kEffectCount + 1));

// A stretch taken from a source of another frame rate, with an effect that
// outlasts it on a canvas: the one-pass graph cuts and converts the stretch
// as the step engine's cut does.
class OnePassStretch : public ::testing::TestWithParam<int> {};

TEST_P(OnePassStretch, MatchesTheStepEngine) {
  test::JobHarness h;
  const std::filesystem::path source = h.home / "source.mp4";
  ASSERT_TRUE(
      test::MakeClip(source, {.seconds = 4, .width = 360, .height = 640, .fps = GetParam()}));
  std::vector<WalkStep> walk = {{WalkStep::Kind::kCut, 1, 1, 2, {}},
                                {WalkStep::Kind::kRender, 1, 0, 0, "特效40"}};
  ItemRun& run = h.Run();
  ASSERT_EQ(h.engine.RunWalk(run, walk, source, {}).text, kOutputSucceeded);

  OnePassItem item;
  item.source = source.string();
  item.parts = PartsOfWalk(walk);
  item.output = (h.home / "onepass.mp4").string();
  OnePassCommand command = BuildOnePassCommand(item);
  ASSERT_EQ(RunJudged(h.Tools(), command.args).text, kOutputSucceeded) << h.sink.Console();

  const std::filesystem::path stepped = run.paths().SegmentFile(1);
  test::MediaInfo a = test::ReadMediaInfo(stepped);
  EXPECT_EQ(a.frames, 90);
  EXPECT_EQ(test::ReadMediaInfo(item.output).frames, a.frames);
  EXPECT_EQ(command.seconds, 3);
  EXPECT_GE(MeanPsnr(stepped, item.output), 30.0);
}

INSTANTIATE_TEST_SUITE_P(FrameRates, OnePassStretch, ::testing::Values(24, 25, 30));

}  // namespace
}  // namespace mivora
