// The batch library under the command line: shards, per-item seeds, the
// preparation checks, the summary and the exit status, and the progress
// texts.
#include <gtest/gtest.h>

#include <set>

#include "cli/batch_run.h"
#include "cli/batch_summary.h"
#include "cli/progress_report.h"
#include "media/media_import.h"
#include "runner/text.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(ShardItems, ShardsTogetherCoverEveryItemOnce) {
  for (int rows : {0, 1, 5, 7}) {
    for (int count : {1, 2, 3, 8}) {
      std::multiset<int> seen;
      for (int index = 0; index < count; ++index) {
        for (int item : ShardItems(rows, index, count)) {
          EXPECT_EQ((item - 1) % count, index);
          seen.insert(item);
        }
      }
      ASSERT_EQ(static_cast<int>(seen.size()), rows) << rows << " rows, " << count << " shards";
      for (int item = 1; item <= rows; ++item) EXPECT_EQ(seen.count(item), 1u);
    }
  }
  EXPECT_EQ(ShardItems(5, 1, 2), (std::vector<int>{2, 4}));
}

TEST(ParseShard, TakesOnlyIndexBelowCount) {
  const std::pair<const char*, bool> cases[] = {{"0/1", true},   {"2/3", true},  {"3/3", false},
                                                {"-1/3", false}, {"1/0", false}, {"1", false},
                                                {"1/2x", false}, {"1-2", false}, {"", false}};
  for (const auto& [text, valid] : cases) {
    int index = -1;
    int count = -1;
    EXPECT_EQ(ParseShard(text, index, count), valid) << text;
  }
  int index = -1;
  int count = -1;
  ASSERT_TRUE(ParseShard("2/3", index, count));
  EXPECT_EQ(index, 2);
  EXPECT_EQ(count, 3);
}

TEST(ItemTick, RepeatsForSeedAndItemAndDiffersOtherwise) {
  EXPECT_EQ(ItemTick(42, 3), ItemTick(42, 3));
  std::set<std::uint32_t> ticks;
  for (std::uint32_t seed : {0u, 1u, 2u}) {
    for (int item = 1; item <= 50; ++item) ticks.insert(ItemTick(seed, item));
  }
  EXPECT_EQ(ticks.size(), 150u);
}

// A home whose lists hold names only: the imports read names, not content.
struct NamesHome {
  TempDir home;
  TempDir audio;
  explicit NamesHome(int videos) {
    for (int i = 1; i <= videos; ++i) {
      // Named first: GCC 12 at -O3 reports a false -Wrestrict for "v" + std::string&&.
      std::string number = std::to_string(i);
      WriteFile(home / "测试视频剪辑" / ("v" + number + ".mp4"), "");
    }
    WriteFile(audio / "a.mp3", "");
  }
  BatchOptions Options() const {
    BatchOptions options;
    options.runDir = home.path();
    options.audioFolder = audio.path();
    return options;
  }
};

TEST(PrepareBatch, ChecksInTheWindowsOrderAndImportsAsAsked) {
  struct Case {
    const char* name;
    int videos;
    bool withAudio;
    std::string effectCode;
    bool all;
    std::string message;
    int rows;
  };
  const Case cases[] = {
      {"first two, as the window", 5, true, "特效7", false, "", 2},
      {"whole list", 5, true, "特效7", true, "", 5},
      {"no audio before empty code", 1, false, "", false, "音频没有导入（只读取 .mp3 文件）", 1},
      {"empty effect code", 1, true, "", false, "特效代码不能为空", 1},
      {"a line break is a line", 1, true, "\n", false, "", 1},
      {"an unknown name", 1, true, "特效12-特效99", false,
       "没有这个特效：特效99（共有 特效1 到 特效70）", 1},
      {"an empty name", 1, true, "特效12--特效29", false,
       "特效代码中有空的特效名：“-”的两边都要有特效名", 1},
      {"no sources", 0, true, "特效7", true, "视频剪辑没有导入（只读取 {videos} 中的 .mp4 文件）",
       0},
  };
  for (const Case& c : cases) {
    NamesHome home(c.videos);
    BatchOptions options = home.Options();
    if (!c.withAudio) options.audioFolder = home.home / "none";
    options.effectCode = c.effectCode;
    options.all = c.all;
    JobInputs inputs;
    std::string message = ReplacePairs(
        c.message,
        {{"{videos}", (home.home / ImportFolderName(MediaKind::kSourceVideos)).string()}});
    EXPECT_EQ(PrepareBatch(options, inputs), message) << c.name;
    EXPECT_EQ(inputs.items.size(), static_cast<std::size_t>(c.rows)) << c.name;
    EXPECT_TRUE(std::filesystem::is_directory(home.home / "生成视频剪辑")) << c.name;
  }
}

TEST(PrepareBatch, SetsTheSwitchesOfTheRun) {
  NamesHome home(1);
  BatchOptions options = home.Options();
  options.run.videoMode = false;
  options.outro = true;
  options.greenScreen = true;
  JobInputs inputs;
  PrepareBatch(options, inputs);
  EXPECT_FALSE(inputs.options.videoMode);
  EXPECT_FALSE(inputs.choices.intro);
  EXPECT_TRUE(inputs.choices.outro);
  EXPECT_FALSE(inputs.choices.blackScreen);
}

