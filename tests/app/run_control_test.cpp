// The run buttons over the in-memory window, with a stand-in encoder.
#include "app/run_control.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/fake_encoder.h"
#include "support/media_maker.h"
#include "support/memory_window.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

struct Buttons {
  bool start, stop, pause, resume;
  bool operator==(const Buttons&) const = default;
};

class RunControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_SLEEP_ON");
    setenv("MIVORA_FAKE_DURATION", "00:00:04.00", 1);
    test::InstallFakeEncoder(home.path());
    window.SetText(TextBox::编辑框_特效代码, "特效1-特效2");
  }

  Buttons State() {
    return {window.IsEnabled(Button::按钮_开始检测), window.IsEnabled(Button::按钮_停止检测),
            window.IsEnabled(Button::按钮_暂停检测), window.IsEnabled(Button::按钮_继续检测)};
  }

  void AddRow(ListView list, const std::string& path) {
    int row = window.AppendRow(list);
    window.SetCellText(list, row, 0, std::to_string(row + 1));
    window.SetCellText(list, row, 1, path);
    window.SetCellText(list, row, 2, std::filesystem::path(path).filename().string());
  }

  test::TempDir home;
  MemoryWindow window;
  int waitedMs = 0;
  RunControl control{window, home.path(), [this](int ms) { waitedMs += ms; }};
};

TEST_F(RunControlTest, MissingAudioIsReportedAfterTheFoldersAreMade) {
  window.SetText(TextBox::编辑框_特效代码, "");
  control.StartRun();
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"音频没有导入"});
  for (const char* folder : {"临时", "生成视频剪辑", "生成图片剪辑", "图转视频后路径"}) {
    EXPECT_TRUE(std::filesystem::is_directory(home / folder)) << folder;
  }
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
  EXPECT_FALSE(control.IsRunning());
  EXPECT_EQ(waitedMs, 0);
}

TEST_F(RunControlTest, EffectCodeLines) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  window.SetText(TextBox::编辑框_特效代码, "");
  control.StartRun();
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"特效代码不能为空"});
  EXPECT_TRUE(control.EffectLines().empty());

  // A lone line break passes the check as one empty line.
  window.SetText(TextBox::编辑框_特效代码, "\r\n");
  control.StartRun();
  control.WaitUntilIdle();
  EXPECT_EQ(control.EffectLines(), std::vector<std::string>{""});
  window.SetText(TextBox::编辑框_特效代码, "特效1\r\n\r\n特效2\r\n");
  control.StartRun();
  control.WaitUntilIdle();
  EXPECT_EQ(control.EffectLines(), (std::vector<std::string>{"特效1", "", "特效2"}));

  // A name outside the catalogue refuses the run before it waits or starts.
  waitedMs = 0;
  window.SetText(TextBox::编辑框_特效代码, "特效12-特效99");
  control.StartRun();
  EXPECT_EQ(window.InfoMessages().back(), "没有这个特效：特效99（共有 特效1 到 特效70）");
  EXPECT_EQ(waitedMs, 0);
  EXPECT_FALSE(control.IsRunning());
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
}

TEST_F(RunControlTest, ARunGoesThroughItsButtonStatesAndEndsIdle) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  AddRow(ListView::超级列表框1, "/v/a.mp4");
  // Both engines write the finished video through a part file.
  setenv("MIVORA_FAKE_SLEEP_ON", ".part.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1003", 1);
  control.StartRun();
  EXPECT_EQ(waitedMs, 1000);
  EXPECT_EQ(State(), (Buttons{false, true, true, false}));
  control.PauseRun();
  EXPECT_EQ(State(), (Buttons{false, true, false, true}));
  control.ResumeRun();
  EXPECT_EQ(State(), (Buttons{false, true, true, false}));
  control.StartRun();  // Start is disabled in a window; a call here starts nothing new
  while (!test::ProcessRunning("sleep 1003"))
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  control.StopRun();
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
  control.WaitUntilIdle();
  // A killed process needs a moment to be gone from /proc.
  EXPECT_TRUE(
      test::WaitUntil([] { return !test::ProcessRunning("sleep 1003"); }, std::chrono::seconds(3)));
  // The stopped row says so, and so does the log.
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "已停止");
  EXPECT_TRUE(window.ControlText(TextBox::编辑框_日志).ends_with("已停止：完成 0 个，共 1 个\r\n"));

  // The next Start makes the video.
  unsetenv("MIVORA_FAKE_SLEEP_ON");
  control.StartRun();
  control.WaitUntilIdle();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功");
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"任务完毕"});
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
}

TEST_F(RunControlTest, EveryRunRecordsItsOutputsAndItsEndInAModelOfItsOwn) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  AddRow(ListView::超级列表框1, "/v/a.mp4");
  std::vector<std::shared_ptr<ResultsModel>> models;
  control.SetResults([&](const JobInputs& inputs) {
    EXPECT_EQ(inputs.runDir, home.path());
    SummaryRun run;
    run.home = inputs.runDir;
    models.push_back(std::make_shared<ResultsModel>(run));
    return models.back();
  });
  struct Case {
    const char* name;
    bool stopped;
    std::string outcome;
  } cases[] = {{"stopped", true, "stopped"}, {"finished", false, "succeeded"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.stopped) {
      setenv("MIVORA_FAKE_SLEEP_ON", ".part.mp4", 1);
      setenv("MIVORA_FAKE_SLEEP_SECONDS", "1004", 1);
    } else {
      unsetenv("MIVORA_FAKE_SLEEP_ON");
    }
    control.StartRun();
    if (c.stopped) {
      while (!test::ProcessRunning("sleep 1004"))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      control.StopRun();
    }
    control.WaitUntilIdle();
    ASSERT_EQ(models.back()->Rows().size(), 1u);
    std::ifstream in(RunSummaryPath(home.path()));
    nlohmann::json summary = nlohmann::json::parse(in, nullptr, false);
    ASSERT_TRUE(summary.is_object());
    EXPECT_EQ(summary["interrupted"], c.stopped);
    EXPECT_TRUE(summary["succeeded"].is_number()) << "an ended run has its totals";
    ASSERT_EQ(summary["items"].size(), 1u);
    EXPECT_EQ(summary["items"][0]["outcome"], c.outcome);
  }
  EXPECT_EQ(models.size(), 2u);
}

