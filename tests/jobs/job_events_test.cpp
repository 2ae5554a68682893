// The core's events for one item, recorded from a stand-in encoder: the
// sequence a front sees for a good item, a failed cut, a stop during an
// effect and a pause.
#include "jobs/job_events.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <mutex>
#include <thread>

#include "jobs/clip_jobs.h"
#include "support/fake_encoder.h"
#include "support/media_maker.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

class Recorder : public JobSink {
 public:
  void ItemStarted(const ItemPlan& plan) override {
    Add("started " + std::to_string(plan.item) + " " + plan.effects.names);
  }
  void StepStarted(const ItemPlan&, std::string_view step) override {
    Add("step " + std::string(step));
  }
  void Log(const ItemPlan&, std::string_view line) override {
    Add("log " + std::string(line.substr(0, line.size() - 2)));
  }
  void ItemFinished(const ItemPlan&, const ItemOutcome& outcome) override {
    const char* kinds[] = {"succeeded", "failed", "stopped", "could not start"};
    Add(std::string("finished ") + kinds[static_cast<int>(outcome.kind)] + " " + outcome.status +
        (outcome.failedStep.empty() ? "" : " at " + outcome.failedStep));
  }
  std::vector<std::string> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  void Add(std::string event) {
    std::lock_guard lock(mutex_);
    events_.push_back(std::move(event));
  }
  std::mutex mutex_;
  std::vector<std::string> events_;
};

class JobEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_SLEEP_ON");
    setenv("MIVORA_FAKE_DURATION", "00:00:04.00", 1);
    test::InstallFakeEncoder(home.path());
    inputs.runDir = home.path();
    inputs.items = {{1, "/src/a.mp4", "a.mp4"}};
    inputs.effectLines = {"特效1"};
    inputs.options.engine = EngineKind::kSteps;  // the sequences below are the step engine's
    inputs.choices.blackScreens = {"/black/k.mp4"};
    inputs.choices.audios = {"/music/a.mp3"};
    inputs.seed = 7;
  }
  void TearDown() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_SLEEP_ON");
  }

  // Runs the item on a thread of its own, as a front's worker does.
  std::thread Start() {
    return std::thread([this] { outcomes = RunItems(inputs, recorder, token); });
  }

  test::TempDir home;
  JobInputs inputs;
  Recorder recorder;
  RunToken token;
  std::vector<ItemOutcome> outcomes;
};

TEST_F(JobEvents, SequencesOfAGoodItemAndAFailedCut) {
  const std::vector<std::string> walk = {"started 1 特效1", "step 探测时长",
                                         "log 视频特效处理。。。", "step 剪切 out1"};
  struct Case {
    const char* failOn;
    std::vector<std::string> rest;
  } cases[] = {
      {nullptr,
       {"step 特效1", "step 剪切 out2", "log 视频剪切成功。。。", "step 合并生成视频",
        "step 黑幕特效", "step 添加音频", "log 合并特效视频音频成功。。。",
        "finished succeeded 成功"}},
      {"/src/a", {"log 剪切失败。。。", "finished failed 剪切失败 at 剪切 out1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failOn ? c.failOn : "good");
    if (c.failOn) setenv("MIVORA_FAKE_FAIL_ON", c.failOn, 1);
    Recorder fresh;
    std::vector<ItemOutcome> result = RunItems(inputs, fresh, token);
    std::vector<std::string> expected = walk;
    expected.insert(expected.end(), c.rest.begin(), c.rest.end());
    EXPECT_EQ(fresh.Events(), expected);
    ASSERT_EQ(result.size(), 1u);
    EXPECT_EQ(result[0].ok(), c.failOn == nullptr);
    if (c.failOn) {
      EXPECT_EQ(result[0].lastError, "Error reinitializing filters");
    }
  }
  EXPECT_TRUE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
}

TEST_F(JobEvents, AStopDuringAnEffectEndsTheItemAsStoppedAndSilently) {
  setenv("MIVORA_FAKE_SLEEP_ON", "-fx.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1011", 1);
  inputs.items.push_back({2, "/src/b.mp4", "b.mp4"});
  std::thread worker = Start();
  ASSERT_TRUE(test::WaitUntil([] { return test::ProcessRunning("sleep 1011"); }, 10s));
  token.Cancel();
  worker.join();
  std::vector<std::string> events = recorder.Events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], "step 特效1");
  EXPECT_EQ(events.back(), "finished stopped ");
  ASSERT_EQ(outcomes.size(), 2u);
  EXPECT_EQ(outcomes[0].kind, ItemOutcome::Kind::kStopped);
  EXPECT_EQ(outcomes[0].status, "");
  // The second item never started: stopped too, and no event of it was sent.
  EXPECT_EQ(outcomes[1].kind, ItemOutcome::Kind::kStopped);
  EXPECT_TRUE(test::WaitUntil([] { return !test::ProcessRunning("sleep 1011"); }, 3s));
}

TEST_F(JobEvents, APauseHoldsEveryEventUntilResumed) {
  setenv("MIVORA_FAKE_SLEEP_ON", "-fx.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1.013", 1);
  std::thread worker = Start();
  ASSERT_TRUE(test::WaitUntil([] { return test::ProcessRunning("sleep 1.013"); }, 10s));
  token.Pause();
  std::size_t atPause = recorder.Events().size();
  // Frozen: the encoder's second of sleep passes twice over without an event.
  std::this_thread::sleep_for(2s);
  EXPECT_EQ(recorder.Events().size(), atPause);
  token.Resume();
  worker.join();
  // The stand-in fails after its sleep; the item ends with that failure.
  EXPECT_GT(recorder.Events().size(), atPause);
  EXPECT_EQ(recorder.Events().back(), "finished failed 剪切失败 at 特效1");
}

}  // namespace
}  // namespace mivora
