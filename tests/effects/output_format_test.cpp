// The output format's texts: the default one writes exactly the settings every
// finished video has always had, and each text follows the format it is
// given, so that a run carrying another frame changes every place at once.
#include "effects/output_format.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(Canvas, EveryTextFollowsTheCanvas) {
  struct Case {
    const char* name;
    Canvas format;
    const char* size;
    const char* filterSize;
    const char* aspect;
    const char* segment;
    const char* join;
    const char* encoding;
  } cases[] = {
      {"the default canvas", kDefaultCanvas, "720x1280", "720:1280", "9:16",
       "scale=720:1280,setsar=1,format=yuv420p", "scale=720:1280,setsar=1,fps=30,format=yuv420p",
       "-aspect 9:16 -s 720x1280 -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 "
       "-b:v 3000k"},
      {"a larger frame at another rate",
       {1080, 1920, 25, "yuv444p", 6000},
       "1080x1920",
       "1080:1920",
       "9:16",
       "scale=1080:1920,setsar=1,format=yuv444p",
       "scale=1080:1920,setsar=1,fps=25,format=yuv444p",
       "-aspect 9:16 -s 1080x1920 -pix_fmt yuv444p -vcodec libx264 -r:v 25 -preset medium -crf 30 "
       "-b:v 6000k"},
      {"a square frame",
       {640, 640, 30, "yuv420p", 1000},
       "640x640",
       "640:640",
       "1:1",
       "scale=640:640,setsar=1,format=yuv420p",
       "scale=640:640,setsar=1,fps=30,format=yuv420p",
       "-aspect 1:1 -s 640x640 -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 "
       "-b:v 1000k"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FrameSize(c.format), c.size);
    EXPECT_EQ(FrameSize(c.format, ':'), c.filterSize);
    EXPECT_EQ(AspectText(c.format), c.aspect);
    EXPECT_EQ(SegmentShape(c.format), c.segment);
    EXPECT_EQ(JoinShape(c.format), c.join);
    EXPECT_EQ(OutputEncoding(c.format), c.encoding);
  }
}

TEST(Canvas, SizesParseFromTheirNamesOnly) {
  struct Case {
    const char* text;
    std::optional<Canvas> canvas;
  } cases[] = {
      {"720x1280", kBaseCanvas},   {"1080x1920", kLargeCanvas}, {"1080:1920", std::nullopt},
      {"1080X1920", std::nullopt}, {" 720x1280", std::nullopt}, {"1280x720", std::nullopt},
      {"", std::nullopt},          {"1920x1080", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseCanvasSize(c.text), c.canvas);
  }
  EXPECT_EQ(CanvasSizeNames(), (std::vector<std::string>{"720x1280", "1080x1920"}));
  EXPECT_EQ(kDefaultCanvas, kBaseCanvas);
}

TEST(Canvas, LargeSizeScalesPixelsAndBitRate) {
  EXPECT_EQ(kLargeCanvas.bitRateKbps * 4, kBaseCanvas.bitRateKbps * 9);  // with the pixels
  EXPECT_EQ(kLargeCanvas.fps, kBaseCanvas.fps);
  struct Case {
    Canvas canvas;
    int pixels;
    int scaled;
  } cases[] = {
      {kBaseCanvas, 482, 482}, {kBaseCanvas, -485, -485}, {kLargeCanvas, 482, 723},
      {kLargeCanvas, 1, 2},    {kLargeCanvas, -1, -2},    {kLargeCanvas, -485, -728},
      {kLargeCanvas, 0, 0},    {kLargeCanvas, 720, 1080},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.canvas.width) + " " + std::to_string(c.pixels));
    EXPECT_EQ(ScaledPixels(c.canvas, c.pixels), c.scaled);
  }
  EXPECT_DOUBLE_EQ(CanvasFactor(kLargeCanvas), 1.5);
  EXPECT_DOUBLE_EQ(CanvasFactor(kBaseCanvas), 1.0);
}

}  // namespace
}  // namespace mivora
