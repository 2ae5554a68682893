// The window as people meet it, through real clicks and keys with a stand-in
// encoder: the radio groups, refusals of remembered switches, a run that
// locks its inputs, shows rising progress and stops cleanly, the end's
// counts, a small screen, and a job that goes on while the window is busy.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <chrono>
#include <thread>

#include "app/qt/main_window.h"
#include "app/qt/tab_control.h"
#include "support/fake_encoder.h"
#include "support/temp_dir.h"
#include "window_test_util.h"

namespace mivora {
namespace {

using test::ButtonOf;
using test::ProcessUntil;

class WindowUseTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name :
         {"MIVORA_FAKE_FAIL_ON", "MIVORA_FAKE_SLOW_ON", "MIVORA_FAKE_SLEEP_ON"}) {
      unsetenv(name);
    }
    setenv("MIVORA_FAKE_DURATION", "00:00:04.00", 1);
  }

  // Two source videos, a black-screen clip and an audio file under `home`.
  static void MakeMedia(const std::filesystem::path& home, const char* first = "a.mp4") {
    test::InstallFakeEncoder(home);
    for (const char* name : {first, "b.mp4"}) test::WriteFakeMedia(home / "测试视频剪辑" / name);
    test::WriteFakeMedia(home / "黑幕特效" / "k.mp4");
    test::WriteFile(home / "音乐" / "t.mp3", "x");
    QSettings settings("Mivora", "mivora");
    settings.setValue("paths/audio", QString::fromStdString((home / "音乐").string()));
  }

  static QRadioButton* Radio(MainWindow& window, const char* name) {
    return window.findChild<QRadioButton*>(name);
  }
  static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
  static bool Idle(MainWindow& window) { return ButtonOf(window, "按钮_开始检测")->isEnabled(); }

  test::TempDir dir;
};

// Clicking a checked radio button keeps it; each group keeps one choice, and
// the arrow keys stay inside their group.
TEST_F(WindowUseTest, RadioGroupsKeepOneChoiceUnderClicksAndKeys) {
  struct Step {
    const char* click;
    const char* checked;
    bool videoMode;
  } steps[] = {
      {"单选框_视频剪辑", "单选框_视频剪辑", true},  {"单选框_加黑幕", "单选框_加黑幕", true},
      {"单选框_图片剪辑", "单选框_图片剪辑", false}, {"单选框_图片剪辑", "单选框_图片剪辑", false},
      {"单选框_加绿幕", "单选框_加绿幕", false},     {"单选框_视频剪辑", "单选框_视频剪辑", true},
  };
  MainWindow window(dir.path());
  window.show();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.click);
    Click(Radio(window, step.click));
    EXPECT_TRUE(Radio(window, step.checked)->isChecked());
    EXPECT_EQ(window.IsChecked(Switch::单选框_视频剪辑), step.videoMode);
    EXPECT_NE(window.IsChecked(Switch::单选框_加黑幕), window.IsChecked(Switch::单选框_加绿幕));
    EXPECT_EQ(QSettings("Mivora", "mivora").value("choices/videoMode", true).toBool(),
              step.videoMode);
  }
  QRadioButton* image = Radio(window, "单选框_图片剪辑");
  image->setFocus();
  QTest::keyClick(image, Qt::Key_Down);
  EXPECT_TRUE(window.IsChecked(Switch::单选框_加绿幕));
  EXPECT_FALSE(Radio(window, "单选框_加绿幕")->hasFocus());
}

// Switches remembered from the last start whose lists are empty now refuse
// Start by name instead of being left out.
TEST_F(WindowUseTest, RememberedSwitchesWithEmptyListsRefuseStart) {
  struct Case {
    const char* key;
    QVariant value;
    const char* refusal;
  } cases[] = {
      {"choices/intro", true, "友情提示|片头没有导入"},
      {"choices/outro", true, "友情提示|片尾没有导入"},
  };
  MakeMedia(dir.path());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    QSettings("Mivora", "mivora").setValue(c.key, c.value);
    MainWindow window(dir.path());
    window.show();
    EXPECT_EQ(window.RowCount(kVideoList), 2);
    test::BoxAnswerer answerer;
    Click(ButtonOf(window, "按钮_开始检测"));
    ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, 5000));
    EXPECT_EQ(answerer.Seen().front(), c.refusal);
    EXPECT_TRUE(Idle(window));
    QSettings("Mivora", "mivora").remove(c.key);
  }
}

