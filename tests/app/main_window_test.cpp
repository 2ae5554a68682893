// The window's controls at start-up, its operations from the window's own
// thread and from other threads, shutdown while callers wait, and the checks
// of Start that need no encoder.
#include "app/qt/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTreeWidget>
#include <QUrl>
#include <atomic>
#include <set>
#include <thread>

#include "app/qt/tab_control.h"
#include "app/qt/theme.h"
#include "app/qt/watermark_page.h"
#include "support/fake_encoder.h"
#include "support/temp_dir.h"
#include "window_test_util.h"

namespace mivora {
namespace {

using test::ButtonOf;
using test::ProcessUntil;

QString Shown(const char* text) {
  return QString::fromUtf8(text).replace("\r\n", "\n");
}

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() : window(dir.path()) { window.show(); }

  QPlainTextEdit* Box(const char* name) { return window.findChild<QPlainTextEdit*>(name); }

  test::TempDir dir;
  MainWindow window;
};

TEST_F(MainWindowTest, ControlsHaveTheirCaptionsPlacesAndStates) {
  EXPECT_TRUE(window.windowTitle().contains(QRegularExpression("^Mivora【.+】 {7}\\S")))
      << window.windowTitle().toStdString();
  struct Expected {
    const char* name;
    QString caption;
    QRect rect;
    bool enabled;
    bool hidden;
  };
  const QString tall = "导\n\n\n\n入";
  const Expected controls[] = {
      {"按钮_开始检测", "开始", {768, 209, 224, 40}, true, false},
      {"按钮_暂停检测", "暂停", {768, 261, 224, 40}, false, false},
      {"按钮_继续检测", "继续", {768, 314, 224, 40}, false, false},
      {"按钮_停止检测", "停止", {768, 368, 224, 40}, false, false},
      {"按钮_生成mp4转gif", "生成mp4转gif", {768, 432, 104, 40}, true, true},
      {"按钮_导入视频剪辑", tall, {686, 34, 48, 528}, true, false},
      {"按钮_导入图片剪辑", tall, {686, 35, 48, 528}, true, false},
      {"按钮_导入音频文件", tall, {686, 35, 48, 528}, true, false},
      {"按钮_导入片头", "导入", {651, 34, 88, 40}, true, false},
      {"按钮_导入片尾", "导入", {652, 306, 88, 40}, true, false},
      {"按钮_导入绿幕特效", "导入", {651, 34, 88, 40}, true, false},
      {"按钮_清空绿幕特效", "清空", {650, 88, 88, 40}, true, false},
      {"按钮_导入黑幕特效", "导入", {652, 306, 88, 40}, true, false},
      {"按钮_清空黑幕特效", "清空", {652, 360, 88, 40}, true, false},
      {"单选框_视频剪辑", "视频剪辑", {13, 21, 88, 40}, true, false},
      {"单选框_图片剪辑", "图片剪辑", {13, 56, 88, 40}, true, false},
      {"选择框_加片头", "加片头", {138, 21, 72, 40}, true, false},
      {"选择框_加片尾", "加片尾", {138, 55, 72, 40}, true, false},
      {"单选框_加绿幕", "加绿幕", {9, 16, 80, 25}, true, false},
      {"单选框_加黑幕", "加黑幕", {117, 15, 80, 25}, true, false},
  };
  for (const Expected& e : controls) {
    SCOPED_TRACE(e.name);
    auto* control = window.findChild<QAbstractButton*>(e.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->text(), e.caption);
    EXPECT_EQ(control->geometry(), e.rect);
    EXPECT_EQ(control->isEnabled(), e.enabled);
    EXPECT_EQ(control->isHidden(), e.hidden);
  }
  EXPECT_EQ(window.findChild<QWidget*>("高级选择夹1")->geometry(), QRect(5, 6, 750, 576));
  auto* settings = window.findChild<QGroupBox*>("分组框1");
  EXPECT_EQ(settings->title(), "功能设置");
  EXPECT_EQ(settings->geometry(), QRect(765, 21, 232, 168));
  auto* overlay = window.findChild<QGroupBox*>("分组框2");
  EXPECT_EQ(overlay->parentWidget(), settings);
  EXPECT_EQ(overlay->geometry(), QRect(12, 109, 208, 48));
  EXPECT_EQ(Box("编辑框_日志")->geometry(), QRect(6, 592, 748, 136));
  EXPECT_EQ(Box("编辑框_特效代码")->geometry(), QRect(10, 36, 728, 530));
}

TEST_F(MainWindowTest, SwitchesStartInTheirStatesAndFormTwoRadioGroups) {
  EXPECT_TRUE(window.IsChecked(Switch::单选框_视频剪辑));
  EXPECT_FALSE(window.IsChecked(Switch::单选框_图片剪辑));
  EXPECT_FALSE(window.IsChecked(Switch::选择框_加片头));
  EXPECT_FALSE(window.IsChecked(Switch::选择框_加片尾));
  EXPECT_FALSE(window.IsChecked(Switch::单选框_加绿幕));
  EXPECT_TRUE(window.IsChecked(Switch::单选框_加黑幕));

  // Choosing green screen leaves the mode alone, and the other way round.
  window.findChild<QAbstractButton*>("单选框_加绿幕")->click();
  EXPECT_TRUE(window.IsChecked(Switch::单选框_加绿幕));
  EXPECT_FALSE(window.IsChecked(Switch::单选框_加黑幕));
  EXPECT_TRUE(window.IsChecked(Switch::单选框_视频剪辑));
  window.findChild<QAbstractButton*>("单选框_图片剪辑")->click();
  EXPECT_FALSE(window.IsChecked(Switch::单选框_视频剪辑));
  EXPECT_TRUE(window.IsChecked(Switch::单选框_加绿幕));
}

TEST_F(MainWindowTest, NinePagesInOrderWithTheWatermarkTitleAndResultsPagesLast) {
  auto* tabs = window.findChild<TabControl*>("高级选择夹1");
  ASSERT_NE(tabs, nullptr);
  const QStringList captions = {"视频剪辑", "图片剪辑",    "特效代码",
                                "音频文件", "片头 | 片尾", "绿幕特效 | 黑幕特效",
                                "文本水印", "文案",        "成品"};
  ASSERT_EQ(tabs->PageCount(), 9);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(tabs->Bar()->tabText(i), captions[i]);
  auto* watermark = tabs->Page(6)->findChild<WatermarkPage*>();
  ASSERT_NE(watermark, nullptr);
  EXPECT_EQ(watermark->parentWidget(), tabs->Page(6));
  EXPECT_NE(tabs->Page(7)->findChild<QWidget*>("选择框_加文案"), nullptr);
  EXPECT_NE(tabs->Page(8)->findChild<QWidget*>("超级列表框_成品"), nullptr);
  // Controls sit on their own pages.
  EXPECT_EQ(window.findChild<QWidget*>("超级列表框5")->parentWidget(), tabs->Page(3));
  EXPECT_EQ(window.findChild<QWidget*>("编辑框_特效代码")->parentWidget(), tabs->Page(2));
  // Switching pages shows the page's lists.
  tabs->Bar()->setCurrentIndex(4);
  EXPECT_TRUE(window.findChild<QWidget*>("超级列表框3")->isVisible());
  EXPECT_FALSE(window.findChild<QWidget*>("超级列表框1")->isVisible());
}

TEST_F(MainWindowTest, ListsHaveTheirHeadersAndColumnWidths) {
  struct Expected {
    const char* name;
    QStringList headers;
    std::vector<int> widths;
    QRect rect;
  };
  const Expected lists[] = {
      {"超级列表框1",
       {"序号", "视频路径", "文件名", "状态"},
       {60, 250, 100, 250},
       {9, 36, 666, 528}},
      {"超级列表框2",
       {"序号", "图片路径", "文件名", "图转视频后路径", "文件名", "状态"},
       {60, 110, 80, 120, 80, 210},
       {9, 36, 666, 528}},
      {"超级列表框3", {"序号", "片头路径", "文件名"}, {80, 400, 100}, {9, 36, 634, 260}},
      {"超级列表框4", {"序号", "片尾路径", "文件名"}, {80, 400, 100}, {8, 306, 635, 260}},
      {"超级列表框5",
       {"序号", "音频路径", "文件名", "状态"},
       {60, 300, 150, 150},
       {9, 36, 666, 528}},
      {"超级列表框6", {"序号", "绿幕特效路径", "文件名"}, {80, 400, 100}, {9, 36, 634, 260}},
      {"超级列表框7", {"序号", "黑幕特效路径", "文件名"}, {80, 400, 100}, {8, 306, 635, 260}},
  };
  for (const Expected& e : lists) {
    SCOPED_TRACE(e.name);
    auto* view = window.findChild<QTreeWidget*>(e.name);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), e.rect);
    ASSERT_EQ(view->columnCount(), e.headers.size());
    for (int c = 0; c < view->columnCount(); ++c) {
      EXPECT_EQ(view->headerItem()->text(c), e.headers[c]);
      EXPECT_EQ(view->columnWidth(c), e.widths[c]);
    }
    EXPECT_EQ(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view->topLevelItemCount(), 0);
  }
}

