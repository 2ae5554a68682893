// The fingerprint of a video's pictures and the distance between two: what
// counts as the same picture, a mirrored one, and how videos of different
// lengths are matched.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "jobs/distinct_versions.h"
#include "jobs/video_fingerprint.h"

namespace mivora {
namespace {

// A grey 9x8 picture whose pixel (row, column) is `at(row, column)`.
template <typename Pixel>
std::string Picture(Pixel at) {
  std::string raw;
  for (int row = 0; row < kHashHeight; ++row) {
    for (int column = 0; column < kHashWidth; ++column)
      raw += static_cast<char>(static_cast<unsigned char>(at(row, column)));
  }
  return raw;
}

const std::string kRising = Picture([](int, int c) { return 20 * c; });
const std::string kFalling = Picture([](int, int c) { return 200 - 20 * c; });
const std::string kFlat = Picture([](int, int) { return 90; });
// Brighter towards the top: every pair down differs, no pair across.
const std::string kTopLit = Picture([](int r, int) { return 200 - 20 * r; });
// Dark and bright columns in turn: half the bits set, as it is and mirrored.
const std::string kStripes = Picture([](int, int c) { return c % 2 == 0 ? 10 : 200; });
// Brighter columns in a pattern that is not its own mirror image.
const std::string kPattern = Picture([](int r, int c) { return (c * 37 + r * 11) % 251; });
const std::string kPatternMirrored =
    Picture([](int r, int c) { return ((kHashWidth - 1 - c) * 37 + r * 11) % 251; });
// The same pattern a little brighter, as a re-encode may give it.
const std::string kPatternBrighter =
    Picture([](int r, int c) { return (c * 37 + r * 11) % 251 + 3; });

PictureHash Hash(const std::string& raw, bool mirror) {
  return DifferenceHash(reinterpret_cast<const std::uint8_t*>(raw.data()), mirror);
}

TEST(VideoFingerprint, HashesSayWhichNeighbourIsBrighter) {
  struct Case {
    const char* what;
    const std::string& picture;
    PictureHash hash;
    PictureHash mirrored;
  };
  const Case cases[] = {
      {"brighter to the right", kRising, {0, 0}, {~0ULL, 0}},
      {"brighter to the left", kFalling, {~0ULL, 0}, {0, 0}},
      {"brighter to the top", kTopLit, {0, ~0ULL}, {0, ~0ULL}},
      {"flat", kFlat, {0, 0}, {0, 0}},
      {"stripes", kStripes, {0x5555555555555555ULL, 0}, {0x5555555555555555ULL, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Hash(c.picture, false), c.hash) << c.what;
    EXPECT_EQ(Hash(c.picture, true), c.mirrored) << c.what;
  }
  EXPECT_EQ(Hash(kPatternMirrored, false), Hash(kPattern, true));
  EXPECT_EQ(Hash(kPatternBrighter, false), Hash(kPattern, false));
}

TEST(VideoFingerprint, DistanceIsZeroForTheSamePicturesAndOneForNothingAlike) {
  const std::string video = kPattern + kRising + kFalling;
  struct Case {
    const char* what;
    std::string a;
    std::string b;
    double distance;
  };
  const std::vector<Case> cases = {
      {"the same video", video, video, 0},
      {"a brighter copy", video, kPatternBrighter + kRising + kFalling, 0},
      {"mirrored left-right", video, kPatternMirrored + kFalling + kRising, 0},
      {"twice the samples, same pictures", video,
       kPattern + kPattern + kRising + kRising + kFalling + kFalling, 0},
      {"a gradient and its mirror image", kRising, kFalling, 0},
      {"every pair down differs", kFlat + kFlat, kTopLit + kTopLit, 0.5},
      {"half the pairs across differ", kFlat + kFlat, kStripes + kStripes, 0.25},
      {"in one sample of two", kFlat + kFlat, kFlat + kStripes, 0.125},
      {"samples matched by position", kFlat + kStripes, kFlat + kFlat + kStripes + kStripes, 0},
      {"a cut-off last picture is left out", kRising, kRising + kFalling.substr(0, 10), 0},
      {"no pictures at all", "", video, 1},
  };
  for (const Case& c : cases) {
    VideoFingerprint a = FingerprintOfPictures(c.a);
    VideoFingerprint b = FingerprintOfPictures(c.b);
    EXPECT_DOUBLE_EQ(FingerprintDistance(a, b), c.distance) << c.what;
    EXPECT_DOUBLE_EQ(FingerprintDistance(b, a), c.distance) << c.what << " (other way round)";
  }
}

TEST(VideoFingerprint, TextRoundTripsAndRefusesWhatIsNoFingerprint) {
  VideoFingerprint print = FingerprintOfPictures(kPattern + kFalling);
  std::string text = FingerprintText(print);
  ASSERT_EQ(text.size(), 128u);
  std::optional<VideoFingerprint> back = ParseFingerprint(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->pictures, print.pictures);
  EXPECT_EQ(back->mirrored, print.mirrored);
  for (std::string bad :
       {text.substr(1), text.substr(0, 127) + "g", text.substr(0, 31) + "-" + text.substr(32)}) {
    EXPECT_FALSE(ParseFingerprint(bad)) << bad;
  }
}

TEST(DistinctVersions, NearestEarlierLooksOnlyAtLowerVersionsOfTheSameSource) {
  VersionPrints prints;
  const VideoFingerprint flat = FingerprintOfPictures(kFlat);
  prints.Ended(0, 1, "a-1.mp4", FingerprintOfPictures(kStripes));
  prints.Ended(0, 2, "a-2.mp4", FingerprintOfPictures(kFlat + kStripes));
  prints.Ended(0, 4, "a-4.mp4", flat);  // a later version, finished first
  prints.Ended(1, 1, "b-1.mp4", flat);  // another source
  prints.Ended(0, 3, "a-3.mp4", {});    // failed or unread: never the nearest
  struct Case {
    const char* what;
    std::size_t source;
    int variant;
    int nearest;  // 0: none
    double distance;
  };
  const Case cases[] = {
      {"the first version has none", 0, 1, 0, 0},
      {"only version 1 before 2", 0, 2, 1, 0.25},
      {"the closer of 1 and 2", 0, 3, 2, 0.125},
      {"a later version counts for those after it", 0, 5, 4, 0},
      {"another source's versions never count", 1, 2, 1, 0},
      {"the first version of a source never seen", 2, 1, 0, 0},
  };
  for (const Case& c : cases) {
    std::optional<NearestVersion> nearest = prints.NearestEarlier(c.source, c.variant, flat);
    ASSERT_EQ(nearest.has_value(), c.nearest != 0) << c.what;
    if (!nearest) continue;
    EXPECT_EQ(nearest->variant, c.nearest) << c.what;
    EXPECT_DOUBLE_EQ(nearest->distance, c.distance) << c.what;
  }
}

TEST(DistinctVersions, AVersionThatEndsFirstWaitsForTheLowerOnesOfItsSource) {
  VersionPrints prints;
  const VideoFingerprint flat = FingerprintOfPictures(kFlat);
  std::optional<NearestVersion> nearest;
  std::thread second([&] { nearest = prints.NearestEarlier(0, 3, flat); });
  prints.Ended(0, 2, "a-2.mp4", FingerprintOfPictures(kStripes));
  prints.Ended(1, 1, "b-1.mp4", flat);  // another source's end wakes nobody wrongly
  prints.Ended(0, 1, "a-1.mp4", flat);
  second.join();
  ASSERT_TRUE(nearest);
  EXPECT_EQ(nearest->variant, 1) << "measured before version 1 had ended";
  EXPECT_DOUBLE_EQ(nearest->distance, 0);
}

TEST(DistinctVersions, RedrawsTakeNumbersNoVersionNorOtherRedrawUses) {
  std::set<int> used;
  const int variants = 4;
  for (int v = 1; v <= variants; ++v) used.insert(v);
  for (int v = 1; v <= variants; ++v) {
    for (int redraw = 1; redraw <= kMostRedraws; ++redraw)
      EXPECT_TRUE(used.insert(RedrawNumber(variants, v, redraw)).second) << v << "/" << redraw;
  }
  ItemOutcome outcome;
  EXPECT_FALSE(TooClose(outcome, 0.5)) << "no earlier version";
  outcome.nearest = NearestVersion{1, "a-1.mp4", 0.05};
  EXPECT_TRUE(TooClose(outcome, 0.1));
  EXPECT_FALSE(TooClose(outcome, 0.05)) << "exactly the least distance is far enough";
  EXPECT_FALSE(TooClose(outcome, 0)) << "no least distance";
}

}  // namespace
}  // namespace mivora