// While a run goes on nothing that changes its inputs can be used; the bar
// never goes back; Stop leaves rows, log and clock saying so.
TEST_F(WindowUseTest, ARunLocksItsInputsRisesAndStopsCleanly) {
  MakeMedia(dir.path());
  setenv("MIVORA_FAKE_SLOW_ON", "-y", 1);
  MainWindow window(dir.path());
  window.show();
  Click(ButtonOf(window, "按钮_开始检测"));
  ASSERT_FALSE(Idle(window));
  for (const char* name : {"单选框_图片剪辑", "选择框_加片头", "单选框_加绿幕", "按钮_导入视频剪辑",
                           "下拉框_处理方式", "数值框_版本最小差异", "按钮_主目录"}) {
    SCOPED_TRACE(name);
    auto* control = window.findChild<QWidget*>(name);
    EXPECT_FALSE(control->isEnabled());
    Click(control);
  }
  EXPECT_TRUE(window.IsChecked(Switch::单选框_视频剪辑));
  EXPECT_TRUE(ButtonOf(window, "按钮_打开输出文件夹")->isEnabled());

  auto* bar = window.findChild<QProgressBar*>("进度条_运行");
  std::vector<int> samples;
  ProcessUntil(
      [&] {
        samples.push_back(bar->value());
        return samples.back() >= bar->maximum() / 4;
      },
      30000);
  EXPECT_GT(samples.back(), 0);
  EXPECT_TRUE(std::is_sorted(samples.begin(), samples.end()));

  Click(ButtonOf(window, "按钮_停止检测"));
  ASSERT_TRUE(Idle(window));
  ASSERT_TRUE(ProcessUntil(
      [&] {
        return window.CellText(kVideoList, 0, 3) == "已停止" ||
               window.CellText(kVideoList, 1, 3) == "已停止";
      },
      10000))
      << window.CellText(kVideoList, 0, 3) << " / " << window.CellText(kVideoList, 1, 3);
  EXPECT_TRUE(ProcessUntil(
      [&] {
        return window.ControlText(TextBox::编辑框_日志).find("已停止：完成") != std::string::npos;
      },
      10000));
  EXPECT_TRUE(window.findChild<QLabel*>("标签_运行时间")->text().endsWith("已停止"));
  EXPECT_TRUE(Radio(window, "单选框_图片剪辑")->isEnabled());
}

// "任务完毕" has a second line only when something failed; the bar then
// counts the failures too and is painted as failed.
TEST_F(WindowUseTest, TheEndCountsFailuresOnlyWhenThereAreAny) {
  struct Case {
    const char* failOn;
    const char* message;
    const char* bar;
  } cases[] = {
      {"", "友情提示|任务完毕", "2/2 成功"},
      {"/bad.mp4", "友情提示|任务完毕\n成功 1 个，失败 1 个", "1/2 成功，1 个失败"},
      {"测试视频剪辑", "友情提示|任务完毕\n成功 0 个，失败 2 个", "0/2 成功，2 个失败"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bar);
    test::TempDir home;
    MakeMedia(home.path(), *c.failOn ? "bad.mp4" : "a.mp4");
    setenv("MIVORA_FAKE_FAIL_ON", c.failOn, 1);
    MainWindow window(home.path());
    window.show();
    test::BoxAnswerer answerer;
    Click(ButtonOf(window, "按钮_开始检测"));
    ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, 60000));
    EXPECT_EQ(answerer.Seen().front(), c.message);
    auto* bar = window.findChild<QProgressBar*>("进度条_运行");
    EXPECT_EQ(bar->format().toStdString(), c.bar);
    EXPECT_EQ(bar->property("failed").toBool(), *c.failOn != 0);
    EXPECT_EQ(
        bar->palette().color(QPalette::Highlight) != window.palette().color(QPalette::Highlight),
        *c.failOn != 0);
    EXPECT_TRUE(ProcessUntil([&] { return Idle(window); }, 5000));
  }
}

