// Reading a picture's shape from what the encoder prints about a file.
#include "runner/media_info.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

constexpr const char* kPhonePortrait = R"(Input #0, mov,mp4,m4a,3gp,3g2,mj2, from 'IMG_0042.MOV':
  Duration: 00:00:12.40, start: 0.000000, bitrate: 8523 kb/s
  Stream #0:0[0x1](und): Video: hevc (Main) (hvc1 / 0x31637668), yuv420p(tv, bt709), 1920x1080, 8390 kb/s, 29.98 fps, 29.97 tbr, 600 tbn (default)
    Metadata:
      handler_name    : Core Media Video
    Side data:
      displaymatrix: rotation of -90.00 degrees
  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, stereo, fltp, 125 kb/s (default)
)";

// Older encoders print the rotation as a metadata tag.
constexpr const char* kRotateTag =
    R"(  Stream #0:0(und): Video: h264 (High) (avc1 / 0x31637661), yuv420p, 1280x720 [SAR 1:1 DAR 16:9], 30 fps (default)
    Metadata:
      rotate          : 270
)";

// The rotation of a later stream is not the first stream's.
constexpr const char* kLandscape =
    R"(  Stream #0:0[0x1](und): Video: h264 (Constrained Baseline) (avc1 / 0x31637661), yuv420p(progressive), 320x180 [SAR 1:1 DAR 16:9], 721 kb/s, 30 fps
  Stream #0:1[0x2](und): Audio: aac (LC) (mp4a / 0x6134706D), 44100 Hz, mono, fltp, 70 kb/s (default)
  Stream #0:2[0x3](und): Video: h264 (High) (avc1 / 0x31637661), yuv420p, 1080x1920, 30 fps
    Side data:
      displaymatrix: rotation of 90.00 degrees
)";

TEST(ParseVideoShape, ReadsSizePixelShapeAndRotation) {
  struct Case {
    const char* name;
    std::string text;
    int width, height, sarNum, sarDen, rotation;
    double aspect;
  } cases[] = {
      {"phone portrait", kPhonePortrait, 1920, 1080, 1, 1, 270, 9.0 / 16},
      {"rotate tag", kRotateTag, 1280, 720, 1, 1, 270, 9.0 / 16},
      {"landscape", kLandscape, 320, 180, 1, 1, 0, 16.0 / 9},
      {"anamorphic",
       "  Stream #0:0: Video: mpeg2video (Main), yuv420p(tv, top first), 720x576 [SAR 64:45 DAR "
       "16:9], 25 fps",
       720, 576, 64, 45, 0, 16.0 / 9},
      {"jpeg",
       "  Stream #0:0: Video: mjpeg (Baseline), yuvj420p(pc, bt470bg/unknown/unknown), 4032x3024 "
       "[SAR 72:72 DAR 4:3], 25 fps, 25 tbr, 25 tbn",
       4032, 3024, 72, 72, 0, 4.0 / 3},
      {"png",
       "  Stream #0:0: Video: png, rgb24(pc), 1080x1080 [SAR 2835:2835 DAR 1:1], 25 fps, 25 tbn",
       1080, 1080, 2835, 2835, 0, 1},
      {"webp without SAR",
       "  Stream #0:0: Video: webp, yuv420p(tv, bt470bg/unknown/unknown), 800x600, 25 fps", 800,
       600, 1, 1, 0, 4.0 / 3},
      {"unknown SAR is square", "  Stream #0:0: Video: h264, yuv420p, 640x480 [SAR 0:1 DAR 0:1]",
       640, 480, 1, 1, 0, 4.0 / 3},
      {"cover art skipped",
       "  Stream #0:0: Video: mjpeg, yuvj420p(pc), 600x600, 90k tbn (attached pic)\n"
       "  Stream #0:1: Video: h264 (High), yuv420p, 1920x1080 [SAR 1:1 DAR 16:9], 25 fps",
       1920, 1080, 1, 1, 0, 16.0 / 9},
      {"half turn keeps the aspect",
       "  Stream #0:0: Video: h264, yuv420p, 200x100\n    Side data:\n"
       "      displaymatrix: rotation of -180.00 degrees",
       200, 100, 1, 1, 180, 2},
      {"nearly a quarter turn",
       "  Stream #0:0: Video: h264, yuv420p, 200x100\n    Side data:\n"
       "      displaymatrix: rotation of 449.97 degrees",
       200, 100, 1, 1, 90, 0.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<VideoShape> shape = ParseVideoShape(c.text);
    ASSERT_TRUE(shape.has_value());
    EXPECT_EQ(shape->width, c.width);
    EXPECT_EQ(shape->height, c.height);
    EXPECT_EQ(shape->sarNum, c.sarNum);
    EXPECT_EQ(shape->sarDen, c.sarDen);
    EXPECT_EQ(shape->rotationDegrees, c.rotation);
    EXPECT_NEAR(shape->DisplayAspect(), c.aspect, 1e-9);
  }
}

TEST(ParseVideoShape, NothingWithoutAReadableVideoStream) {
  const char* texts[] = {
      "",
      "a.mp4: No such file or directory\n",
      "  Stream #0:0: Audio: mp3, 44100 Hz, stereo, fltp, 128 kb/s\n",
      "  Stream #0:0: Video: mjpeg, yuvj420p, 300x300, 90k tbn (attached pic)\n",
      "  Stream #0:0: Video: h264 (avc1 / 0x31637661), yuv420p, 0x0, 30 fps\n",
      "  Stream #0:0: Video: h264, yuv420p, 99999999999x720, 30 fps\n",
      "  Stream #0:0: Video: rawvideo, yuv420p, 640x480px, 30 fps\n",
  };
  for (const char* text : texts) EXPECT_FALSE(ParseVideoShape(text).has_value()) << text;
  EXPECT_EQ(VideoShape{}.DisplayAspect(), 0);
}

}  // namespace
}  // namespace mivora

