// The fingerprint of real videos made by the encoder: copies that only look
// re-encoded, resized or mirrored come out close, other pictures far.
#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "jobs/video_fingerprint.h"
#include "runner/run_token.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(VideoFingerprintMedia, CopiesAreCloseAndOtherPicturesFar) {
  test::TempDir dir;
  const std::filesystem::path original = dir / "original.mp4";
  ASSERT_TRUE(test::MakeClip(original, {4, 180, 320, 30, false, "testsrc2"}));
  RunToken token;
  const ToolEnv env{dir.path(), token};
  const VideoFingerprint print = FingerprintVideo(env, original);
  ASSERT_EQ(print.pictures.size(), 8u) << "two pictures a second of four seconds";

  struct Case {
    const char* what;
    std::vector<std::string> make;  // encoder arguments that make the copy
    double least;                   // its distance lies in [least, most]
    double most;
  };
  const std::string in = original.string();
  const std::vector<Case> cases = {
      {"re-encoded at a low bit rate", {"-i", in, "-b:v", "60k"}, 0, 0.08},
      {"re-encoded at twice the size", {"-i", in, "-vf", "scale=360:640"}, 0, 0.08},
      {"mirrored left-right", {"-i", in, "-vf", "hflip"}, 0, 0.08},
      {"mirrored and shrunk", {"-i", in, "-vf", "hflip,scale=90:160", "-b:v", "80k"}, 0, 0.08},
      {"grey: colour is not seen", {"-i", in, "-vf", "hue=s=0"}, 0, 0.08},
      {"negative", {"-i", in, "-vf", "negate"}, 0.15, 1},
      {"zoomed to its centre", {"-i", in, "-vf", "crop=iw/2:ih/2,scale=180:320"}, 0.15, 1},
      {"another source",
       {"-f", "lavfi", "-i", "mandelbrot=s=180x320:r=30", "-t", "4", "-pix_fmt", "yuv420p"},
       0.15,
       1},
  };
  for (const Case& c : cases) {
    const std::filesystem::path copy = dir / "copy.mp4";
    ASSERT_TRUE(test::MakeMedia(copy, c.make)) << c.what;
    const double distance = FingerprintDistance(print, FingerprintVideo(env, copy));
    std::cout << c.what << ": " << distance << "\n";
    EXPECT_GE(distance, c.least) << c.what;
    EXPECT_LE(distance, c.most) << c.what;
  }
  EXPECT_TRUE(FingerprintVideo(env, dir / "missing.mp4").empty());
}

}  // namespace
}  // namespace mivora