TEST(BatchSummary, RecordsSeedItemsAndExitStatus) {
  BatchOptions options;
  options.seed = 1234;
  options.shardIndex = 1;
  options.shardCount = 3;
  std::vector<ItemResult> results = {
      {2,
       "/h/a.mp4",
       "特效7-特效8",
       "成功",
       "/h/out/a.mp4",
       1.5,
       ItemOutcome::Kind::kSucceeded,
       {},
       {},
       2,
       {"/h/片头/i.mp4", "", true, "/h/黑幕特效/b.mp4", "/a/x.mp3", "/h/out", "新品\n上市"}},
      {5,
       "/h/b.mp4",
       "特效8",
       "剪切失败",
       "",
       0.5,
       ItemOutcome::Kind::kFailed,
       "剪切 out1",
       "boom",
       1,
       {}},
      {8, "/h/c.mp4", "特效9", "", "", 0.2, ItemOutcome::Kind::kStopped, {}, {}, 1, {}},
      {8,
       "/h/c.mp4",
       "特效9",
       kSkippedStatus,
       "/h/out/c-2.mp4",
       0,
       ItemOutcome::Kind::kSkipped,
       {},
       {},
       2,
       {}}};
  results[0].sound = SoundMode::kBoth;
  nlohmann::json summary = BatchSummary(options, results, 0);
  EXPECT_EQ(summary["seed"], 1234);
  EXPECT_EQ(summary["shard"], "1/3");
  EXPECT_EQ(summary["succeeded"], 1);
  EXPECT_EQ(summary["skipped"], 1);
  // A stopped output is not a failure: it is counted apart.
  EXPECT_EQ(summary["failed"], 1);
  EXPECT_EQ(summary["stopped"], 1);
  ASSERT_EQ(summary["items"].size(), 4u);
  EXPECT_EQ(summary["items"][0]["variant"], 2);
  EXPECT_EQ(summary["items"][0]["picks"], nlohmann::json({{"effect_line", "特效7-特效8"},
                                                          {"intro", "/h/片头/i.mp4"},
                                                          {"outro", nullptr},
                                                          {"overlay", "/h/黑幕特效/b.mp4"},
                                                          {"audio", "/a/x.mp3"}}));
  EXPECT_EQ(summary["items"][0]["title"], "新品\n上市");
  EXPECT_TRUE(summary["items"][1]["title"].is_null()) << "no title drawn";
  EXPECT_EQ(summary["items"][0]["sound"], "both");
  EXPECT_EQ(summary["items"][1]["sound"], "music");
  EXPECT_EQ(summary["items"][3]["outcome"], "skipped");
  EXPECT_EQ(summary["items"][3]["output"], "/h/out/c-2.mp4");
  EXPECT_EQ(summary["items"][2]["outcome"], "stopped");
  EXPECT_EQ(summary["items"][2]["status"], "stopped");
  EXPECT_FALSE(summary.contains("message"));
  // UTC to the millisecond, so that a later run's text sorts after it.
  std::string finishedAt = summary["finished_at"];
  ASSERT_EQ(finishedAt.size(), 24u) << finishedAt;
  EXPECT_EQ(finishedAt.substr(10, 1) + finishedAt.substr(19, 1) + finishedAt.substr(23), "T.Z");
  EXPECT_EQ(BatchSummary(options, {}, 0, "视频剪辑没有导入")["message"], "视频剪辑没有导入");
  EXPECT_EQ(summary["items"][0]["output"], "/h/out/a.mp4");
  EXPECT_TRUE(summary["items"][1]["output"].is_null());
  EXPECT_EQ(summary["items"][1]["effect_line"], "特效8");
  EXPECT_EQ(summary["items"][1]["outcome"], "failed");
  EXPECT_EQ(summary["items"][1]["failed_step"], "剪切 out1");
  EXPECT_EQ(summary["items"][1]["last_error"], "boom");
  EXPECT_TRUE(summary["items"][0]["failed_step"].is_null());

  EXPECT_EQ(BatchExitCode(results, 0), 1);
  EXPECT_EQ(BatchExitCode({results[0]}, 0), 0);
  EXPECT_EQ(BatchExitCode({results[0], results[3]}, 0), 0) << "a skipped output is done";
  EXPECT_EQ(BatchExitCode({}, 0), 0);
  EXPECT_EQ(BatchExitCode({results[0]}, 2), 130);
}

TEST(Progress, ClockAndEstimate) {
  EXPECT_EQ(FormatClock(0), "0:00");
  EXPECT_EQ(FormatClock(59.6), "1:00");
  EXPECT_EQ(FormatClock(3725), "1:02:05");
  EXPECT_LT(EstimateSecondsLeft(10, 0, 4), 0);
  EXPECT_DOUBLE_EQ(EstimateSecondsLeft(30, 1, 4), 90);
  EXPECT_DOUBLE_EQ(EstimateSecondsLeft(30, 4, 4), 0);
}

}  // namespace
}  // namespace mivora