// Start checks every effect name with the check the command line makes and
// names the bad one; nothing starts.
TEST_F(WindowUseTest, StartRefusesAnUnknownEffectNameByName) {
  struct Case {
    const char* code;
    const char* refusal;
  } cases[] = {
      {"特效12-特效99", "友情提示|没有这个特效：特效99（共有 特效1 到 特效70）"},
      {"特效99", "友情提示|没有这个特效：特效99（共有 特效1 到 特效70）"},
      {"特效12\n特效5-特效七", "友情提示|没有这个特效：特效七（共有 特效1 到 特效70）"},
  };
  MakeMedia(dir.path());
  MainWindow window(dir.path());
  window.show();
  auto* code = window.findChild<QPlainTextEdit*>("编辑框_特效代码");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    code->setPlainText(c.code);
    test::BoxAnswerer answerer;
    Click(ButtonOf(window, "按钮_开始检测"));
    ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, 5000));
    EXPECT_EQ(answerer.Seen().front(), c.refusal);
    EXPECT_TRUE(Idle(window));
    EXPECT_EQ(window.CellText(kVideoList, 0, 3), "");
  }
}

// The rows of the last run are emptied the moment a run starts; a pause
// says so and holds the clock until the run goes on.
TEST_F(WindowUseTest, AStartClearsOldStatusesAndAPauseHoldsTheClock) {
  MakeMedia(dir.path());
  setenv("MIVORA_FAKE_SLEEP_ON", ".part.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1033", 1);
  MainWindow window(dir.path());
  window.show();
  for (int row = 0; row < 2; ++row) window.SetCellText(kVideoList, row, 3, "剪切失败");
  Click(ButtonOf(window, "按钮_开始检测"));
  ASSERT_FALSE(Idle(window));
  // The worker's first events are not handled yet: what shows is the clearing.
  EXPECT_EQ(window.CellText(kVideoList, 0, 3), "");
  EXPECT_EQ(window.CellText(kVideoList, 1, 3), "");

  auto* times = window.findChild<QLabel*>("标签_运行时间");
  ProcessUntil([] { return false; }, 1100);
  Click(ButtonOf(window, "按钮_暂停检测"));
  const QString paused = times->text();
  EXPECT_TRUE(paused.endsWith("已暂停")) << paused.toStdString();
  ProcessUntil([] { return false; }, 2200);
  EXPECT_EQ(times->text(), paused);
  Click(ButtonOf(window, "按钮_继续检测"));
  EXPECT_FALSE(times->text().contains("已暂停"));
  // The pause is not counted as time the run worked.
  EXPECT_EQ(times->text().left(11), paused.left(11));
  Click(ButtonOf(window, "按钮_停止检测"));
  EXPECT_TRUE(ProcessUntil([&] { return times->text().endsWith("已停止"); }, 10000));
}

// The keys: pages go round with Ctrl+Tab, Ctrl+O imports the shown page's
// list, Ctrl+Enter starts, Space pauses and resumes, Escape asks before it
// stops, with Cancel as the default answer, as when closing mid-run.
TEST_F(WindowUseTest, KeysDriveTheRunAndQuestionsDefaultToCancel) {
  MakeMedia(dir.path());
  setenv("MIVORA_FAKE_SLEEP_ON", ".part.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1034", 1);
  MainWindow window(dir.path());
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto* bar = window.findChild<QTabBar*>();
  auto key = [&](Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, code,
                    modifiers);
  };
  key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(bar->currentIndex(), 1);
  key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(bar->currentIndex(), bar->count() - 1);  // wraps to the last page
  key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(bar->currentIndex(), 0);
  test::WriteFakeMedia(dir / "测试视频剪辑" / "0.mp4");
  key(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(window.CellText(kVideoList, 0, 2), "0.mp4");

  auto* times = window.findChild<QLabel*>("标签_运行时间");
  key(Qt::Key_Return, Qt::ControlModifier);
  ASSERT_FALSE(Idle(window));
  key(Qt::Key_Space);
  EXPECT_TRUE(times->text().endsWith("已暂停"));
  key(Qt::Key_Space);
  EXPECT_FALSE(times->text().endsWith("已暂停"));
  for (QMessageBox::StandardButton answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
    SCOPED_TRACE(answer);
    QMessageBox::StandardButton defaultAnswer = QMessageBox::NoButton;
    QTimer::singleShot(100, [&] {
      for (QMessageBox* box : test::OpenBoxes()) {
        defaultAnswer = box->standardButton(box->defaultButton());
        box->button(answer)->click();
      }
    });
    // The offscreen platform gives the window back no focus after a box.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    key(Qt::Key_Escape);
    EXPECT_EQ(defaultAnswer, QMessageBox::Cancel);
    EXPECT_EQ(Idle(window), answer == QMessageBox::Ok);
  }
  EXPECT_TRUE(ProcessUntil([&] { return times->text().endsWith("已停止"); }, 10000));
}