TEST_F(MainWindowTest, TextBoxesStartWithTheirDefaultsAndTheOutputBoxIsOutOfSight) {
  EXPECT_EQ(Box("编辑框_特效代码")->toPlainText(), Shown(kDefaultEffectCode));
  EXPECT_EQ(Box("编辑框_日志")->toPlainText(), Shown(kDefaultLogText.c_str()));
  QPlainTextEdit* output = Box("编辑框_输出返回");
  EXPECT_TRUE(output->toPlainText().isEmpty());
  EXPECT_EQ(output->geometry(), QRect(1056, 416, 296, 136));
  EXPECT_GE(output->x(), window.width());
  // The outer size counts the frame, which the window learns once shown.
  EXPECT_TRUE(ProcessUntil(
      [&] {
        return window.frameGeometry().size() ==
               QSize(MainWindow::kOuterWidth, MainWindow::kOuterHeight);
      },
      5000))
      << window.frameGeometry().width() << "x" << window.frameGeometry().height();
  // Moved up only as far as the screen needs.
  EXPECT_EQ(window.frameGeometry().left(), 50);
  EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
}

TEST_F(MainWindowTest, CellOperationsIgnoreMissingRowsAndColumns) {
  const ListView list = ListView::超级列表框2;
  EXPECT_EQ(window.AppendRow(list), 0);
  EXPECT_EQ(window.AppendRow(list), 1);
  window.SetCellText(list, 1, 5, "成功");
  window.SetCellText(list, 2, 0, "no such row");
  window.SetCellText(list, 0, 6, "no such column");
  EXPECT_EQ(window.RowCount(list), 2);
  EXPECT_EQ(window.CellText(list, 1, 5), "成功");
  EXPECT_EQ(window.CellText(list, 2, 0), "");
  EXPECT_EQ(window.CellText(list, 0, 6), "");
  EXPECT_EQ(window.CellText(list, -1, 0), "");
  window.ClearRows(list);
  EXPECT_EQ(window.RowCount(list), 0);
}

