// Batches over a stand-in encoder: which items each shard takes, what the
// JSON summary says against the files on disk, and the exit status when an
// item fails. Quick, because the stand-in answers at once.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "cli_process.h"
#include "media/home_lock.h"
#include "support/fake_encoder.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::RunCli;
using test::TempDir;
using test::WriteFile;

struct FakeHome {
  TempDir home;
  TempDir audio;
  explicit FakeHome(int videos) {
    test::InstallFakeEncoder(home.path());
    for (int i = 1; i <= videos; ++i)
      WriteFile(home / "测试视频剪辑" / ("clip" + std::to_string(i) + ".mp4"), "x");
    WriteFile(home / "黑幕特效" / "black.mp4", "x");
    WriteFile(audio / "a.mp3", "x");
  }
  std::vector<std::string> Args(std::vector<std::string> more,
                                std::string effectCode = "特效7-特效8") const {
    return test::RunArgs(home.path(), audio.path(), effectCode, more);
  }
};

TEST(CliBatchFake, ShardsTogetherCoverEveryItemExactlyOnce) {
  FakeHome home(5);
  std::multiset<std::string> sources;
  for (const char* shard : {"0/2", "1/2"}) {
    test::CliResult result = RunCli(home.Args({"--all", "--shard", shard, "-j", "2"}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    nlohmann::json summary = test::Summary(result);
    EXPECT_EQ(summary["shard"], shard);
    for (const auto& item : summary["items"]) sources.insert(item["source"].get<std::string>());
  }
  ASSERT_EQ(sources.size(), 5u);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(sources.count(
                  (home.home / "测试视频剪辑" / ("clip" + std::to_string(i) + ".mp4")).string()),
              1u);
  }
  EXPECT_FALSE(std::filesystem::exists(home.home / ".mivora-work"));
}

// A window open on the home would rewrite the run's outputs: the run is
// refused, makes nothing, and its summary says why.
TEST(CliBatchFake, ARunOnAHomeAWindowHasIsRefused) {
  FakeHome home(1);
  auto window = std::make_unique<HomeLock>(home.home.path(), HomeLock::Holder::kWindow);
  test::CliResult refused = RunCli(home.Args({}));
  EXPECT_EQ(refused.exitCode, 1);
  const std::string message = "这个主目录已在窗口中打开：" + home.home.path().string();
  EXPECT_NE(refused.err.find(message), std::string::npos) << refused.err;
  EXPECT_NE(test::Summary(refused).dump().find(message), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home.home / "生成视频剪辑" / "clip1.mp4"));
  window.reset();
  EXPECT_EQ(RunCli(home.Args({})).exitCode, 0);
}

TEST(CliBatchFake, WithoutAllTakesTheFirstTwoAsTheWindow) {
  FakeHome home(3);
  nlohmann::json summary = test::Summary(RunCli(home.Args({})));
  ASSERT_EQ(summary["items"].size(), 2u);
  EXPECT_EQ(summary["items"][0]["item"], 1);
  EXPECT_EQ(summary["items"][1]["item"], 2);
}

TEST(CliBatchFake, FailedItemExitsOneAndJsonMatchesTheDisk) {
  FakeHome home(3);
  // Every encoder run that reads clip2 fails.
  test::CliResult result =
      RunCli(home.Args({"--all", "--seed", "99"}), {"MIVORA_FAKE_FAIL_ON=clip2.mp4"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  nlohmann::json summary = test::Summary(result);
  EXPECT_EQ(summary["seed"], 99);
  EXPECT_EQ(summary["failed"], 1);
  std::set<std::string> outputs;
  for (const auto& item : summary["items"]) {
    EXPECT_EQ(item["effect_line"], "特效7-特效8");
    bool ok = item["status"] == "成功";
    EXPECT_EQ(ok, item["source"].get<std::string>().find("clip2") == std::string::npos)
        << item.dump();
    if (!ok) {
      EXPECT_EQ(item["status"], "剪切失败");
      EXPECT_TRUE(item["output"].is_null());
      continue;
    }
    std::string output = item["output"];
    EXPECT_TRUE(std::filesystem::is_regular_file(output)) << output;
    outputs.insert(output);
  }
  std::set<std::string> onDisk;
  for (const auto& file : std::filesystem::directory_iterator(home.home / "生成视频剪辑")) {
    onDisk.insert(file.path().string());
  }
  EXPECT_EQ(onDisk, outputs);
}

// A hung encoder is stopped after --stall-timeout and only its item fails.
TEST(CliBatchFake, AHungEncoderFailsOnlyItsItem) {
  FakeHome home(2);
  test::CliResult result =
      RunCli(home.Args({"--stall-timeout", "1"}),
             {"MIVORA_FAKE_SLEEP_ON=clip1.mp4", "MIVORA_FAKE_SLEEP_SECONDS=47"});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  nlohmann::json items = test::Summary(result)["items"];
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]["status"], "剪切失败：编码器无响应");
  EXPECT_FALSE(items[0]["failed_step"].is_null());
  EXPECT_EQ(items[1]["status"], "成功");
}

