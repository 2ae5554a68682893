// Whole runs driven through the window's buttons with the real encoder on
// generated media: a finished video-mode run, Stop and Pause during a run,
// and closing the window during a run.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <atomic>
#include <memory>

#include "app/qt/main_window.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"
#include "window_test_util.h"

namespace mivora {
namespace {

using test::ButtonOf;
using test::ProcessUntil;

constexpr int kRunTimeoutMs = 600000;

class WindowRunTest : public testing::Test {
 protected:
  // Two source videos, one black-screen clip and one audio file under RunDir.
  void MakeMedia(double sourceSeconds) {
    for (const char* name : {"a.mp4", "b.mp4"}) {
      ASSERT_TRUE(test::MakeClip(dir / "测试视频剪辑" / name, {.seconds = sourceSeconds}));
    }
    ASSERT_TRUE(test::MakeClip(dir / "黑幕特效" / "k.mp4",
                               {.seconds = 2, .audio = false, .source = "color"}));
    ASSERT_TRUE(test::MakeTone(dir / "音乐" / "t.mp3", 2));
  }

  void Import(MainWindow& window) {
    window.SetFolderChooser([this] { return QString::fromStdString((dir / "音乐").string()); });
    for (const char* button : {"按钮_导入视频剪辑", "按钮_导入黑幕特效", "按钮_导入音频文件"}) {
      ButtonOf(window, button)->click();
    }
    ASSERT_EQ(window.RowCount(ListView::超级列表框1), 2);
    ASSERT_EQ(window.RowCount(ListView::超级列表框7), 1);
    ASSERT_EQ(window.RowCount(ListView::超级列表框5), 1);
  }

  void SetEffectCode(MainWindow& window, const char* code) {
    window.findChild<QPlainTextEdit*>("编辑框_特效代码")->setPlainText(code);
  }

  // True while an encoder works on files under this test's RunDir.
  bool EncoderRunning() { return test::ProcessRunning(dir.path().string()); }
  // An item's encoder, not one of the quick probes of the clip files that
  // come before the first item.
  bool ItemEncoding(MainWindow& window) {
    return EncoderRunning() && !window.CellText(kVideoList, 0, 3).empty();
  }

  static bool Idle(MainWindow& window) {
    return ButtonOf(window, "按钮_开始检测")->isEnabled() &&
           !ButtonOf(window, "按钮_停止检测")->isEnabled() &&
           !ButtonOf(window, "按钮_暂停检测")->isEnabled() &&
           !ButtonOf(window, "按钮_继续检测")->isEnabled();
  }

  test::TempDir dir;
};

TEST_F(WindowRunTest, VideoRunThroughTheButtonsFinishesBothRows) {
  MakeMedia(4);
  MainWindow window(dir.path());
  window.show();
  Import(window);
  SetEffectCode(window, "特效12-特效29");
  test::BoxAnswerer answerer;
  ButtonOf(window, "按钮_开始检测")->click();
  EXPECT_FALSE(ButtonOf(window, "按钮_开始检测")->isEnabled());
  ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, kRunTimeoutMs));
  EXPECT_EQ(answerer.Seen().front(), "友情提示|任务完毕");
  EXPECT_TRUE(ProcessUntil([&] { return Idle(window); }, 10000));
  for (int row : {0, 1}) {
    EXPECT_EQ(window.CellText(ListView::超级列表框1, row, 3), "成功")
        << window.ControlText(TextBox::编辑框_日志);
  }
  for (const char* name : {"a.mp4", "b.mp4"}) {
    test::MediaInfo info = test::ReadMediaInfo(dir / "生成视频剪辑" / name);
    EXPECT_EQ(info.width, 720) << name;
    EXPECT_EQ(info.height, 1280) << name;
    EXPECT_TRUE(info.hasAudio) << name;
  }
  EXPECT_NE(window.ControlText(TextBox::编辑框_日志).find("正在剪辑"), std::string::npos);
  EXPECT_FALSE(window.ControlText(TextBox::编辑框_输出返回).empty());
}