TEST_F(MainWindowTest, AppendLogAddsAtTheEndWhereverTheCaretIs) {
  QPlainTextEdit* log = Box("编辑框_日志");
  log->moveCursor(QTextCursor::Start);
  window.AppendLog("正在剪辑\r\n");
  window.AppendLog("第二行\r\n");
  EXPECT_EQ(log->toPlainText(), Shown(kDefaultLogText.c_str()) + "正在剪辑\n第二行\n");
  EXPECT_EQ(window.ControlText(TextBox::编辑框_日志),
            (Shown(kDefaultLogText.c_str()) + "正在剪辑\n第二行\n").toStdString());
  window.SetOutputText("frame=1\rframe=2\r\nmuxing overhead: 1%");
  EXPECT_EQ(window.ControlText(TextBox::编辑框_输出返回), "frame=1\nframe=2\nmuxing overhead: 1%");
}

TEST_F(MainWindowTest, CallsFromAnotherThreadAreCarriedOutBeforeTheyReturn) {
  std::atomic<bool> finished = false;
  std::string seenCell, seenLog;
  int seenRows = -1;
  std::thread worker([&] {
    int row = window.AppendRow(ListView::超级列表框1);
    window.SetCellText(ListView::超级列表框1, row, 3, "正在剪辑");
    seenCell = window.CellText(ListView::超级列表框1, row, 3);
    window.AppendLog("来自工作线程\r\n");
    seenLog = window.ControlText(TextBox::编辑框_日志);
    window.SetEnabled(Button::按钮_停止检测, true);
    seenRows = window.RowCount(ListView::超级列表框1);
    finished = true;
  });
  EXPECT_TRUE(ProcessUntil([&] { return finished.load(); }, 10000));
  worker.join();
  EXPECT_EQ(seenCell, "正在剪辑");
  EXPECT_EQ(seenRows, 1);
  EXPECT_TRUE(QString::fromStdString(seenLog).endsWith("来自工作线程\n"));
  EXPECT_TRUE(ButtonOf(window, "按钮_停止检测")->isEnabled());
}

