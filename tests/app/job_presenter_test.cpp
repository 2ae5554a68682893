// The presenter turns the core's events into the window's cells, log lines
// and messages, exactly as the window has always shown them.
#include "app/job_presenter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/memory_window.h"

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
    bool videoCheckedAtEnd;
    ItemOutcome outcome;
    ListView statusList;
    int statusColumn;
    std::string status;
  } cases[] = {
      {"video success", true, true, Outcome(Kind::kSucceeded, "成功"), kVideoList, 3, "成功"},
      {"image failure of a later step", false, false,
       Outcome(Kind::kFailed, "剪切失败", "剪切 out1"), kImageList, 5, "剪切失败"},
      {"a failed conversion stays in the image list", false, true,
       Outcome(Kind::kFailed, "【图片转视频】未知错误", "图片转视频"), kImageList, 5,
       "【图片转视频】未知错误"},
      {"the mode checked at the end decides", false, true, Outcome(Kind::kSucceeded, "成功"),
       kVideoList, 3, "成功"},
      {"a stopped item keeps its running status", true, true, Outcome(Kind::kStopped, ""),
       kVideoList, 3, "正在剪辑：特效12"},
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
    window.SetChecked(c.videoCheckedAtEnd ? Switch::单选框_视频剪辑 : Switch::单选框_图片剪辑,
                      true);
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

// Two items at once: the bar counts ended items and the running items' share
// of their current step, never goes back within a step and ends full; a
// success names its video in the log, a failure explains itself in a hint.
TEST(JobPresenter, ReportsProgressFinishedVideosAndFailureHints) {
  MemoryWindow window;
  for (int row = 0; row < 2; ++row) window.AppendRow(kVideoList);
  JobPresenter presenter(window, 2);
  ItemPlan first = Plan(true, 1);
  ItemPlan second = Plan(true, 2);
  presenter.ItemStarted(first);
  presenter.ItemStarted(second);
  presenter.StepStarted(first, "合并生成视频");
  presenter.Progress(first, 5, 10);
  presenter.Progress(second, 2.5, 10);
  presenter.Progress(second, 1, 0);  // an unknown total changes nothing
  EXPECT_DOUBLE_EQ(window.RunProgress().fraction, (0.5 + 0.25) / 2);
  ItemOutcome done = Outcome(ItemOutcome::Kind::kSucceeded, "成功");
  done.output = "/home/生成视频剪辑/a.mp4";
  presenter.ItemFinished(first, done);
  EXPECT_EQ(window.RunProgress().itemsDone, 1);
  EXPECT_DOUBLE_EQ(window.RunProgress().fraction, (1 + 0.25) / 2);
  ItemOutcome failed = Outcome(ItemOutcome::Kind::kFailed, "剪切失败", "剪切 out1");
  failed.lastError = "Invalid data found\nwhen processing input";
  presenter.ItemFinished(second, failed);

  MemoryWindow::Progress end = window.RunProgress();
  EXPECT_EQ(end.itemsDone, 2);
  EXPECT_EQ(end.itemsTotal, 2);
  EXPECT_DOUBLE_EQ(end.fraction, 1.0);
  std::vector<double> history = window.ProgressHistory();
  EXPECT_TRUE(std::is_sorted(history.begin(), history.end()));
  EXPECT_EQ(Log(window), "正在剪辑\r\n正在剪辑\r\n生成视频：/home/生成视频剪辑/a.mp4\r\n");
  EXPECT_EQ(window.CellToolTip(kVideoList, 0, 3), "");
  EXPECT_EQ(window.CellToolTip(kVideoList, 1, 3),
            "失败步骤：剪切 out1\nInvalid data found\nwhen processing input");
  // The next run of the row starts without the old hint.
  presenter.ItemStarted(second);
  EXPECT_EQ(window.CellToolTip(kVideoList, 1, 3), "");
}

TEST(JobPresenter, ShowsTheEndOfAJobUnlessItWasStopped) {
  MemoryWindow window;
  JobPresenter presenter(window);
  presenter.JobEnded({JobEnd::Kind::kRefused, "找不到编码器", "找不到编码器\r\n"});
  presenter.JobEnded({JobEnd::Kind::kStopped, {}, {}});
  presenter.JobEnded({JobEnd::Kind::kFinished, "任务完毕", {}});
  EXPECT_EQ(Log(window), "找不到编码器\r\n");
  EXPECT_EQ(window.InfoMessages(), (std::vector<std::string>{"找不到编码器", "任务完毕"}));
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
    EXPECT_EQ(window.RunProgress().itemsDone, 3);
    EXPECT_EQ(window.RunProgress().itemsTotal, 3);
  }
}

}  // namespace
}  // namespace mivora
