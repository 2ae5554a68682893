// Titles over the real encoder: three versions of a source with a list of
// three hostile titles draw three different titles, in both engines, and
// each title changes its band at the top of the picture and nothing else.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "cli_process.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 1280;

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// The picture one second into `video`, as grey levels.
std::string GreyFrame(const std::string& video, const std::filesystem::path& grab) {
  RunCapture({"ffmpeg", "-y", "-ss", "1", "-i", video, "-frames:v", "1", "-f", "rawvideo",
              "-pix_fmt", "gray", grab.string()},
             test::NeverStopped());
  std::ifstream in(grab, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Changes {
  int inBand = 0;
  int outside = 0;
};

// Pixels clearly changed inside the band the title may take (90% of the
// width, below the top margin, a generous outline around it) and elsewhere.
Changes ChangedPixels(const std::string& plain, const std::string& titled) {
  Changes changes;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::size_t i = static_cast<std::size_t>(y * kWidth + x);
      if (std::abs(static_cast<unsigned char>(plain[i]) - static_cast<unsigned char>(titled[i])) <=
          40)
        continue;
      bool band = x >= 36 - 16 && x < kWidth - 36 + 16 && y >= 72 - 16 && y < 72 + 512 + 16;
      ++(band ? changes.inBand : changes.outside);
    }
  }
  return changes;
}

TEST(CliTitleMedia, VersionsDrawDifferentHostileTitlesInTheirBandOnly) {
  test::TempDir home;
  test::TempDir audio;
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑" / "v1.mp4", {2, 360, 640, 30, true, "testsrc2"}));
  ASSERT_TRUE(test::MakeTone(audio / "a.mp3", 3));
  const std::vector<std::string> titles = {
      Repeat("中文标题", 15),  // 60 characters, several lines
      "'引号\" :冒号 \\反斜杠 50% %{pts} [x];😀\\n第二行", Repeat("很长", 1000),  // 2,000 characters
  };
  std::filesystem::path list = home / "list.txt";
  {
    std::ofstream out(list, std::ios::binary);
    for (const std::string& title : titles) out << title << "\r\n\r\n";
  }
  std::set<std::string> expected(titles.begin(), titles.end());
  expected.erase(titles[1]);
  expected.insert("'引号\" :冒号 \\反斜杠 50% %{pts} [x];😀\n第二行");

  for (const char* engine : {"onepass", "steps"}) {
    SCOPED_TRACE(engine);
    std::map<int, std::string> plain;
    for (bool withTitles : {false, true}) {
      std::filesystem::remove_all(home / "生成视频剪辑");
      std::vector<std::string> more = {"--variants", "3", "--seed", "5", "--engine", engine};
      if (withTitles) more.insert(more.end(), {"--titles", list.string()});
      test::CliResult result =
          test::RunCli(test::RunArgs(home.path(), audio.path(), "特效7", more));
      ASSERT_EQ(result.exitCode, 0) << result.err;
      nlohmann::json summary = test::Summary(result);
      ASSERT_EQ(summary["items"].size(), 3u);
      std::set<std::string> drawn;
      for (const auto& item : summary["items"]) {
        ASSERT_EQ(item["status"], "成功") << item.dump();
        std::string frame = GreyFrame(item["output"], home / "frame.gray");
        ASSERT_EQ(frame.size(), static_cast<std::size_t>(kWidth * kHeight));
        int variant = item["variant"];
        if (!withTitles) {
          EXPECT_TRUE(item["title"].is_null());
          plain[variant] = frame;
          continue;
        }
        drawn.insert(item["title"].get<std::string>());
        Changes changes = ChangedPixels(plain[variant], frame);
        EXPECT_GT(changes.inBand, 2000) << "version " << variant;
        // The encoder's own noise on sharp edges changes a few hundred pixels
        // at most; a title out of its band would change thousands.
        EXPECT_LT(changes.outside, 600) << "version " << variant;
      }
      EXPECT_EQ(drawn, withTitles ? expected : std::set<std::string>{});
    }
  }
}

}  // namespace
}  // namespace mivora