TEST_F(MainWindowTest, InfoFromAnotherThreadBlocksOnlyThatThread) {
  std::atomic<bool> returned = false;
  std::thread worker([&] {
    window.ShowInfo("任务完毕");
    returned = true;
  });
  ASSERT_TRUE(ProcessUntil([] { return !test::OpenBoxes().empty(); }, 10000));
  QMessageBox* box = test::OpenBoxes().front();
  EXPECT_EQ(box->windowTitle(), "友情提示");
  EXPECT_EQ(box->text(), "任务完毕");
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  // The window keeps working while the box is open and the worker waits.
  window.AppendRow(ListView::超级列表框5);
  EXPECT_EQ(window.RowCount(ListView::超级列表框5), 1);
  ProcessUntil([] { return false; }, 200);
  EXPECT_FALSE(returned.load());
  box->button(QMessageBox::Ok)->click();
  EXPECT_TRUE(ProcessUntil([&] { return returned.load(); }, 10000));
  worker.join();
  EXPECT_TRUE(ProcessUntil([] { return test::OpenBoxes().empty(); }, 10000));
}

TEST(MainWindowShutdown, ReleasesWaitingCallersAndAnswersLaterOnesAtOnce) {
  test::TempDir dir;
  MainWindow window(dir.path());
  window.AppendRow(ListView::超级列表框1);
  std::atomic<bool> waiting = false;
  int rowsAfterShutdown = -1;
  std::thread worker([&] {
    waiting = true;
    // The window's thread never handles this call: only shutdown ends it.
    window.ShowInfo("never answered");
    window.SetCellText(ListView::超级列表框1, 0, 3, "late");
    rowsAfterShutdown = window.RowCount(ListView::超级列表框1);
  });
  while (!waiting) std::this_thread::yield();
  window.BeginShutdown();
  worker.join();
  EXPECT_EQ(rowsAfterShutdown, 0);
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "");
}

TEST_F(MainWindowTest, StartWithoutAudioTellsSoAndLeavesTheWorkFolders) {
  test::BoxAnswerer answerer;
  ButtonOf(window, "按钮_开始检测")->click();
  ASSERT_EQ(answerer.Seen().size(), 1u);
  EXPECT_EQ(answerer.Seen()[0], "友情提示|音频没有导入");
  for (const char* folder : {"临时", "生成视频剪辑", "生成图片剪辑", "图转视频后路径"}) {
    EXPECT_TRUE(std::filesystem::is_directory(dir / folder)) << folder;
  }
  EXPECT_TRUE(ButtonOf(window, "按钮_开始检测")->isEnabled());
  EXPECT_FALSE(ButtonOf(window, "按钮_停止检测")->isEnabled());
  EXPECT_FALSE(ButtonOf(window, "按钮_暂停检测")->isEnabled());
}

TEST_F(MainWindowTest, AudioFolderDialogHasItsTitleAndCancellingChangesNothing) {
  window.AppendRow(ListView::超级列表框5);
  QString title;
  QTimer::singleShot(100, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
        title = dialog->windowTitle();
        dialog->reject();
      }
    }
  });
  ButtonOf(window, "按钮_导入音频文件")->click();
  EXPECT_EQ(title, "请选择音频目录 mp3");
  EXPECT_EQ(window.RowCount(ListView::超级列表框5), 1);
}