// An unreadable audio file beside a good one is named once and never used.
TEST(CliBatchFake, AnUnreadableAudioFileIsNamedAndLeftOut) {
  FakeHome home(2);
  WriteFile(home.audio / "bad.mp3", "x");
  test::CliResult result = RunCli(home.Args({}), {"MIVORA_FAKE_UNREADABLE=bad.mp3"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("无法读取，不参与选择：" + (home.audio / "bad.mp3").string() + "\n"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(test::Summary(result)["succeeded"], 2);
  for (const auto& call : test::FakeEncoderCalls(home.home.path())) {
    if (call.size() > 2) {
      EXPECT_EQ(test::JoinArgs(call).find("bad.mp3"), std::string::npos);
    }
  }
}

// A folder with nothing the run reads still gets its summary, which names
// what is read.
TEST(CliBatchFake, NothingToDoStillPrintsTheSummary) {
  FakeHome home(0);
  WriteFile(home.home / "测试视频剪辑/phone.MOV", "x");
  test::CliResult result = RunCli(home.Args({}));
  EXPECT_EQ(result.exitCode, 2);
  nlohmann::json summary = test::Summary(result);
  EXPECT_TRUE(summary["items"].empty());
  EXPECT_NE(summary["message"].get<std::string>().find(".mp4"), std::string::npos);
  EXPECT_NE(result.err.find(".mp4"), std::string::npos);
}

// The shards' summaries, kept in files as a scheduler's tasks keep them, make
// one report; a failure in one shard, then its rerun, decide the exit status.
TEST(CliBatchFake, ReportMergesTheShardsOfABatch) {
  FakeHome home(5);
  TempDir reports;
  auto runShard = [&](const std::string& shard, const std::string& name,
                      const std::vector<std::string>& env) {
    test::CliResult result = RunCli(home.Args({"--all", "--shard", shard}), env);
    WriteFile(reports / name, result.out);
    return (reports / name).string();
  };
  std::string shard0 = runShard("0/2", "0.json", {});
  std::string shard1 = runShard("1/2", "1.json", {"MIVORA_FAKE_FAIL_ON=clip4.mp4"});

  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string shown;  // in standard output, or standard error when the code is 2
  };
  const std::string notes = (reports / "notes.txt").string();
  WriteFile(notes, "not a summary");
  const Case cases[] = {
      {{"report", shard0, shard1}, 1, "共 5 项：成功 4，跳过 0，失败 1，未完成 0\n"},
      {{"report", shard0, notes, shard1}, 2, "不是 mivora-cli run --json 的汇总：" + notes},
  };
  for (const Case& c : cases) {
    test::CliResult result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.args.size() << result.err;
    const std::string& text = c.exitCode == 2 ? result.err : result.out;
    EXPECT_NE(text.find(c.shown), std::string::npos) << text;
  }

  // The failed shard again: its later summary wins, whatever the order given.
  std::string again = runShard("1/2", "1-again.json", {});
  test::CliResult merged = RunCli({"report", "--json", again, shard0, shard1});
  EXPECT_EQ(merged.exitCode, 0) << merged.out;
  nlohmann::json report = test::Summary(merged);
  EXPECT_EQ(report["totals"]["items"], 5);
  EXPECT_EQ(report["totals"]["succeeded"], 5);
  EXPECT_EQ(report["items"][3]["summary"], again);
}

// A resumed batch makes what is missing and remakes what is not a whole
// video: the stand-in encoder's outputs are empty files, so the two left
// standing are made again (and say so), the one removed is simply made.
// Keeping a whole video is shown with the real encoder.
TEST(CliBatchFake, SkipExistingMakesTheMissingAndRemakesTheBrokenOutputs) {
  FakeHome home(3);
  ASSERT_EQ(RunCli(home.Args({"--all"})).exitCode, 0);
  std::filesystem::path lost = home.home / "生成视频剪辑" / "clip2.mp4";
  std::filesystem::remove(lost);

  test::CliResult result = RunCli(home.Args({"--all", "--skip-existing", "-j", "2"}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  nlohmann::json summary = test::Summary(result);
  EXPECT_EQ(summary["skipped"], 0);
  EXPECT_EQ(summary["succeeded"], 3);
  EXPECT_EQ(summary["failed"], 0);
  for (const auto& item : summary["items"]) {
    const std::string output = item["output"].get<std::string>();
    const bool missing = output == lost.string();
    EXPECT_EQ(item["outcome"], "succeeded") << item.dump();
    EXPECT_EQ(item.contains("remade"), !missing) << item.dump();
    EXPECT_EQ(result.err.find("成品不完整，重新生成：" + output + "\n") != std::string::npos,
              !missing)
        << result.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(output));
  }
  EXPECT_EQ(result.err.find("已存在，跳过："), std::string::npos) << result.err;
}

TEST(CliBatchFake, SeedRepeatsTheEffectLinesWhateverTheParallelism) {
  FakeHome home(6);
  auto lines = [&](std::vector<std::string> more) {
    more.push_back("--all");
    nlohmann::json summary = test::Summary(RunCli(home.Args(more, "特效7\n特效8\n特效15\n特效16")));
    std::map<int, std::string> picked;
    for (const auto& item : summary["items"]) picked[item["item"]] = item["effect_line"];
    return picked;
  };
  std::map<int, std::string> serial = lines({"--seed", "5", "-j", "1"});
  EXPECT_EQ(serial.size(), 6u);
  EXPECT_EQ(lines({"--seed", "5", "-j", "3"}), serial);
  std::map<int, std::string> shards = lines({"--seed", "5", "--shard", "1/2"});
  for (const auto& [item, line] : shards) EXPECT_EQ(line, serial[item]) << item;
  std::set<std::string> distinct;
  for (const auto& [item, line] : serial) distinct.insert(line);
  EXPECT_GT(distinct.size(), 1u) << "six items all drew one line of four";
}

}  // namespace
}  // namespace mivora
