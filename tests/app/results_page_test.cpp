// The "成品" page on Qt's offscreen platform, fed a recorded run through the
// same queued sink a window's run uses: rows appear only on the window's
// thread and only from outcomes, each with its reason in full; the failures
// filter; the last word of a stopped run; a new run clearing the rows; what
// a row without a finished video offers.
#include "app/qt/results_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeWidget>
#include <fstream>
#include <functional>
#include <vector>

#include "app/queued_sink.h"
#include "jobs/summary_report.h"
#include "support/memory_window.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using Kind = ItemOutcome::Kind;

ItemPlan Plan(int item, int variant, const char* outputName) {
  ItemPlan plan;
  plan.item = item;
  plan.variant = variant;
  plan.variants = 2;
  plan.source = "/素材/a.mp4";
  plan.name = "a.mp4";
  plan.outputName = outputName;
  plan.effects.names = "特效12";
  return plan;
}

ItemOutcome Outcome(Kind kind, std::string status, std::string lastError = {}) {
  ItemOutcome outcome;
  outcome.kind = kind;
  outcome.status = std::move(status);
  outcome.lastError = std::move(lastError);
  return outcome;
}

class ResultsPageTest : public testing::Test {
 protected:
  ResultsPageTest() : page(&host, [this] { return home.path(); }) {
    page.SetOpener([this](const QUrl& url) {
      opened.push_back(url);
      return true;
    });
  }

  // A run's sink as the run control makes it, its events held until `Deliver`.
  std::unique_ptr<QueuedSink> RunSink() {
    token = std::make_shared<RunToken>();
    model = page.BeginRun(Inputs());
    return std::make_unique<QueuedSink>(
        [this](std::function<void()> task) { posted.push_back(std::move(task)); },
        std::make_shared<JobPresenter>(window, 2), token, model);
  }
  JobInputs Inputs() {
    JobInputs inputs;
    inputs.runDir = home.path();
    inputs.options.variants = 2;
    return inputs;
  }
  void Deliver() {
    for (auto& task : posted) task();
    posted.clear();
  }
  QTreeWidget* List(ResultsPage& shown) { return shown.findChild<QTreeWidget*>("超级列表框_成品"); }
  QTreeWidget* List() { return List(page); }
  std::vector<QString> Shown(int column) { return Shown(page, column); }
  std::vector<QString> Shown(ResultsPage& shown, int column) {
    std::vector<QString> texts;
    for (int row = 0; row < List(shown)->topLevelItemCount(); ++row) {
      if (!List(shown)->topLevelItem(row)->isHidden())
        texts.push_back(List(shown)->topLevelItem(row)->text(column));
    }
    return texts;
  }

  test::TempDir home;
  QWidget host;
  ResultsPage page;
  MemoryWindow window;
  std::shared_ptr<RunToken> token;
  std::shared_ptr<ResultsModel> model;
  std::vector<std::function<void()>> posted;
  std::vector<QUrl> opened;
};

TEST_F(ResultsPageTest, FillsFromARecordedRunOnTheWindowsThreadAndFiltersFailures) {
  auto sink = RunSink();
  ItemOutcome near = Outcome(Kind::kSucceeded, "成功");
  near.nearest = NearestVersion{1, "/out/a-1.mp4", 0.5};
  sink->ItemStarted(Plan(1, 1, "a-1.mp4"));
  sink->ItemFinished(Plan(1, 1, "a-1.mp4"), Outcome(Kind::kSucceeded, "成功"));
  sink->ItemFinished(Plan(1, 2, "a-2.mp4"), near);
  sink->ItemFinished(Plan(2, 1, "b-1.mp4"),
                     Outcome(Kind::kFailed, "【合并生成视频-----输出失败】", "No such file"));
  EXPECT_EQ(List()->topLevelItemCount(), 0) << "nothing shows before the window's thread runs it";
  Deliver();

  struct Case {
    const char* name;
    bool failuresOnly;
    std::vector<QString> names;
    std::vector<QString> outcomes;
  } cases[] = {
      {"every output",
       false,
       {"a-1.mp4", "a-2.mp4", "b-1.mp4"},
       {"成功", "成功", "【合并生成视频-----输出失败】\nNo such file"}},
      {"failures only", true, {"b-1.mp4"}, {"【合并生成视频-----输出失败】\nNo such file"}},
      {"every output again",
       false,
       {"a-1.mp4", "a-2.mp4", "b-1.mp4"},
       {"成功", "成功", "【合并生成视频-----输出失败】\nNo such file"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    page.findChild<QCheckBox*>("选择框_只看失败")->setChecked(c.failuresOnly);
    EXPECT_EQ(Shown(1), c.names);
    EXPECT_EQ(Shown(2), c.outcomes);
  }
  EXPECT_EQ(Shown(5)[1], "a-1.mp4  差异 0.500");
  EXPECT_EQ(Shown(6)[0], "特效组合：特效12");
  EXPECT_EQ(page.findChild<QLabel*>("标签_成品数")->text(), "共 3 个，失败 1 个");

  // A failure has no video to play, open or copy.
  page.findChild<QCheckBox*>("选择框_只看失败")->setChecked(true);
  page.Play(0);
  EXPECT_TRUE(opened.empty());
  EXPECT_TRUE(page.findChild<QLabel*>("标签_成品提示")->text().contains("b-1.mp4"));
  std::unique_ptr<QMenu> menu(page.RowMenu(0));
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0]->text(), "打开所在文件夹");
  EXPECT_EQ(menu->actions()[1]->text(), "复制路径");
  EXPECT_FALSE(menu->actions()[0]->isEnabled());
  EXPECT_FALSE(menu->actions()[1]->isEnabled());
}