TEST_F(MainWindowTest, ImportButtonsFillTheirListsAndClearButtonsEmptyThem) {
  test::WriteFakeMedia(dir / "片头" / "b.mp4");
  test::WriteFakeMedia(dir / "片头" / "A.mp4");
  test::WriteFakeMedia(dir / "黑幕特效" / "k.mp4");
  test::WriteFile(dir / "songs" / "x.mp3", "");
  window.SetFolderChooser([&] { return QString::fromStdString((dir / "songs").string()); });
  ButtonOf(window, "按钮_导入片头")->click();
  ButtonOf(window, "按钮_导入黑幕特效")->click();
  ButtonOf(window, "按钮_导入音频文件")->click();
  // The intro import runs on a thread of its own.
  EXPECT_TRUE(ProcessUntil([&] { return window.RowCount(ListView::超级列表框3) == 2; }, 10000));
  EXPECT_EQ(window.CellText(ListView::超级列表框3, 0, 2), "A.mp4");
  // The path, cut in the middle when long, is whole in its hint.
  EXPECT_EQ(
      window.findChild<QTreeWidget*>("超级列表框3")->topLevelItem(1)->toolTip(1).toStdString(),
      (dir / "片头" / "b.mp4").string());
  EXPECT_EQ(window.RowCount(ListView::超级列表框7), 1);
  EXPECT_EQ(window.CellText(ListView::超级列表框5, 0, 2), "x.mp3");
  ButtonOf(window, "按钮_清空黑幕特效")->click();
  EXPECT_EQ(window.RowCount(ListView::超级列表框7), 0);
}

TEST(Theme, AppliesTheCarriedStyleSheetAndKeepsThePlainLookWithoutIt) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  app->setStyleSheet("");
  ApplyTheme(*app, ":/mivora/no-such-theme.qss");
  EXPECT_TRUE(app->styleSheet().isEmpty());
  ApplyTheme(*app);
  EXPECT_TRUE(app->styleSheet().contains("QPushButton"));
  app->setStyleSheet("");
}

