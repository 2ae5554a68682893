// How far apart the versions of a source come out, over the real encoder:
// the summary's fingerprints and nearest versions, the least distance that
// draws a version again, and the page of a batch opened in a real browser.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <string>

#include "cli_process.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::RunCli;
using test::TempDir;

// The least distance the command line documents: above a re-encoded copy,
// below versions with different effect lines.
constexpr double kDocumentedLeast = 0.1;

struct DistinctHome {
  TempDir home;
  TempDir audio;
  DistinctHome() {
    EXPECT_TRUE(
        test::MakeClip(home / "测试视频剪辑" / "v1.mp4", {3, 320, 240, 30, true, "testsrc2"}));
    EXPECT_TRUE(test::MakeTone(audio / "a.mp3", 4));
  }
  std::vector<std::string> Args(const std::string& effectCode,
                                std::vector<std::string> more) const {
    more.insert(more.end(), {"--all", "--seed", "5", "--variants", "2"});
    return test::RunArgs(home.path(), audio.path(), effectCode, more);
  }
};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST(CliDistinctMedia, VersionsOfOtherEffectLinesAreFartherThanTheDocumentedLeast) {
  DistinctHome media;
  // A mirror laid under the picture against a negative: nothing alike.
  const std::string lines = "特效11\n特效16";
  test::CliResult made = RunCli(media.Args(lines, {}));
  ASSERT_EQ(made.exitCode, 0) << made.err;
  nlohmann::json items = test::Summary(made)["items"];
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0]["closest"].is_null()) << "the first version has no earlier one";
  for (const auto& item : items) EXPECT_TRUE(item["fingerprint"].is_string()) << item.dump();
  const nlohmann::json& closest = items[1]["closest"];
  ASSERT_TRUE(closest.is_object()) << items[1].dump();
  EXPECT_EQ(closest["variant"], 1);
  EXPECT_EQ(closest["output"], items[0]["output"]);
  EXPECT_GT(closest["distance"].get<double>(), kDocumentedLeast);

  // A resumed run reads the kept videos again: the same prints, the same distance.
  test::CliResult resumed = RunCli(media.Args(lines, {"--skip-existing"}));
  ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
  nlohmann::json again = test::Summary(resumed)["items"];
  ASSERT_EQ(again.size(), 2u);
  EXPECT_EQ(again[1]["outcome"], "skipped");
  EXPECT_EQ(again[1]["fingerprint"], items[1]["fingerprint"]);
  EXPECT_EQ(again[1]["closest"], closest);
}

TEST(CliDistinctMedia, AVersionTooCloseIsDrawnAgainThriceThenKeptAndSaid) {
  DistinctHome media;
  // Grey and swapped chroma: the same pictures to the fingerprint, whatever is drawn.
  test::CliResult made = RunCli(media.Args("特效7\n特效14", {"--min-distance", "0.1"}));
  ASSERT_EQ(made.exitCode, 0) << made.err;
  nlohmann::json items = test::Summary(made)["items"];
  ASSERT_EQ(items.size(), 2u);
  const std::string first = items[0]["output"];
  const std::string second = items[1]["output"];
  EXPECT_EQ(Count(made.err, "版本差异过小，换一组选择重新生成：" + second + " 与 " + first), 3u)
      << made.err;
  EXPECT_EQ(Count(made.err, "重新生成 3 次后差异仍过小，保留：" + second + " 与 " + first), 1u)
      << made.err;
  EXPECT_EQ(Count(made.err, "版本差异过小"), 3u) << "the first version was drawn again";
  EXPECT_EQ(items[1]["outcome"], "succeeded");
  EXPECT_TRUE(std::filesystem::is_regular_file(second));
  EXPECT_LT(items[1]["closest"]["distance"].get<double>(), 0.1);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(media.home.path()))
    EXPECT_EQ(entry.path().filename().string().find("aside-"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace mivora
