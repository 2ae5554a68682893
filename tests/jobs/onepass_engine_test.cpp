// The one-pass engine against a stand-in encoder: one run per item, the same
// log lines, statuses and files as the step engine, and the step engine taking
// over an item whose graph fails.
#include "jobs/onepass_engine.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <set>

#include "job_harness.h"
#include "support/fake_encoder.h"

namespace mivora {
namespace {

constexpr char kSucceeded[] =
    "视频特效处理。。。\r\n视频剪切成功。。。\r\n合并特效视频音频成功。。。\r\n";
constexpr char kRetry[] = "一次编码失败，改用分步处理重试。。。\r\n";

class OnePassEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_SLEEP_ON");
    setenv("MIVORA_FAKE_DURATION", "00:00:20.00", 1);
    test::InstallFakeEncoder(home.path());
    h.engineName = "onepass";
    h.AddSource("/src/a.mp4");
    h.AddClip(test::Clips::kAudios, "/music/a.mp3");
    h.AddClip(test::Clips::kBlackScreens, "/black/k.mp4");
  }
  void TearDown() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_FAIL_TEXT");
  }

  std::string Log() { return h.Log(); }
  std::string Status() { return h.Status(1); }

  std::vector<std::vector<std::string>> Encodes() {
    std::vector<std::vector<std::string>> encodes;
    for (auto& call : test::FakeEncoderCalls(home.path())) {
      if (call.size() > 2) encodes.push_back(call);
    }
    return encodes;
  }

  // Files of the output folder other than the finished video.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home / "生成视频剪辑")) {
      if (entry.path().filename() != "a.mp4") names.push_back(entry.path().filename().string());
    }
    return names;
  }

  test::JobHarness h;
  test::TempDir& home = h.home;
  OnePassEngine engine;
};

TEST_F(OnePassEngineTest, AnItemIsOneEncoderRun) {
  h.AddClip(test::Clips::kIntros, "/intro/i.mp4");
  h.choices.intro = true;
  setenv("MIVORA_FAKE_DURATION", "00:00:20.50", 1);
  h.ProcessVideoItem(1);

  std::vector<std::vector<std::string>> encodes = Encodes();
  ASSERT_EQ(encodes.size(), 1u);
  const std::vector<std::string>& args = encodes[0];
  std::vector<std::string> inputs(args.begin(), args.begin() + 11);
  EXPECT_EQ(inputs,
            (std::vector<std::string>{"-y", "-i", "/src/a.mp4", "-i", "/intro/i.mp4", "-i",
                                      "/black/k.mp4", "-stream_loop", "-1", "-i", "/music/a.mp3"}));
  // 20 seconds of walk after an intro of 20.5.
  EXPECT_EQ(*(args.end() - 2), "40");
  EXPECT_EQ(std::filesystem::path(args.back()).parent_path(), home / "生成视频剪辑");

  EXPECT_EQ(Log(), kSucceeded);
  EXPECT_EQ(Status(), "成功");
  EXPECT_EQ(h.sink.Outcome(1)->output, home / "生成视频剪辑/a.mp4");
  EXPECT_EQ(h.sink.Console(), "video:1kB audio:0kB muxing overhead: 0.1%\n");
  EXPECT_TRUE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_TRUE(std::filesystem::is_empty(home / "临时"));
}

TEST_F(OnePassEngineTest, AFailedGraphIsDoneAgainStepByStep) {
  // Only the one-pass graph holds the padding filter.
  setenv("MIVORA_FAKE_FAIL_ON", "tpad=", 1);
  h.ProcessVideoItem(1);
  EXPECT_EQ(Encodes().size(), 1u + 7 + 6 + 4);
  EXPECT_EQ(Log(), std::string("视频特效处理。。。\r\n") + kRetry +
                       "视频剪切成功。。。\r\n合并特效视频音频成功。。。\r\n");
  EXPECT_EQ(Status(), "成功");
  EXPECT_EQ(h.sink.Outcome(1)->output, home / "生成视频剪辑/a.mp4");
  EXPECT_TRUE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
  EXPECT_TRUE(Leftovers().empty());
}

// The step engine taking over keeps the item's intro, overlay and audio: the
// same seed gives the same picks with or without the fallback.
TEST_F(OnePassEngineTest, AFallbackKeepsThePicks) {
  auto picksOfARun = [](bool fallBack) {
    test::JobHarness run;
    test::InstallFakeEncoder(run.home.path());
    run.engineName = "onepass";
    run.AddSource("/src/a.mp4");
    for (char c : std::string("abcdef")) {
      run.AddClip(test::Clips::kIntros, std::string("/intro/") + c + ".mp4");
      run.AddClip(test::Clips::kAudios, std::string("/music/") + c + ".mp3");
      run.AddClip(test::Clips::kBlackScreens, std::string("/black/") + c + ".mp4");
    }
    run.choices.intro = true;
    if (fallBack) setenv("MIVORA_FAKE_FAIL_ON", "tpad=", 1);
    run.ProcessVideoItem(1);
    unsetenv("MIVORA_FAKE_FAIL_ON");
    std::set<std::string> picks;
    for (const auto& call : test::FakeEncoderCalls(run.home.path())) {
      if (call.size() <= 2) continue;  // probes, not picks
      for (std::size_t i = 0; i < call.size(); ++i) {
        if (call[i].starts_with("/intro/") || call[i].starts_with("/black/")) picks.insert(call[i]);
        if (call[i] == "-stream_loop" && i + 3 < call.size()) picks.insert(call[i + 3]);
      }
    }
    return picks;
  };
  std::set<std::string> direct = picksOfARun(false);
  EXPECT_EQ(direct.size(), 3u);
  EXPECT_EQ(picksOfARun(true), direct);
}