// What was saved before start-up is what the window starts with; every
// change is saved at once, so the next start finds it.
TEST(MainWindowSettings, ASavedFileSetsTheControlsAndChangesAreSaved) {
  test::TempDir dir;
  {
    QSettings settings("Mivora", "mivora");
    settings.setValue("run/engine", "onepass");
    settings.setValue("run/allItems", true);
    settings.setValue("run/jobs", 2);
    settings.setValue("run/stallTimeout", 30);
    settings.setValue("run/fit", "cover");
    settings.setValue("run/variants", 3);
    settings.setValue("run/minDistance", "0.15");
    settings.setValue("run/skipExisting", true);
    settings.setValue("choices/effectCode", "特效7");
    settings.setValue("choices/videoMode", false);
    settings.setValue("choices/blackScreen", false);
    settings.setValue("choices/outro", true);
    settings.setValue("paths/audio", QString::fromStdString((dir / "音乐").string()));
  }
  test::WriteFile(dir / "音乐" / "t.mp3", "x");
  MainWindow window(dir.path());
  auto* engine = window.findChild<QComboBox*>("下拉框_处理方式");
  auto* jobs = window.findChild<QSpinBox*>("数值框_同时处理");
  EXPECT_EQ(engine->currentData().toString(), "onepass");
  EXPECT_TRUE(window.findChild<QCheckBox*>("选择框_处理全部素材")->isChecked());
  EXPECT_EQ(jobs->value(), std::min(2, jobs->maximum()));
  EXPECT_EQ(window.findChild<QSpinBox*>("数值框_无响应超时")->value(), 30);
  EXPECT_EQ(window.ControlText(TextBox::编辑框_特效代码), "特效7");
  EXPECT_TRUE(window.IsChecked(Switch::单选框_图片剪辑));
  EXPECT_TRUE(window.IsChecked(Switch::单选框_加绿幕));
  EXPECT_TRUE(window.IsChecked(Switch::选择框_加片尾));
  EXPECT_FALSE(window.IsChecked(Switch::选择框_加片头));
  EXPECT_EQ(window.CellText(kAudioList, 0, 2), "t.mp3");
  RunSettings shown = window.CurrentRunSettings();
  EXPECT_EQ(shown.run.engine, EngineKind::kOnePass);
  EXPECT_TRUE(shown.allItems);
  EXPECT_EQ(StallTimeoutSeconds(shown.run), 30);
  EXPECT_EQ(shown.run.fit, FitMode::kCover);
  EXPECT_EQ(shown.run.variants, 3);
  EXPECT_DOUBLE_EQ(shown.run.minDistance, 0.15);
  EXPECT_TRUE(shown.run.skipExisting);
  // Every control of the run settings says what it does.
  int settingControls = 0;
  for (QWidget* control : window.findChild<QGroupBox*>("分组框_运行设置")
                              ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
    if (qobject_cast<QLabel*>(control) || control->objectName().startsWith("按钮_")) continue;
    ++settingControls;
    EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
  }
  EXPECT_GE(settingControls, 11);

  engine->setCurrentIndex(engine->findData("steps"));
  window.findChild<QSpinBox*>("数值框_每个素材生成")->setValue(12);
  window.findChild<QCheckBox*>("选择框_跳过已有成品")->setChecked(false);
  window.findChild<QSpinBox*>("数值框_无响应超时")->setValue(90);
  window.findChild<QComboBox*>("下拉框_画面适配")->setCurrentIndex(2);
  window.findChild<QDoubleSpinBox*>("数值框_版本最小差异")->setValue(0.1);
  window.findChild<QComboBox*>("下拉框_声音")->setCurrentIndex(2);
  window.findChild<QCheckBox*>("选择框_人声压低音乐")->setChecked(true);
  window.findChild<QComboBox*>("下拉框_成品尺寸")->setCurrentText("1080x1920");
  QSettings saved("Mivora", "mivora");
  EXPECT_EQ(saved.value("run/minDistance").toString(), "0.1");
  EXPECT_EQ(saved.value("run/engine").toString(), "steps");
  EXPECT_EQ(saved.value("run/stallTimeout").toInt(), 90);
  EXPECT_EQ(saved.value("run/fit").toString(), "stretch");
  EXPECT_EQ(saved.value("run/variants").toInt(), 12);
  EXPECT_FALSE(saved.value("run/skipExisting").toBool());
  EXPECT_EQ(saved.value("run/sound").toString(), "both");
  EXPECT_TRUE(saved.value("run/duck").toBool());
  EXPECT_EQ(saved.value("run/size").toString(), "1080x1920");
  EXPECT_EQ(saved.value("choices/videoMode").toBool(), false);
}

TEST_F(MainWindowTest, TabNeverEntersTheHiddenOutputBoxWhicheverTheSize) {
  // A larger window keeps the output box beyond the page's right edge.
  window.resize(1600, 1000);
  QWidget* page = window.findChild<QWidget*>("页面_内容");
  ASSERT_TRUE(ProcessUntil([&] { return page->width() > MainWindow::kOuterWidth; }, 5000));
  QPlainTextEdit* output = Box("编辑框_输出返回");
  EXPECT_GE(output->x(), page->width());
  EXPECT_TRUE(output->isReadOnly());
  window.activateWindow();
  ButtonOf(window, "按钮_开始检测")->setFocus();
  std::set<QWidget*> visited;
  for (int step = 0; step < 200; ++step) {
    QWidget* focused = window.focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_NE(focused, output);
    EXPECT_NE(focused, output->viewport());
    visited.insert(focused);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(focused, &tab);
  }
  EXPECT_TRUE(visited.count(window.findChild<QComboBox*>("下拉框_处理方式")));
  EXPECT_TRUE(visited.count(window.findChild<QSpinBox*>("数值框_同时处理")));
}