TEST_F(RunControlTest, ImageModeRunsTheImageJob) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  window.SetChecked(Switch::单选框_图片剪辑, true);
  control.StartRun();
  control.WaitUntilIdle();
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"图片剪辑没有导入"});
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
}

TEST_F(RunControlTest, PauseHoldsTheJobAndResumeFinishesIt) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  AddRow(ListView::超级列表框1, "/v/a.mp4");
  control.StartRun();
  control.PauseRun();
  std::string log = window.ControlText(TextBox::编辑框_日志);
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  EXPECT_EQ(window.ControlText(TextBox::编辑框_日志), log);
  EXPECT_TRUE(control.IsRunning());
  control.ResumeRun();
  control.WaitUntilIdle();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功");
}

// A ticked switch whose list is empty refuses Start by name, in the order of
// the checks, instead of leaving the clip out; audio comes first.
TEST_F(RunControlTest, TickedSwitchesWithEmptyListsRefuseStart) {
  struct Case {
    const char* name;
    std::vector<Switch> checked;
    std::vector<ListView> filled;
    std::string refusal;
  } cases[] = {
      {"no audio before anything else", {Switch::选择框_加片头}, {}, "音频没有导入"},
      {"intro", {Switch::选择框_加片头}, {kAudioList, kBlackScreenList}, "片头没有导入"},
      {"outro", {Switch::选择框_加片尾}, {kAudioList, kBlackScreenList}, "片尾没有导入"},
      {"an empty overlay list means no overlay",
       {Switch::单选框_加绿幕},
       {kAudioList},
       "视频剪辑没有导入"},
      {"intro before outro",
       {Switch::选择框_加片头, Switch::选择框_加片尾},
       {kAudioList, kBlackScreenList},
       "片头没有导入"},
      {"every list there: the item list is next",
       {Switch::选择框_加片头, Switch::单选框_加绿幕},
       {kAudioList, kIntroList, kGreenScreenList},
       "视频剪辑没有导入"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryWindow fresh;
    fresh.SetText(TextBox::编辑框_特效代码, "特效1");
    for (Switch control : c.checked) fresh.SetChecked(control, true);
    for (ListView list : c.filled) {
      int row = fresh.AppendRow(list);
      fresh.SetCellText(list, row, kPathColumn, "/x/a");
    }
    RunControl run{fresh, home.path(), [](int) {}};
    run.StartRun();
    run.WaitUntilIdle();
    EXPECT_EQ(fresh.InfoMessages(), std::vector<std::string>{c.refusal});
  }
}

// The worker hands the front what it has to show and never waits for it: a
// job runs to its end while the front's thread takes nothing, and the front
// then shows it all, in order.
TEST_F(RunControlTest, AJobEndsWhileTheFrontTakesNothing) {
  AddRow(ListView::超级列表框5, "/m/a.mp3");
  AddRow(ListView::超级列表框1, "/v/a.mp4");
  std::mutex mutex;
  std::vector<std::function<void()>> held;
  RunControl run{window, home.path(), [](int) {},
                 [&](std::function<void()> task) {
                   std::lock_guard lock(mutex);
                   held.push_back(std::move(task));
                 }};
  run.StartRun();
  run.WaitUntilIdle();
  EXPECT_EQ(window.CellText(kVideoList, 0, 3), "");
  EXPECT_TRUE(window.InfoMessages().empty());
  EXPECT_FALSE(std::filesystem::is_empty(home / "生成视频剪辑"));
  for (auto& task : held) task();
  EXPECT_EQ(window.CellText(kVideoList, 0, 3), "成功");
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"任务完毕"});
  EXPECT_EQ(State(), (Buttons{true, false, false, false}));
}

TEST(MemoryWindowTest, MissingCellsReadEmptyAndIgnoreWrites) {
  MemoryWindow window;
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 0), "");
  window.SetCellText(ListView::超级列表框1, 0, 0, "x");
  EXPECT_EQ(window.RowCount(ListView::超级列表框1), 0);
  int row = window.AppendRow(ListView::超级列表框1);
  window.SetCellText(ListView::超级列表框1, row, 9, "x");
  EXPECT_EQ(window.CellText(ListView::超级列表框1, row, 9), "");
  window.AppendLog("a");
  EXPECT_EQ(window.ControlText(TextBox::编辑框_日志), std::string(kDefaultLogText) + "a");
  EXPECT_TRUE(window.IsChecked(Switch::单选框_视频剪辑));
  window.SetChecked(Switch::单选框_图片剪辑, true);
  EXPECT_FALSE(window.IsChecked(Switch::单选框_视频剪辑));
}

}  // namespace
}  // namespace mivora