TEST_F(ResultsPageTest, AStoppedRunKeepsItsLastWordsAndANewRunStartsEmpty) {
  auto sink = RunSink();
  sink->ItemFinished(Plan(1, 1, "a-1.mp4"), Outcome(Kind::kFailed, "剪切失败"));
  token->Cancel();
  sink->Log(Plan(1, 2, "a-2.mp4"), "line\r\n");
  sink->ItemFinished(Plan(1, 2, "a-2.mp4"), Outcome(Kind::kStopped, ""));
  Deliver();
  EXPECT_EQ(Shown(2), (std::vector<QString>{"剪切失败", "已停止"}));
  EXPECT_EQ(page.findChild<QLabel*>("标签_成品数")->text(), "共 2 个，失败 1 个");

  // The stopped run's last word is still on its way when the next run starts.
  sink->ItemFinished(Plan(2, 1, "b-1.mp4"), Outcome(Kind::kStopped, ""));
  std::vector<std::function<void()>> late = std::move(posted);
  posted.clear();
  auto next = RunSink();
  EXPECT_EQ(List()->topLevelItemCount(), 0) << "the last run's rows go when a run starts";
  EXPECT_EQ(page.findChild<QLabel*>("标签_成品数")->text(), "还没有成品");
  next->ItemFinished(Plan(3, 1, "c-1.mp4"), Outcome(Kind::kSucceeded, "成功"));
  for (auto& task : late) task();
  Deliver();
  EXPECT_EQ(Shown(1), (std::vector<QString>{"c-1.mp4"}));
}

TEST_F(ResultsPageTest, ShowsTheLastRunAgainFromItsSummaryAfterARestart) {
  struct Case {
    const char* name;
    bool ended;
    std::string replaced;  // the summary's text, written over it
    std::vector<QString> names;
    QString note;
  } cases[] = {
      {"a run that ended", true, "", {"a-1.mp4", "a.mp4（版本 2）"}, ""},
      {"a run that never ended",
       false,
       "",
       {"a-1.mp4", "a.mp4（版本 2）"},
       "上次运行没有结束，这里是它做完的部分"},
      {"a summary that is not one", true, "[1, 2]", {}, "上次运行的汇总无法读取："},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto sink = RunSink();
    ItemOutcome made = Outcome(Kind::kSucceeded, "成功");
    made.output = home.path() / "a-1.mp4";
    std::ofstream(made.output) << "not really a video";
    sink->ItemFinished(Plan(1, 1, "a-1.mp4"), made);
    sink->ItemFinished(Plan(1, 2, "a-2.mp4"), Outcome(Kind::kFailed, "剪切失败", "Invalid data"));
    Deliver();
    if (c.ended) model->RunEnded(false);
    if (!c.replaced.empty()) std::ofstream(RunSummaryPath(home.path())) << c.replaced;

    ResultsPage restarted(&host, [this] { return home.path(); });
    EXPECT_EQ(Shown(restarted, 1), c.names);
    const QString note = restarted.findChild<QLabel*>("标签_成品提示")->text();
    EXPECT_TRUE(c.note.isEmpty() ? note.isEmpty() : note.startsWith(c.note)) << note.toStdString();
    if (c.names.empty()) continue;
    EXPECT_EQ(Shown(restarted, 2)[1], "剪切失败\nInvalid data");
    // The summary is the one the command line writes, and its report reads it.
    NamedSummary read;
    EXPECT_EQ(ReadSummaryFile(RunSummaryPath(home.path()), read), "");
    EXPECT_EQ(read.incomplete, !c.ended);
    // A run that never ended counts for nothing in a report, as a killed batch's.
    EXPECT_EQ(MergeSummaries({read})["items"].size(), c.ended ? 2u : 0u);
  }
  std::filesystem::remove(RunSummaryPath(home.path()));
  ResultsPage fresh(&host, [this] { return home.path(); });
  EXPECT_EQ(fresh.findChild<QLabel*>("标签_成品数")->text(), "还没有成品");
  QSignalSpy reported(&fresh, &ResultsPage::ReportDone);
  fresh.WriteReport();
  ASSERT_TRUE(reported.wait(5000));
  EXPECT_EQ(fresh.findChild<QLabel*>("标签_成品提示")->text(), "还没有运行过，没有可报告的成品");
  EXPECT_TRUE(opened.empty());
}

}  // namespace
}  // namespace mivora