namespace mivora {
namespace {

TEST(ParseFrameListSeconds, ReadsThePicturesFromFirstToLastEnd) {
  struct Case {
    std::string listing;
    double seconds;
  } cases[] = {
      // 58 frames of 1/30 s starting late: the pictures, not the audio, count.
      {"#tb 0: 1/15360\n0,  768,  768, 512, 100, 0x1\n0, 29952, 29952, 512, 100, 0x2\n",
       29696.0 / 15360},
      // Reordered frames: the latest end and the earliest start.
      {"#tb 0: 1/30\n0, -1, 2, 1, 9, 0x1\n0, 0, 0, 1, 9, 0x1\n0, 1, 1, 1, 9, 0x1\n", 0.1},
      // Packets of other streams and noise are not the first video stream's.
      {"#tb 0: 1/25\n#tb 1: 1/44100\n1, 0, 0, 1024, 9, 0x1\n0, 0, 0, 1, 9, 0x1\nx,y\n", 0.04},
      {"#tb 0: 1/25\n", 0},
      {"0, 0, 0, 1, 9, 0x1\n", 0},  // no time base
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(ParseFrameListSeconds(c.listing), c.seconds, 1e-9) << c.listing;
  }
}

TEST(ParseSourceInfo, TellsSoundOnlyGuessedLengthsAndSoundApart) {
  struct Case {
    std::string text;
    bool picture, soundOnly, guessed, sound;
  } cases[] = {
      {"  Duration: 00:00:03.00, start: 0\n  Stream #0:0(und): Audio: aac (LC), 44100 Hz\n", false,
       true, false, true},
      {"[mpegvideo @ 0x1] Estimating duration from bitrate, this may be inaccurate\n"
       "  Duration: 00:00:00.02, bitrate: 104853 kb/s\n"
       "  Stream #0:0: Video: mpeg1video, yuv420p(tv), 160x120 [SAR 1:1 DAR 4:3], 25 fps\n",
       true, false, true, false},
      // A video stream of no readable size is not sound alone, nor a cover picture a video.
      {"  Stream #0:0: Video: h264, yuv420p, 30 fps\n  Stream #0:1: Audio: aac\n", false, false,
       false, true},
      {"  Stream #0:0: Audio: mp3\n  Stream #0:1: Video: mjpeg, 300x300 (attached pic)\n", false,
       true, false, true},
      // A silent video, whatever its streams' names say: no sound to keep.
      {"  Stream #0:0(und): Video: h264, yuv420p, 720x1280 [SAR 1:1 DAR 9:16], 30 fps\n"
       "    Metadata:\n      handler_name    : Audio handler\n",
       true, false, false, false},
      {"x.mp4: Invalid data found when processing input\n", false, false, false, false},
  };
  for (const Case& c : cases) {
    SourceInfo info = ParseSourceInfo(c.text);
    EXPECT_EQ(info.shape.has_value(), c.picture) << c.text;
    EXPECT_EQ(info.soundOnly, c.soundOnly) << c.text;
    EXPECT_EQ(info.lengthGuessed, c.guessed) << c.text;
    EXPECT_EQ(info.hasSound, c.sound) << c.text;
  }
}

}  // namespace
}  // namespace mivora
