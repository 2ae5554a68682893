// Probing and framing with the real encoder: a white square on grey, in a
// 16:9 clip, a square clip, a clip stored upright but turned to landscape by
// its rotation tag, and a 4:3 photo, framed into 720x1280 by each mode. The
// square must stay square in blur and cover, and be stretched like the
// picture in stretch.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "jobs/clip_jobs.h"
#include "jobs/framing.h"
#include "jobs/run_check.h"
#include "runner/media_info.h"
#include "runner/run_capture.h"
#include "runner/text.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

constexpr int kSide = 120;  // of the square, in source pixels
constexpr int kWidth = 720;
constexpr int kHeight = 1280;

struct Source {
  const char* name;
  int width, height;  // as stored
  bool turned;        // stored upright, shown turned a quarter
  bool still;
  double shownAspect;
};

constexpr Source kSources[] = {
    {"wide.mp4", 640, 360, false, false, 16.0 / 9},
    {"square.mp4", 480, 480, false, false, 1},
    {"turned.mp4", 360, 640, true, false, 16.0 / 9},
    {"photo.jpg", 640, 480, false, true, 4.0 / 3},
};

bool Succeeds(const std::vector<std::string>& args) {
  return RunCapture(args, test::NeverStopped()).output.find("muxing overhead:") !=
         std::string::npos;
}

std::string Pattern(const Source& source) {
  return "color=c=0x808080:s=" + std::to_string(source.width) + "x" +
         std::to_string(source.height) +
         ":r=25:d=0.4,drawbox=x=" + std::to_string((source.width - kSide) / 2) +
         ":y=" + std::to_string((source.height - kSide) / 2) + ":w=" + std::to_string(kSide) +
         ":h=" + std::to_string(kSide) + ":color=white:t=fill";
}

bool MakeSource(const std::filesystem::path& dir, const Source& source) {
  std::string file = (dir / source.name).string();
  if (source.still) {
    return Succeeds({"ffmpeg", "-y", "-f", "lavfi", "-i", Pattern(source), "-frames:v", "1",
                     "-update", "1", file});
  }
  std::string stored = source.turned ? (dir / "upright.mp4").string() : file;
  if (!Succeeds({"ffmpeg",        "-y",      "-f",      "lavfi",     "-i",
                 Pattern(source), "-f",      "lavfi",   "-i",        "sine=duration=0.4",
                 "-c:v",          "libx264", "-preset", "ultrafast", "-pix_fmt",
                 "yuv420p",       "-c:a",    "aac",     "-shortest", stored})) {
    return false;
  }
  return !source.turned ||
         Succeeds({"ffmpeg", "-y", "-i", stored, "-c", "copy", "-metadata:s:v", "rotate=90", file});
}