// On a screen smaller than the window the frame stays on it and every
// control can be scrolled into view; on a large one the outer size holds.
TEST_F(WindowUseTest, FitsSmallScreensWithEveryControlReachable) {
  MainWindow window(dir.path());
  window.show();
  ASSERT_TRUE(ProcessUntil([&] { return window.isVisible(); }, 5000));
  const QRect screens[] = {{0, 0, 1366, 768}, {0, 0, 1024, 600}, {100, 30, 800, 500}};
  for (const QRect& available : screens) {
    SCOPED_TRACE(available.width());
    window.FitInto(available);
    ProcessUntil([] { return false; }, 50);
    EXPECT_TRUE(available.contains(window.frameGeometry()))
        << window.frameGeometry().width() << "x" << window.frameGeometry().height();
    auto* scroll = window.findChild<QScrollArea*>();
    for (QWidget* control : scroll->widget()->findChildren<QWidget*>()) {
      if (control->focusPolicy() == Qt::NoFocus || !control->isVisibleTo(&window) ||
          control->objectName().isEmpty() || control->objectName() == "编辑框_输出返回") {
        continue;
      }
      SCOPED_TRACE(control->objectName().toStdString());
      QRect inPage(control->mapTo(scroll->widget(), QPoint(0, 0)), control->size());
      scroll->ensureVisible(inPage.center().x(), inPage.center().y(), inPage.width() / 2,
                            inPage.height() / 2);
      // Whole when it fits the view; a list taller than the view in part.
      QRect placed(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
      QRect view = scroll->viewport()->rect().adjusted(-1, -1, 1, 1);  // rounding of the scroll
      bool fits = placed.width() <= view.width() && placed.height() <= view.height();
      EXPECT_TRUE(fits ? view.contains(placed) : view.intersects(placed))
          << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height()
          << " in " << view.width() << "x" << view.height();
    }
  }
}

// The lists and the log take what a larger window gives, the run buttons keep
// to the right edge, nothing overlaps, the page never scrolls sideways and
// Start stays in sight wherever the page is scrolled; maximizing does the same.
TEST_F(WindowUseTest, GrowsWithTheWindowAndKeepsStartInSight) {
  MainWindow window(dir.path());
  window.show();
  // Fitted first: the outer size counts the frame, learnt once shown.
  ASSERT_TRUE(ProcessUntil(
      [&] {
        return window.frameGeometry().size() ==
               QSize(MainWindow::kOuterWidth, MainWindow::kOuterHeight);
      },
      5000));
  const int frameWidth = window.frameGeometry().width() - window.width();
  auto* scroll = window.findChild<QScrollArea*>();
  QWidget* page = scroll->widget();
  auto placeOf = [page](const char* name) {
    QWidget* control = page->findChild<QWidget*>(name);
    return QRect(control->mapTo(page, QPoint(0, 0)), control->size());
  };
  // Largest first: each smaller window gives the lists less, never more.
  const QSize sizes[] = {{1920, 1080}, {1366, 768}, {0, 0}, {1024, 600}};
  QSize lastList(1 << 20, 1 << 20);
  for (const QSize& size : sizes) {
    const bool maximized = size.isEmpty();
    SCOPED_TRACE(maximized ? std::string("maximized") : std::to_string(size.width()));
    if (maximized) {
      window.showMaximized();
      ASSERT_TRUE(ProcessUntil([&] { return window.frameGeometry().width() == 1366; }, 5000));
    } else {
      window.showNormal();
      window.resize(size);
      ASSERT_TRUE(ProcessUntil([&] { return window.size() == size; }, 5000));
    }
    ProcessUntil([] { return false; }, 50);
    EXPECT_EQ(scroll->horizontalScrollBar()->maximum(), 0);
    const QRect start = placeOf("按钮_开始检测");
    const QRect list = placeOf("超级列表框1");
    const QRect log = placeOf("编辑框_日志");
    // As far from the right edge as at the design size.
    EXPECT_EQ(start.right(), page->width() - (MainWindow::kOuterWidth - frameWidth - 992) - 1);
    EXPECT_LT(placeOf("按钮_导入视频剪辑").right(), start.left());
    EXPECT_LT(list.right(), placeOf("按钮_导入视频剪辑").left());
    EXPECT_LT(log.right(), start.left());
    EXPECT_LE(log.bottom(), page->height());
    EXPECT_LT(placeOf("高级选择夹1").bottom(), log.top());
    // The two lists of a page share its height.
    EXPECT_LT(placeOf("超级列表框3").bottom(), placeOf("超级列表框4").top());
    EXPECT_LT(placeOf("超级列表框4").bottom(), placeOf("高级选择夹1").bottom());
    EXPECT_LT(placeOf("超级列表框6").right(), placeOf("按钮_清空绿幕特效").left());
    EXPECT_LE(list.width(), lastList.width());
    EXPECT_LE(list.height(), lastList.height());
    EXPECT_EQ(list.width(), 666 + page->width() - (MainWindow::kOuterWidth - frameWidth));
    // The paths take the extra width; the remembered width stays the user's.
    auto* view = page->findChild<QTreeWidget*>("超级列表框1");
    EXPECT_EQ(view->columnWidth(kPathColumn), 250 + std::max(0, list.width() - 666));
    EXPECT_EQ(QSettings("Mivora", "mivora").value("columns/超级列表框1").toString(), "")
        << "a layout is no resize by the user";
    lastList = list.size();
    for (int scrolled : {0, scroll->verticalScrollBar()->maximum()}) {
      scroll->verticalScrollBar()->setValue(scrolled);
      QRect shown(
          page->findChild<QWidget*>("按钮_开始检测")->mapTo(scroll->viewport(), QPoint(0, 0)),
          start.size());
      EXPECT_TRUE(scroll->viewport()->rect().contains(shown)) << scrolled;
    }
  }
  EXPECT_GT(lastList.width(), 0);
}

// On a page that scrolls, a wheel turned over a choice nobody is working
// with scrolls the page and leaves every run setting as it was.
TEST_F(WindowUseTest, AWheelOverAnUnfocusedChoiceScrollsThePage) {
  MainWindow window(dir.path());
  window.show();
  window.resize(1024, 560);
  ASSERT_TRUE(ProcessUntil([&] { return window.size() == QSize(1024, 560); }, 5000));
  auto* bar = window.findChild<QScrollArea*>()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  const RunSettings before = window.CurrentRunSettings();
  for (const char* name : {"下拉框_处理方式", "数值框_同时处理", "数值框_版本最小差异"}) {
    SCOPED_TRACE(name);
    bar->setValue(0);
    QWidget* choice = window.findChild<QWidget*>(name);
    QWheelEvent wheel(QPointF(5, 5), choice->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(choice, &wheel);
    EXPECT_GT(bar->value(), 0);
  }
  // A list scrolls its own rows.
  for (int row = 0; row < 200; ++row) window.AppendRow(kIntroList);
  window.findChild<TabControl*>()->Bar()->setCurrentIndex(4);
  auto* list = window.findChild<QTreeWidget*>("超级列表框3");
  bar->setValue(0);
  QWheelEvent wheel(QPointF(5, 5), list->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                    QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list->viewport(), &wheel);
  EXPECT_GT(list->verticalScrollBar()->value(), 0);
  EXPECT_EQ(bar->value(), 0);
  const RunSettings after = window.CurrentRunSettings();
  EXPECT_EQ(after.run.engine, before.run.engine);
  EXPECT_EQ(after.run.jobs, before.run.jobs);
  EXPECT_EQ(after.run.minDistance, before.run.minDistance);
}

// The job goes on and writes its video while the window's thread takes no
// event at all; the window shows it all once it is free again.
TEST_F(WindowUseTest, AJobFinishesWhileTheWindowsThreadIsHeld) {
  MakeMedia(dir.path());
  MainWindow window(dir.path());
  window.show();
  test::BoxAnswerer answerer;
  Click(ButtonOf(window, "按钮_开始检测"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  auto made = [&] {
    std::error_code error;
    return std::filesystem::exists(dir / "生成视频剪辑" / "b.mp4", error);
  };
  while (!made() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(made());
  EXPECT_EQ(window.CellText(kVideoList, 1, 3), "");
  ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, 10000));
  EXPECT_EQ(answerer.Seen().front(), "友情提示|任务完毕");
  EXPECT_EQ(window.CellText(kVideoList, 1, 3), "成功");
}

}  // namespace
}  // namespace mivora
