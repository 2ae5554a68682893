// The watermark with the real encoder: a hostile text drawn on a plain clip
// in two corners changes pixels only near that corner, at the chosen
// opacity, and the same on every frame (nothing in it was expanded).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "jobs/watermark.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 1280;
constexpr int kFrames = 12;
constexpr std::size_t kFrameBytes = static_cast<std::size_t>(kWidth * kHeight);

// Short enough for one corner at the default size.
const std::string kHostileText = "'\"a:5%\\[x];%{pts}%{n}水印😀";

// The first `kFrames` pictures of `clip` through `filter` (none when empty),
// as grey levels, unencoded so that equal pictures are equal bytes.
std::string GreyFrames(const std::filesystem::path& clip, const std::string& filter,
                       const std::filesystem::path& grab, std::string* log) {
  std::vector<std::string> args = {"ffmpeg", "-y", "-i", clip.string()};
  if (!filter.empty()) args.insert(args.end(), {"-vf", filter});
  args.insert(args.end(), {"-frames:v", std::to_string(kFrames), "-f", "rawvideo", "-pix_fmt",
                           "gray", grab.string()});
  *log = RunCapture(args, test::NeverStopped()).output;
  std::ifstream in(grab, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Box {
  int left = kWidth, top = kHeight, right = -1, bottom = -1;
  int count = 0;
  int brightest = 0;
};

Box ChangedPixels(const std::string& plain, const std::string& marked) {
  Box box;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::size_t i = static_cast<std::size_t>(y * kWidth + x);
      int before = static_cast<unsigned char>(plain[i]);
      int after = static_cast<unsigned char>(marked[i]);
      if (std::abs(after - before) <= 12) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
      box.brightest = std::max(box.brightest, after);
      ++box.count;
    }
  }
  return box;
}

TEST(WatermarkMedia, HostileTextChangesOnlyItsCorner) {
  CjkFont font = FindCjkFont(test::NeverStopped());
  ASSERT_EQ(font.error, "");
  test::TempDir dir;
  std::filesystem::path clip = dir / "plain.mp4";
  ASSERT_TRUE(test::MakeClip(clip, {.seconds = 1, .audio = false, .source = "color=c=0x204060"}));
  // The text file's folder is as hostile as the text.
  std::filesystem::path folder = dir / "it's [a]:b,c;d 水印 %d";
  std::filesystem::create_directories(folder);
  std::filesystem::path textFile = folder / "text.txt";
  ASSERT_TRUE(WriteWatermarkText(textFile, kHostileText));
  ASSERT_EQ(test::ReadFile(textFile), kHostileText);

  std::string log;
  std::string plain = GreyFrames(clip, "", dir / "plain.gray", &log);
  ASSERT_EQ(plain.size(), kFrameBytes * kFrames) << log;
  const int background = static_cast<unsigned char>(plain[0]);

  constexpr int kMargin = 24;
  constexpr int kSize = 40;
  for (WatermarkPosition position :
       {WatermarkPosition::kTopLeft, WatermarkPosition::kBottomRight}) {
    SCOPED_TRACE(WatermarkPositionName(position));
    WatermarkOptions options;
    options.enabled = true;
    options.text = kHostileText;
    options.position = position;
    ASSERT_EQ(WatermarkProblem(options), "");
    std::string filter = WatermarkFilter(options, font, textFile);
    std::string marked = GreyFrames(clip, filter, dir / "marked.gray", &log);
    ASSERT_EQ(marked.size(), kFrameBytes * kFrames) << filter << "\n" << log;

    Box box = ChangedPixels(plain.substr(0, kFrameBytes), marked.substr(0, kFrameBytes));
    ASSERT_GT(box.count, 500);
    if (position == WatermarkPosition::kTopLeft) {
      EXPECT_GE(box.left, kMargin - 2);
      EXPECT_GE(box.top, kMargin - 2);
      EXPECT_LE(box.bottom, kMargin + kSize * 3 / 2);
      EXPECT_LT(box.right, kWidth - kMargin);
    } else {
      EXPECT_LE(box.right, kWidth - kMargin + 1);
      EXPECT_LE(box.bottom, kHeight - kMargin + 1);
      EXPECT_GE(box.top, kHeight - kMargin - kSize * 3 / 2);
      EXPECT_GT(box.left, kMargin);
    }
    // White at 0.8 over the background: clearly lighter, not full white.
    int expected = background + (255 - background) * 8 / 10;
    EXPECT_NEAR(box.brightest, expected, 12);
    // An expanded "%{pts}" or "%{n}" would differ from frame to frame.
    for (int frame = 1; frame < kFrames; ++frame) {
      EXPECT_EQ(marked.substr(kFrameBytes * frame, kFrameBytes), marked.substr(0, kFrameBytes))
          << "frame " << frame;
    }
  }
}

}  // namespace
}  // namespace mivora
