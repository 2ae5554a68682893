// The "成品" page with a real finished video: its strip pictures, length and
// size are measured away from the window's thread and shown in its row;
// Enter plays it, the menu opens its folder and copies its path, and a
// player that cannot be started is said so.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <fstream>
#include <iterator>

#include "app/qt/results_page.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(ResultsPageMedia, AFinishedVideoShowsItsStripAndPlays) {
  test::TempDir home;
  const std::filesystem::path video = home.path() / "生成视频剪辑" / "a-1.mp4";
  std::filesystem::create_directories(video.parent_path());
  ASSERT_TRUE(test::MakeClip(video, {.seconds = 2, .width = 180, .height = 320, .fps = 10}));
  QWidget host;
  ResultsPage page(&host, [&home] { return home.path(); });
  std::vector<QUrl> opened;
  bool playerStarts = true;
  page.SetOpener([&](const QUrl& url) {
    opened.push_back(url);
    return playerStarts;
  });
  QSignalSpy measured(&page, &ResultsPage::MeasuringDone);

  ItemPlan plan;
  plan.item = 1;
  plan.outputName = "a-1.mp4";
  plan.source = (home.path() / "视频剪辑" / "a.mp4").string();
  ItemOutcome outcome;
  outcome.kind = ItemOutcome::Kind::kSucceeded;
  outcome.status = "成功";
  outcome.output = video;
  JobInputs inputs;
  inputs.runDir = home.path();
  page.BeginRun(inputs)->ItemFinished(plan, outcome);
  ASSERT_TRUE(measured.wait(20000));

  auto* list = page.findChild<QTreeWidget*>("超级列表框_成品");
  QTreeWidgetItem* row = list->topLevelItem(0);
  EXPECT_FALSE(row->data(0, Qt::DecorationRole).value<QPixmap>().isNull());
  EXPECT_EQ(row->text(3), "2.0 秒");
  EXPECT_TRUE(row->text(4).endsWith("KB")) << row->text(4).toStdString();
  const std::filesystem::path pictures = home.path() / kResultsFolder / kStripFolder;
  for (int k = 1; k <= kStripPictures; ++k) {
    EXPECT_TRUE(std::filesystem::exists(pictures / ("1-1-" + std::to_string(k) + ".jpg"))) << k;
  }

  struct Case {
    const char* name;
    std::function<void()> act;
    QUrl opened;
  } cases[] = {
      {"Enter plays it",
       [&] {
         list->setCurrentItem(row);
         QTest::keyClick(list, Qt::Key_Return);
       },
       QUrl::fromLocalFile(QString::fromStdString(video.string()))},
      {"its menu opens its folder",
       [&] {
         std::unique_ptr<QMenu> menu(page.RowMenu(0));
         menu->actions()[0]->trigger();
       },
       QUrl::fromLocalFile(QString::fromStdString(video.parent_path().string()))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    opened.clear();
    c.act();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], c.opened);
  }
  std::unique_ptr<QMenu> menu(page.RowMenu(0));
  menu->actions()[1]->trigger();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), video.string());

  // The report page of the run, as the command line writes it, opened once written.
  QSignalSpy reported(&page, &ResultsPage::ReportDone);
  opened.clear();
  page.findChild<QPushButton*>("按钮_生成报告")->click();
  ASSERT_TRUE(reported.wait(20000));
  const std::filesystem::path report = home.path() / kResultsFolder / kRunReportFile;
  ASSERT_EQ(opened.size(), 1u) << page.findChild<QLabel*>("标签_成品提示")->text().toStdString();
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(report.string())));
  std::ifstream in(report);
  const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(html.find("a-1.mp4"), std::string::npos);
  EXPECT_NE(html.find("<img"), std::string::npos);

  playerStarts = false;
  page.Play(0);
  EXPECT_TRUE(page.findChild<QLabel*>("标签_成品提示")->text().startsWith("无法打开成品："));
}

}  // namespace
}  // namespace mivora