TEST_F(WindowRunTest, PauseHoldsTheRunAndStopEndsItAndItsEncoder) {
  MakeMedia(20);
  MainWindow window(dir.path());
  window.show();
  Import(window);
  SetEffectCode(window, "特效38-特效38-特效38-特效38-特效38-特效38");
  test::BoxAnswerer answerer;
  ButtonOf(window, "按钮_开始检测")->click();
  ASSERT_TRUE(ProcessUntil([&] { return ItemEncoding(window); }, 60000));

  ButtonOf(window, "按钮_暂停检测")->click();
  EXPECT_FALSE(ButtonOf(window, "按钮_开始检测")->isEnabled());
  EXPECT_TRUE(ButtonOf(window, "按钮_停止检测")->isEnabled());
  EXPECT_TRUE(ButtonOf(window, "按钮_继续检测")->isEnabled());
  EXPECT_FALSE(ButtonOf(window, "按钮_暂停检测")->isEnabled());
  std::string logWhilePaused = window.ControlText(TextBox::编辑框_日志);
  ProcessUntil([] { return false; }, 1500);
  EXPECT_EQ(window.ControlText(TextBox::编辑框_日志), logWhilePaused);

  ButtonOf(window, "按钮_继续检测")->click();
  EXPECT_TRUE(ButtonOf(window, "按钮_暂停检测")->isEnabled());
  EXPECT_FALSE(ButtonOf(window, "按钮_继续检测")->isEnabled());

  ButtonOf(window, "按钮_停止检测")->click();
  EXPECT_TRUE(Idle(window));
  EXPECT_TRUE(ProcessUntil([&] { return !EncoderRunning(); }, 15000));
  // Nothing of the job follows the stop: no finish message, no new status.
  ProcessUntil([] { return false; }, 1500);
  EXPECT_TRUE(answerer.Seen().empty());
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "已停止");
  EXPECT_TRUE(Idle(window));
}

TEST_F(WindowRunTest, ClosingTheWindowDuringARunLeavesNoEncoder) {
  MakeMedia(20);
  auto window = std::make_unique<MainWindow>(dir.path());
  window->show();
  Import(*window);
  SetEffectCode(*window, "特效38-特效38-特效38-特效38-特效38-特效38");
  ButtonOf(*window, "按钮_开始检测")->click();
  ASSERT_TRUE(ProcessUntil([&] { return ItemEncoding(*window); }, 60000));
  // Closing asks first; the answer here is OK.
  test::BoxAnswerer answerer;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(answerer.Seen(), std::vector<std::string>{"友情提示|正在剪辑，确定要停止并退出吗？"});
  // What the program does once its event loop has ended.
  window->BeginShutdown();
  window.reset();
  EXPECT_FALSE(EncoderRunning());
}

// Every row with the one-pass engine, two at a time: all three videos are
// made, each in its own work folder, the log names them and the bar ends full.
TEST_F(WindowRunTest, OnePassRunOfEveryRowTwoAtATimeFillsTheProgressBar) {
  MakeMedia(4);
  ASSERT_TRUE(test::MakeClip(dir / "测试视频剪辑" / "c.mp4", {.seconds = 4}));
  MainWindow window(dir.path());
  window.show();
  auto* engine = window.findChild<QComboBox*>("下拉框_处理方式");
  engine->setCurrentIndex(engine->findData("onepass"));
  window.findChild<QCheckBox*>("选择框_处理全部素材")->setChecked(true);
  auto* jobs = window.findChild<QSpinBox*>("数值框_同时处理");
  jobs->setValue(2);
  window.SetFolderChooser([this] { return QString::fromStdString((dir / "音乐").string()); });
  for (const char* button : {"按钮_导入视频剪辑", "按钮_导入黑幕特效", "按钮_导入音频文件"}) {
    ButtonOf(window, button)->click();
  }
  ASSERT_EQ(window.RowCount(kVideoList), 3);
  SetEffectCode(window, "特效12-特效29");
  test::BoxAnswerer answerer;
  ButtonOf(window, "按钮_开始检测")->click();
  ASSERT_TRUE(ProcessUntil([&] { return !answerer.Seen().empty(); }, kRunTimeoutMs));
  EXPECT_EQ(answerer.Seen().front(), "友情提示|任务完毕");
  const std::string log = window.ControlText(TextBox::编辑框_日志);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(window.CellText(kVideoList, row, 3), "成功") << log;
    std::filesystem::path video = dir / "生成视频剪辑" / window.CellText(kVideoList, row, 2);
    EXPECT_EQ(test::ReadMediaInfo(video).width, 720) << video;
    EXPECT_NE(log.find("生成视频：" + video.string() + "\n"), std::string::npos) << log;
  }
  auto* bar = window.findChild<QProgressBar*>("进度条_运行");
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(bar->format(), "3/3 成功");
}

}  // namespace
}  // namespace mivora