TEST_F(OnePassEngineTest, FailuresAreReportedByTheStepsTheyBelongTo) {
  struct Case {
    const char* failOn;
    const char* status;
    const char* log;
  } cases[] = {
      {"/src/a.mp4", "剪切失败", "剪切失败。。。\r\n"},
      {"concat=", "【合并生成视频-----输出失败】重新初始化过滤器错误",
       "视频剪切成功。。。\r\n合并生成视频-----输出失败\r\n合并特效视频音频----【失败】\r\n"},
      {"colorkey", "【黑幕特效-----输出失败】重新初始化过滤器错误",
       "视频剪切成功。。。\r\n黑幕特效-----输出失败\r\n合并特效视频音频----【失败】\r\n"},
      {"stream_loop", "【添加音频-----输出失败】重新初始化过滤器错误",
       "视频剪切成功。。。\r\n添加音频-----输出失败\r\n合并特效视频音频----【失败】\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failOn);
    setenv("MIVORA_FAKE_FAIL_ON", c.failOn, 1);
    std::size_t before = Log().size();
    h.ProcessVideoItem(1);
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(Log().substr(before), std::string("视频特效处理。。。\r\n") + kRetry + c.log);
    EXPECT_EQ(h.sink.Console(), "Error reinitializing filters\n");
    EXPECT_FALSE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
    EXPECT_TRUE(Leftovers().empty());
  }
}

TEST_F(OnePassEngineTest, AnEffectOutsideTheCatalogueRunsNoGraph) {
  h.effectLines = {"特效1-特效99-特效2"};
  h.ProcessVideoItem(1);
  EXPECT_EQ(Status(), "剪切失败");
  EXPECT_EQ(Log(), std::string("视频特效处理。。。\r\n") + kRetry + "剪切失败。。。\r\n");
  for (const auto& args : Encodes()) {
    for (const std::string& arg : args) EXPECT_EQ(arg.find("tpad="), std::string::npos);
  }
}

TEST_F(OnePassEngineTest, AVideoNeverNamedIsDeleted) {
  std::vector<WalkStep> walk = {{WalkStep::Kind::kCut, 1, 0, 2, {}},
                                {WalkStep::Kind::kRender, 1, 0, 0, "特效1"}};
  {
    OnePassEngine stopped;
    ASSERT_EQ(stopped.RunWalk(h.Run(1), walk, "/src/a.mp4", "/music/a.mp3").text, "输出成功");
    EXPECT_EQ(Leftovers().size(), 1u);
  }
  EXPECT_TRUE(Leftovers().empty());

  // Items side by side, each with an engine of its own, keep their own videos.
  OnePassEngine other;
  ItemRun& first = h.Run(1, "a.mp4");
  ItemRun& second = h.Run(2, "two.mp4");
  ASSERT_EQ(engine.RunWalk(first, walk, "/src/a.mp4", {}).text, "输出成功");
  ASSERT_EQ(other.RunWalk(second, walk, "/src/a.mp4", {}).text, "输出成功");
  AssemblyPicks picks;
  picks.outputFolder = home / "生成视频剪辑";
  EXPECT_EQ(other.Assemble(second, picks).text, "输出成功");
  EXPECT_EQ(engine.Assemble(first, picks).text, "输出成功");
  EXPECT_EQ(Leftovers(), std::vector<std::string>{"two.mp4"});
  EXPECT_TRUE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
}

}  // namespace
}  // namespace mivora

namespace mivora {
namespace {

// A full disk or a folder that refuses the output fails in any engine: the
// item says so instead of blaming its source or its step, and the one-pass
// engine does not do the work again step by step.
TEST_F(OnePassEngineTest, TheMachinesFaultsAreSaidAndNotRetried) {
  const std::string output = (home / "生成视频剪辑").string();
  struct Case {
    const char* engine;
    const char* failOn;
    const char* text;
    std::string status;
  } cases[] = {
      {"onepass", "tpad=", "No space left on device", "磁盘空间不足：" + output},
      {"onepass", "tpad=", "Permission denied", "输出目录无法写入：" + output},
      {"steps", "stream_loop", "Permission denied", "输出目录无法写入：" + output},
      {"steps", "/src/a.mp4", "No space left on device",
       "磁盘空间不足：" + (home / "临时").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.engine) + " " + c.text);
    h.engineName = c.engine;
    setenv("MIVORA_FAKE_FAIL_ON", c.failOn, 1);
    setenv("MIVORA_FAKE_FAIL_TEXT", c.text, 1);
    std::size_t before = Log().size();
    ItemOutcome outcome = h.ProcessVideoItem(1);
    EXPECT_EQ(Status(), c.status);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_TRUE(outcome.MachineFault());
    EXPECT_EQ(Log().find(kRetry, before), std::string::npos) << Log();
    EXPECT_FALSE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
    EXPECT_TRUE(Leftovers().empty());
  }
}

}  // namespace
}  // namespace mivora
