// Production batches over the real encoder on tiny generated media: several
// versions of one source, and a batch killed outright and resumed.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "cli_process.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::RunCli;
using test::TempDir;

// A home with `videos` three-second sources, one overlay clip and two audio
// files; with two effect lines that gives four tuples to draw from.
struct BatchHome {
  TempDir home;
  TempDir audio;
  explicit BatchHome(int videos) {
    for (int i = 1; i <= videos; ++i) {
      EXPECT_TRUE(test::MakeClip(home / "测试视频剪辑" / ("v" + std::to_string(i) + ".mp4"),
                                 {3, 320, 240, 30, true, "testsrc2"}));
    }
    EXPECT_TRUE(test::MakeClip(home / "黑幕特效" / "black.mp4", {1, 320, 240, 30, false, "color"}));
    EXPECT_TRUE(test::MakeTone(audio / "a.mp3", 4));
    EXPECT_TRUE(test::MakeTone(audio / "b.mp3", 4));
  }
  std::vector<std::string> Args(std::vector<std::string> more) const {
    more.insert(more.end(), {"--all", "--seed", "21"});
    return test::RunArgs(home.path(), audio.path(), "特效7-特效8\n特效8-特效7", more);
  }
  std::filesystem::path Out() const { return home / "生成视频剪辑"; }
  // Every file or folder of a run's own naming anywhere in the home.
  std::vector<std::string> RunLeftovers() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(home.path())) {
      if (entry.path().filename().string().starts_with(".mivora-"))
        found.push_back(entry.path().string());
    }
    return found;
  }
};

std::string PickTuple(const nlohmann::json& item) {
  return item["picks"].dump();
}

TEST(CliBatchMedia, VersionsDifferAndASeedRepeatsThemWhateverTheParallelism) {
  BatchHome media(1);
  std::map<int, std::string> first;
  for (const char* jobs : {"1", "2"}) {
    std::filesystem::remove_all(media.Out());
    test::CliResult result = RunCli(media.Args({"--variants", "3", "-j", jobs}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    nlohmann::json items = test::Summary(result)["items"];
    ASSERT_EQ(items.size(), 3u);
    std::map<int, std::string> tuples;
    for (const auto& item : items) {
      const int k = item["variant"];
      EXPECT_EQ(item["output"], (media.Out() / ("v1-" + std::to_string(k) + ".mp4")).string());
      EXPECT_TRUE(std::filesystem::is_regular_file(item["output"].get<std::string>()));
      EXPECT_FALSE(item["picks"]["audio"].is_null());
      tuples[k] = PickTuple(item);
    }
    std::set<std::string> distinct;
    for (const auto& [k, tuple] : tuples) distinct.insert(tuple);
    EXPECT_EQ(distinct.size(), 3u) << "versions repeat a tuple with -j " << jobs;
    if (first.empty()) {
      first = tuples;
    } else {
      EXPECT_EQ(tuples, first) << "-j 2 drew other versions than -j 1";
    }
  }
  EXPECT_TRUE(media.RunLeftovers().empty());
}

TEST(CliBatchMedia, AKilledBatchResumesWithoutRedoingOrLeavingAnything) {
  BatchHome media(3);
  TempDir logs;
  test::CliProcess killed(media.Args({"-j", "1"}), logs.path());
  // Killed as soon as the first video is finished, the next one under way.
  auto finished = [&] {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(media.Out(), error)) {
      if (!entry.path().filename().string().starts_with(".")) files.push_back(entry.path());
    }
    return files;
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (finished().empty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(finished().size(), 1u) << killed.ErrSoFar();
  ASSERT_EQ(kill(killed.pid(), SIGKILL), 0);
  EXPECT_EQ(killed.Wait().exitCode, 128 + SIGKILL);
  const std::filesystem::path first = finished().at(0);
  const auto firstTime = std::filesystem::last_write_time(first);
  EXPECT_FALSE(media.RunLeftovers().empty()) << "the kill left nothing to clean up";

  test::CliResult resumed = RunCli(media.Args({"-j", "2", "--skip-existing"}));
  EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
  nlohmann::json summary = test::Summary(resumed);
  EXPECT_EQ(summary["skipped"], 1);
  EXPECT_EQ(summary["succeeded"], 2);
  for (const auto& item : summary["items"]) {
    EXPECT_EQ(item["outcome"], item["output"] == first.string() ? "skipped" : "succeeded");
  }
  EXPECT_NE(resumed.err.find("已存在，跳过：" + first.string()), std::string::npos);
  EXPECT_NE(resumed.err.find("已清理中断的运行留下的文件："), std::string::npos) << resumed.err;
  EXPECT_EQ(std::filesystem::last_write_time(first), firstTime);
  EXPECT_EQ(finished().size(), 3u);
  EXPECT_TRUE(media.RunLeftovers().empty());
}

}  // namespace
}  // namespace mivora