// The picture of a file at `seconds` as grey levels, one byte per pixel.
std::string GreyFrame(const std::filesystem::path& file, const std::filesystem::path& grab,
                      double seconds = 0) {
  RunCapture({"ffmpeg", "-y", "-ss", std::to_string(seconds), "-i", file.string(), "-frames:v", "1",
              "-f", "rawvideo", "-pix_fmt", "gray", grab.string()},
             test::NeverStopped());
  std::ifstream in(grab, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Width over height of the box around the white pixels from row `fromRow` on.
double WhiteBoxAspect(const std::string& frame, int fromRow = 0) {
  int left = kWidth, right = -1, top = kHeight, bottom = -1;
  for (int y = fromRow; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      if (static_cast<unsigned char>(frame[static_cast<std::size_t>(y * kWidth + x)]) < 200)
        continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return 0;
  return static_cast<double>(right - left + 1) / (bottom - top + 1);
}

class FramingMedia : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir();
    for (const Source& source : kSources) ASSERT_TRUE(MakeSource(dir_->path(), source));
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static test::TempDir* dir_;
};

test::TempDir* FramingMedia::dir_ = nullptr;

TEST_F(FramingMedia, SquareStaysSquareInBlurAndCoverAndIsStretchedInStretch) {
  const std::filesystem::path& dir = dir_->path();
  ToolEnv env{dir, test::NeverStopped()};
  for (const Source& source : kSources) {
    std::filesystem::path input = dir / source.name;
    std::optional<VideoShape> shape = ProbeVideoShape(env, input);
    ASSERT_TRUE(shape.has_value()) << source.name;
    EXPECT_EQ(shape->rotationDegrees % 180, source.turned ? 90 : 0) << source.name;
    EXPECT_NEAR(shape->DisplayAspect(), source.shownAspect, 1e-6) << source.name;
    ASSERT_TRUE(NeedsFraming(shape->DisplayAspect())) << source.name;
    // The width over height that stretching gives a square of the shown picture.
    double stretched = kWidth / (kHeight * shape->DisplayAspect());

    for (FitMode mode : {FitMode::kBlur, FitMode::kCover, FitMode::kStretch}) {
      std::string name = std::string(FitModeName(mode)) + "-" + source.name;
      SCOPED_TRACE(name);
      std::filesystem::path output = dir / (name + (source.still ? ".png" : ".mp4"));
      std::vector<std::string> args = source.still ? FramedImageArgs(mode, input, output)
                                                   : FramingEncodeArgs(mode, input, output);
      args.front() = "ffmpeg";
      CaptureResult run = RunCapture(args, test::NeverStopped());
      ASSERT_NE(run.output.find("muxing overhead:"), std::string::npos) << run.output;

      std::optional<VideoShape> framed = ProbeVideoShape(env, output);
      ASSERT_TRUE(framed.has_value());
      EXPECT_EQ(framed->width, kWidth);
      EXPECT_EQ(framed->height, kHeight);
      EXPECT_EQ(framed->sarNum, framed->sarDen);
      // Turned while decoding, so no player may turn it again.
      EXPECT_EQ(framed->rotationDegrees, 0);
      if (!source.still) {
        test::MediaInfo info = test::ReadMediaInfo(output);
        EXPECT_NEAR(info.fps, 25, 0.01);
        EXPECT_TRUE(info.hasAudio);
      }

      std::string frame = GreyFrame(output, dir / (name + ".gray"));
      ASSERT_EQ(frame.size(), static_cast<std::size_t>(kWidth * kHeight));
      double aspect = WhiteBoxAspect(frame);
      double expected = mode == FitMode::kStretch ? stretched : 1.0;
      EXPECT_NEAR(aspect / expected, 1, 0.03) << aspect;
      // Above the picture: the darkened backdrop in blur, the picture itself otherwise.
      int top = static_cast<unsigned char>(frame[60 * kWidth + kWidth / 2]);
      if (mode == FitMode::kBlur) {
        EXPECT_GT(top, 40);
        EXPECT_LT(top, 100);
      } else {
        EXPECT_NEAR(top, 128, 12);
      }
    }
  }
  EXPECT_FALSE(ProbeVideoShape(env, dir / "missing.mp4").has_value());
}

// Whole items in both engines: a 16:9 source after a 16:9 intro, framed by
// each mode; the watermark drawn on the finished picture.
TEST_F(FramingMedia, ItemsOfAnyShapeAreFramedByBothEngines) {
  test::TempDir home;
  Source wide = kSources[0];
  ASSERT_TRUE(Succeeds(
      {"ffmpeg", "-y", "-f", "lavfi", "-i", ReplacePairs(Pattern(wide), {{"d=0.4", "d=3"}}), "-c:v",
       "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", (home / "wide.mp4").string()}));
  ASSERT_TRUE(Succeeds(
      {"ffmpeg", "-y", "-f", "lavfi", "-i", ReplacePairs(Pattern(wide), {{"d=0.4", "d=1"}}), "-c:v",
       "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", (home / "intro.mp4").string()}));
  ASSERT_TRUE(test::MakeTone(home / "a.mp3", 2));

  struct Case {
    const char* engine;
    FitMode mode;
    bool watermark;
  } cases[] = {
      {"steps", FitMode::kBlur, true},     {"onepass", FitMode::kBlur, true},
      {"steps", FitMode::kCover, false},   {"onepass", FitMode::kCover, false},
      {"steps", FitMode::kStretch, false}, {"onepass", FitMode::kStretch, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.engine) + " " + std::string(FitModeName(c.mode)));
    JobInputs inputs;
    inputs.runDir = home.path();
    inputs.items = {{1, (home / "wide.mp4").string(), "wide.mp4"}};
    inputs.effectLines = {"特效1"};
    inputs.choices.intro = true;
    inputs.choices.intros = {(home / "intro.mp4").string()};
    inputs.choices.audios = {(home / "a.mp3").string()};
    inputs.options.engine = *kEngineNames.Parse(c.engine);
    inputs.options.fit = c.mode;
    inputs.seed = 1;
    inputs.options.watermark.enabled = c.watermark;
    inputs.options.watermark.text = "水印 'a:b%{n}\\";
    inputs.options.watermark.position = WatermarkPosition::kTopLeft;
    ASSERT_EQ(PrepareWatermark(inputs, test::NeverStopped()), "");
    JobSink quiet;
    ItemOutcome outcome = RunItems(inputs, quiet, test::NeverStopped()).at(0);
    ASSERT_TRUE(outcome.ok()) << outcome.status << " at " << outcome.failedStep << "\n"
                              << outcome.lastError;
    EXPECT_EQ(test::ReadMediaInfo(outcome.output).width, kWidth);

    double expected = c.mode == FitMode::kStretch ? kWidth / (kHeight * 16.0 / 9) : 1.0;
    // In the intro, then in the plain stretch after the effect.
    for (double at : {0.5, 3.5}) {
      std::string frame = GreyFrame(outcome.output, home / "frame.gray", at);
      ASSERT_EQ(frame.size(), static_cast<std::size_t>(kWidth * kHeight));
      // Below the watermark's corner, which is white too.
      EXPECT_NEAR(WhiteBoxAspect(frame, 300) / expected, 1, 0.03) << "at " << at;
    }
    // White text near the top-left corner of the dark band, none elsewhere in it.
    std::string frame = GreyFrame(outcome.output, home / "frame.gray", 3.5);
    auto brightIn = [&frame](int x0, int y0, int x1, int y1) {
      int count = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
          count +=
              static_cast<unsigned char>(frame[static_cast<std::size_t>(y * kWidth + x)]) > 150;
      return count;
    };
    if (c.mode == FitMode::kBlur) {
      EXPECT_EQ(brightIn(0, 0, 360, 200) > 50, c.watermark);
      EXPECT_EQ(brightIn(360, 0, kWidth, 200), 0);
    }
    std::filesystem::remove(outcome.output);
  }
}

}  // namespace
}  // namespace mivora
