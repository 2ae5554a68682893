// The presenter turns the core's events into the window's cells, log lines
// and messages, exactly as the window has always shown them.
#include "app/job_presenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/run_estimate.h"
#include "support/memory_window.h"

namespace mivora {
namespace {

ListView ItemList(bool videoMode) {
  return videoMode ? kVideoList : kImageList;
}

std::string Log(MemoryWindow& window) {
  return window.ControlText(TextBox::编辑框_日志).substr(std::string(kDefaultLogText).size());
}

ItemPlan Plan(bool videoMode, int item) {
  ItemPlan plan;
  plan.item = item;
  plan.videoMode = videoMode;
  plan.outputName = "a.mp4";
  plan.imageVideo = "/home/图转视频后路径/a.mp4";
  return plan;
}

ItemOutcome Outcome(ItemOutcome::Kind kind, std::string status, std::string step = {}) {
  ItemOutcome outcome;
  outcome.kind = kind;
  outcome.status = std::move(status);
  outcome.failedStep = std::move(step);
  return outcome;
}

TEST(JobPresenter, TurnsARecordedSequenceIntoCellsAndLogLines) {
  using Kind = ItemOutcome::Kind;
  struct Case {
    const char* name;
    bool videoMode;
    ItemOutcome outcome;
    ListView statusList;
    int statusColumn;
    std::string status;
  } cases[] = {
      {"video success", true, Outcome(Kind::kSucceeded, "成功"), kVideoList, 3, "成功"},
      {"image failure of a later step", false, Outcome(Kind::kFailed, "剪切失败", "剪切 out1"),
       kImageList, 5, "剪切失败"},
      {"a failed conversion stays in the image list", false,
       Outcome(Kind::kFailed, "【图片转视频】未知错误", "图片转视频"), kImageList, 5,
       "【图片转视频】未知错误"},
      {"the item's own mode decides", false, Outcome(Kind::kSucceeded, "成功"), kImageList, 5,
       "成功"},
      {"a stopped item says so", true, Outcome(Kind::kStopped, ""), kVideoList, 3, "已停止"},
      {"a stopped image says so", false, Outcome(Kind::kStopped, ""), kImageList, 5, "已停止"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryWindow window;
    for (ListView list : {kVideoList, kImageList}) {
      window.AppendRow(list);
      window.AppendRow(list);
    }
    JobPresenter presenter(window);
    ItemPlan plan = Plan(c.videoMode, 2);
    presenter.ItemStarted(plan);
    EXPECT_EQ(window.CellText(ItemList(c.videoMode), 1, c.videoMode ? 3 : 5), "正在剪辑");
    presenter.StepStarted(plan, "特效12");
    presenter.Log(plan, "视频特效处理。。。\r\n");
    presenter.ConsoleOutput("");
    presenter.ConsoleOutput("muxing overhead: 1%\n");
    presenter.ItemFinished(plan, c.outcome);

    EXPECT_EQ(Log(window), "正在剪辑\r\n视频特效处理。。。\r\n");
    EXPECT_EQ(window.ControlText(TextBox::编辑框_输出返回), "muxing overhead: 1%\n");
    EXPECT_EQ(window.CellText(c.statusList, 1, c.statusColumn), c.status);
    EXPECT_EQ(window.CellText(c.statusList, 0, c.statusColumn), "");
    if (!c.videoMode) {
      EXPECT_EQ(window.CellText(kImageList, 1, 3), "/home/图转视频后路径/a.mp4");
      EXPECT_EQ(window.CellText(kImageList, 1, 4), "a.mp4");
    }
  }
}

// Two items at once, each through several steps: the bar counts ended items
// and the running items' shares, never goes back (also when a step begins)
// and ends full; its label counts ended items, and successes at the end.
// Log lines name their item; a success names its video, every other ending
// explains itself in a hint.
TEST(JobPresenter, ReportsProgressFinishedVideosAndFailureHints) {
  MemoryWindow window;
  for (int row = 0; row < 2; ++row) window.AppendRow(kVideoList);
  JobPresenter presenter(window, 2, JobPresenter::LogLines::kNamed);
  ItemPlan first = Plan(true, 1);
  first.name = "a.mp4";
  ItemPlan second = Plan(true, 2);
  second.name = "b.mp4";
  presenter.ItemStarted(first);
  presenter.ItemStarted(second);
  for (const char* step : {"剪切 out1", "特效12", "合并生成视频"}) {
    presenter.StepStarted(first, step);
    presenter.StepStarted(second, step);
    for (double seconds : {0.0, 2.5, 5.0, 10.0}) {
      presenter.Progress(first, seconds, 10);
      presenter.Progress(second, seconds / 2, 10);
    }
  }
  presenter.Progress(second, 1, 0);  // an unknown total changes nothing
  EXPECT_GT(window.RunProgress().fraction, 0.5);
  EXPECT_LT(window.RunProgress().fraction, 1.0);
  EXPECT_EQ(window.RunProgress().label, "0/2");
  ItemOutcome done = Outcome(ItemOutcome::Kind::kSucceeded, "成功");
  done.output = "/home/生成视频剪辑/a.mp4";
  presenter.ItemFinished(first, done);
  EXPECT_EQ(window.RunProgress().label, "1/2");
  presenter.Log(second, "视频特效处理。。。\r\n");
  ItemOutcome failed = Outcome(ItemOutcome::Kind::kFailed, "剪切失败", "剪切 out1");
  failed.lastError = "Invalid data found\nwhen processing input";
  presenter.ItemFinished(second, failed);
  presenter.JobEnded({JobEnd::Kind::kFinished, "任务完毕", {}});

  MemoryWindow::Progress end = window.RunProgress();
  EXPECT_EQ(end.label, "1/2 成功，1 个失败");
  EXPECT_EQ(end.endNote, "已完成");
  EXPECT_TRUE(end.failed);
  EXPECT_DOUBLE_EQ(end.fraction, 1.0);
  std::vector<double> history = window.ProgressHistory();
  EXPECT_TRUE(std::is_sorted(history.begin(), history.end()));
  EXPECT_EQ(Log(window),
            "【1 a.mp4】正在剪辑\r\n【2 b.mp4】正在剪辑\r\n生成视频：/home/生成视频剪辑/a.mp4\r\n"
            "【2 b.mp4】视频特效处理。。。\r\n");
  EXPECT_EQ(window.CellToolTip(kVideoList, 0, 3), "");
  EXPECT_EQ(window.CellToolTip(kVideoList, 1, 3),
            "剪切失败\n失败步骤：剪切 out1\nInvalid data found\nwhen processing input");
  // The next run of the row starts without the old hint.
  presenter.ItemStarted(second);
  EXPECT_EQ(window.CellToolTip(kVideoList, 1, 3), "");
}

// The work the time left is told from: an output weighs its own line once it
// begins and the lines' mean before; a skipped one weighs nothing, a failed
// one what it did, and a one-pass encode halfway is half its output.
TEST(JobPresenter, CountsTheRunsWorkWithoutItsSkippedOutputs) {
  using Kind = ItemOutcome::Kind;
  MemoryWindow window;
  for (int row = 0; row < 3; ++row) window.AppendRow(kVideoList);
  JobPresenter presenter(window, 3);
  presenter.GuessWork({"特效12", "特效12-特效29"});
  const double light = OutputWork("特效12");
  const double heavy = OutputWork("特效12-特效29");
  const double guess = (light + heavy) / 2;
  std::vector<ItemPlan> plans;
  for (int item = 1; item <= 3; ++item) {
    plans.push_back(Plan(true, item));
    plans.back().effects.names = item == 2 ? "特效12-特效29" : "特效12";
  }
  struct Step {
    const char* what;
    std::function<void()> event;
    double done;
    double total;
  } steps[] = {
      {"a run begins", [&] { presenter.RunStarted(); }, 0, 3 * guess},
      {"its first output begins", [&] { presenter.ItemStarted(plans[0]); }, 0, light + 2 * guess},
      {"and is found made",
       [&] { presenter.ItemFinished(plans[0], Outcome(Kind::kSkipped, "已存在，跳过")); }, 0,
       2 * guess},
      {"the second begins", [&] { presenter.ItemStarted(plans[1]); }, 0, heavy + guess},
      {"its probe tells no length",
       [&] {
         presenter.StepStarted(plans[1], "探测时长");
         presenter.StepStarted(plans[1], "一次编码");
       },
       0, heavy + guess},
      {"its encode is halfway", [&] { presenter.Progress(plans[1], 2, 4); }, heavy / 2,
       heavy + guess},
      {"and fails there",
       [&] { presenter.ItemFinished(plans[1], Outcome(Kind::kFailed, "剪切失败")); }, heavy / 2,
       heavy / 2 + guess},
      {"the third is made",
       [&] {
         presenter.ItemStarted(plans[2]);
         presenter.Progress(plans[2], 4, 4);
         presenter.ItemFinished(plans[2], Outcome(Kind::kSucceeded, "成功"));
       },
       heavy / 2 + light, heavy / 2 + light},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.event();
    EXPECT_NEAR(window.RunProgress().workDone, step.done, 1e-9);
    EXPECT_NEAR(window.RunProgress().workTotal, step.total, 1e-9);
  }
}

// How a job ends: a refusal shows its message, a stop tells the log and the
// clock with the count done, a finished job says "任务完毕" with a second
// line only when something failed, and the bar then says how many failed.
TEST(JobPresenter, ShowsTheEndOfAJob) {
  using Kind = ItemOutcome::Kind;
  struct Case {
    const char* name;
    std::vector<Kind> outcomes;
    JobEnd end;
    std::vector<std::string> infos;
    std::string logTail;
    std::string endNote;
    std::string label = {};
    bool failed = false;
  } cases[] = {
      {"refused",
       {},
       {JobEnd::Kind::kRefused, "找不到编码器", "找不到编码器\r\n"},
       {"找不到编码器"},
       "找不到编码器\r\n",
       ""},
      {"stopped after one",
       {Kind::kSucceeded, Kind::kStopped},
       {JobEnd::Kind::kStopped, {}, {}},
       {},
       "已停止：完成 1 个，共 2 个\r\n",
       "已停止"},
      {"all succeeded",
       {Kind::kSucceeded, Kind::kSucceeded},
       {JobEnd::Kind::kFinished, "任务完毕", {}},
       {"任务完毕"},
       "",
       "已完成",
       "2/2 成功"},
      {"one of two failed",
       {Kind::kSucceeded, Kind::kCouldNotStart},
       {JobEnd::Kind::kFinished, "任务完毕", {}},
       {"任务完毕\r\n成功 1 个，失败 1 个"},
       "",
       "已完成",
       "1/2 成功，1 个失败",
       true},
      {"every one failed",
       {Kind::kFailed, Kind::kFailed},
       {JobEnd::Kind::kFinished, "任务完毕", {}},
       {"任务完毕\r\n成功 0 个，失败 2 个"},
       "",
       "已完成",
       "0/2 成功，2 个失败",
       true},
      {"stopped after a failure",
       {Kind::kFailed, Kind::kStopped},
       {JobEnd::Kind::kStopped, {}, {}},
       {},
       "已停止：完成 1 个，共 2 个\r\n",
       "已停止",
       "1/2",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryWindow window;
    for (int row = 0; row < 2; ++row) window.AppendRow(kVideoList);
    JobPresenter presenter(window, static_cast<int>(c.outcomes.size()));
    for (std::size_t i = 0; i < c.outcomes.size(); ++i) {
      presenter.ItemFinished(Plan(true, static_cast<int>(i) + 1), Outcome(c.outcomes[i], "x"));
    }
    std::string before = Log(window);
    presenter.JobEnded(c.end);
    EXPECT_EQ(window.InfoMessages(), c.infos);
    EXPECT_EQ(Log(window).substr(before.size()), c.logTail);
    EXPECT_EQ(window.RunProgress().endNote, c.endNote);
    EXPECT_EQ(window.RunProgress().failed, c.failed);
    if (!c.label.empty()) {
      EXPECT_EQ(window.RunProgress().label, c.label);
    }
  }
}

// A new run empties every status and its hint, in every list that has them,
// so nothing of the last run is read as this one's.
TEST(JobPresenter, ARunStartsWithNoStatusOfTheLastOne) {
  MemoryWindow window;
  for (ListView list : {kVideoList, kImageList, kAudioList, kIntroList}) {
    for (int row = 0; row < 3; ++row) window.AppendRow(list);
  }
  for (ListView list : {kVideoList, kImageList, kAudioList}) {
    for (int row = 0; row < 3; ++row) {
      window.SetCellText(list, row, StatusColumn(list), "剪切失败");
      window.SetCellToolTip(list, row, StatusColumn(list), "剪切失败\n失败步骤：剪切 out1");
    }
  }
  window.SetCellText(kIntroList, 0, kPathColumn, "/i/a.mp4");
  JobPresenter presenter(window, 2);
  presenter.RunStarted();
  for (ListView list : {kVideoList, kImageList, kAudioList}) {
    for (int row = 0; row < 3; ++row) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(list) << ":" << row);
      EXPECT_EQ(window.CellText(list, row, StatusColumn(list)), "");
      EXPECT_EQ(window.CellToolTip(list, row, StatusColumn(list)), "");
    }
  }
  EXPECT_EQ(window.CellText(kIntroList, 0, kPathColumn), "/i/a.mp4");
  EXPECT_EQ(window.RunProgress().label, "0/2");
}

// A clip nobody can read is named in the audio list's row, not only in the log.
TEST(JobPresenter, MarksAnUnreadableAudioFileInItsRow) {
  MemoryWindow window;
  for (const char* path : {"/m/a.mp3", "/m/b.mp3"}) {
    int row = window.AppendRow(kAudioList);
    window.SetCellText(kAudioList, row, kPathColumn, path);
  }
  JobPresenter presenter(window);
  presenter.ClipUnreadable("/m/b.mp3");
  presenter.ClipUnreadable("/m/片头.mp4");
  EXPECT_EQ(window.CellText(kAudioList, 0, 3), "");
  EXPECT_EQ(window.CellText(kAudioList, 1, 3), "无法读取");
}

// A row whose source makes several versions is done when all of them are;
// its cell counts what was made and its tooltip names what failed.
TEST(JobPresenter, ARowWithVersionsCountsThem) {
  using Kind = ItemOutcome::Kind;
  struct Case {
    const char* name;
    std::vector<ItemOutcome> outcomes;  // versions 1..3, in the order they end
    std::string status;
    std::vector<std::string> inTooltip;
  } cases[] = {
      {"all made, one found from before",
       {Outcome(Kind::kSucceeded, "成功"), Outcome(Kind::kSkipped, "已存在，跳过"),
        Outcome(Kind::kSucceeded, "成功")},
       "成功 3/3",
       {}},
      {"one failed",
       {Outcome(Kind::kSucceeded, "成功"), Outcome(Kind::kFailed, "剪切失败", "剪切 out1"),
        Outcome(Kind::kSucceeded, "成功")},
       "成功 2/3",
       {"a-2.mp4：剪切失败", "失败步骤：剪切 out1"}},
      {"none made",
       {Outcome(Kind::kFailed, "剪切失败"), Outcome(Kind::kFailed, "剪切失败"),
        Outcome(Kind::kFailed, "剪切失败：素材太短")},
       "剪切失败：素材太短",
       {"a-1.mp4：剪切失败", "a-3.mp4：剪切失败：素材太短"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryWindow window;
    window.AppendRow(kVideoList);
    JobPresenter presenter(window, 1);
    for (int k = 1; k <= 3; ++k) {
      ItemPlan plan = Plan(true, 1);
      plan.variant = k;
      plan.variants = 3;
      plan.outputName = "a-" + std::to_string(k) + ".mp4";
      presenter.ItemStarted(plan);
      presenter.ItemFinished(plan, c.outcomes[static_cast<std::size_t>(k - 1)]);
      if (k < 3) {
        EXPECT_EQ(window.CellText(kVideoList, 0, 3), "已完成 " + std::to_string(k) + "/3");
      }
    }
    EXPECT_EQ(window.CellText(kVideoList, 0, 3), c.status);
    std::string tooltip = window.CellToolTip(kVideoList, 0, 3);
    EXPECT_EQ(tooltip.empty(), c.inTooltip.empty()) << tooltip;
    for (const std::string& part : c.inTooltip)
      EXPECT_NE(tooltip.find(part), std::string::npos) << tooltip;
    EXPECT_EQ(window.RunProgress().label, "3/3");
  }
}

}  // namespace
}  // namespace mivora