TEST_F(MainWindowTest, InfoBoxesAreWideEnoughForTheirCaption) {
  std::thread worker([&] { window.ShowInfo("视频剪辑没有导入"); });
  ASSERT_TRUE(ProcessUntil([] { return !test::OpenBoxes().empty(); }, 10000));
  QMessageBox* box = test::OpenBoxes().front();
  EXPECT_GE(box->sizeHint().width(), 280);
  // The window takes clicks while the worker waits on the box.
  test::WriteFakeMedia(dir / "测试视频剪辑" / "v.mp4");
  ButtonOf(window, "按钮_导入视频剪辑")->click();
  EXPECT_EQ(window.RowCount(kVideoList), 1);
  box->button(QMessageBox::Ok)->click();
  worker.join();
}

TEST_F(MainWindowTest, HomeButtonShowsRemembersAndReadsTheListsFromTheNewHome) {
  EXPECT_EQ(window.findChild<QLabel*>("标签_主目录")->text(),
            "主目录：" + QString::fromStdString(dir.path().string()));
  test::TempDir other;
  test::WriteFakeMedia(other / "测试视频剪辑" / "v.mp4");
  test::WriteFakeMedia(other / "黑幕特效" / "k.mp4");
  window.SetHomeChooser([&] { return QString::fromStdString(other.path().string()); });
  ButtonOf(window, "按钮_主目录")->click();
  EXPECT_EQ(window.RunDir(), other.path());
  EXPECT_EQ(window.findChild<QLabel*>("标签_主目录")->text(),
            "主目录：" + QString::fromStdString(other.path().string()));
  EXPECT_EQ(window.CellText(kVideoList, 0, 2), "v.mp4");
  EXPECT_EQ(window.CellText(kBlackScreenList, 0, 2), "k.mp4");
  EXPECT_EQ(QSettings("Mivora", "mivora").value("paths/home").toString().toStdString(),
            other.path().string());
  // The output folder of the checked mode is what the button opens.
  QString opened;
  window.SetFolderOpener([&](const QString& folder) {
    opened = folder;
    return true;
  });
  ButtonOf(window, "按钮_打开输出文件夹")->click();
  EXPECT_EQ(opened.toStdString(), (other / "生成视频剪辑").string());
  window.findChild<QAbstractButton*>("单选框_图片剪辑")->setChecked(true);
  ButtonOf(window, "按钮_打开输出文件夹")->click();
  EXPECT_EQ(opened.toStdString(), (other / "生成图片剪辑").string());
}

// The import buttons and a drop leave out a text under a video's name, and
// the log says which file and why.
TEST_F(MainWindowTest, ImportsLeaveOutFilesThatAreNoVideoAndTheLogNamesThem) {
  const std::filesystem::path text = dir / "测试视频剪辑" / "a.mp4";
  test::WriteFile(text, "这不是视频");
  test::WriteFakeMedia(dir / "测试视频剪辑" / "b.mp4");
  const QString line = QString::fromStdString("不是视频文件，未导入：" + text.string());
  for (int attempt : {1, 2}) {
    SCOPED_TRACE(attempt);
    if (attempt == 1) {
      ButtonOf(window, "按钮_导入视频剪辑")->click();
    } else {
      QMimeData data;
      data.setUrls({QUrl::fromLocalFile(QString::fromStdString(text.string()))});
      QWidget* list = window.findChild<QTreeWidget*>("超级列表框1")->viewport();
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(list, &enter);
      QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(list, &drop);
    }
    ASSERT_EQ(window.RowCount(kVideoList), 1);
    EXPECT_EQ(window.CellText(kVideoList, 0, 2), "b.mp4");
    EXPECT_EQ(Box("编辑框_日志")->toPlainText().count(line), attempt);
  }
}

TEST_F(MainWindowTest, AFolderDroppedOnAListAddsItsMediaFiles) {
  test::WriteFakeMedia(dir / "拖入" / "b.mp4");
  test::WriteFakeMedia(dir / "拖入" / "a.mp4");
  test::WriteFile(dir / "拖入" / "c.txt", "x");
  auto* list = window.findChild<QTreeWidget*>("超级列表框1");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / "拖入").string()))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &drop);
  ASSERT_EQ(window.RowCount(kVideoList), 2);
  EXPECT_EQ(window.CellText(kVideoList, 0, 2), "a.mp4");
  EXPECT_EQ(window.CellText(kVideoList, 1, 1), (dir / "拖入" / "b.mp4").string());
}

}  // namespace
}  // namespace mivora
