// The window against the command line, measured in one run on the same media:
// three items with the one-pass engine through the window's buttons (on Qt's
// offscreen platform) and the same three items with mivora-cli. Each side
// runs twice, alternating, and its best time counts, so a busy moment of a
// shared machine weighs on neither side alone. The window should be within
// 10% of the command line.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/qt/main_window.h"
#include "app/window_test_util.h"
#include "child_usage.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 3;
constexpr char kEffectCode[] = "特效12-特效29-特效38-特效66";

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// One run of every row through the window, from Start to "任务完毕".
bool RunWindow(const std::filesystem::path& home, const std::filesystem::path& audio) {
  using namespace mivora;
  MainWindow window(home);
  window.show();
  auto* engine = window.findChild<QComboBox*>("下拉框_处理方式");
  engine->setCurrentIndex(engine->findData("onepass"));
  window.findChild<QCheckBox*>("选择框_处理全部素材")->setChecked(true);
  window.findChild<QSpinBox*>("数值框_同时处理")->setValue(1);
  window.findChild<QPlainTextEdit*>("编辑框_特效代码")->setPlainText(kEffectCode);
  window.SetFolderChooser([&audio] { return QString::fromStdString(audio.string()); });
  for (const char* button : {"按钮_导入视频剪辑", "按钮_导入黑幕特效", "按钮_导入音频文件"}) {
    test::ButtonOf(window, button)->click();
  }
  test::BoxAnswerer answerer;
  test::ButtonOf(window, "按钮_开始检测")->click();
  test::ProcessUntil([&] { return !answerer.Seen().empty(); }, 3600 * 1000);
  for (int row = 0; row < kItems; ++row) {
    if (window.CellText(kVideoList, row, 3) != "成功") return false;
  }
  return window.RowCount(kVideoList) == kItems;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mivora;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  test::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);

  test::TempDir home;
  test::TempDir audio;
  bool made = test::MakeClip(home / "黑幕特效" / "k.mp4",
                             {.seconds = 8, .audio = false, .source = "color=c=black"}) &&
              test::MakeTone(audio / "a.mp3", 5);
  for (int i = 1; i <= kItems; ++i) {
    made = made && test::MakeClip(home / "测试视频剪辑" / ("s" + std::to_string(i) + ".mp4"),
                                  {.seconds = 8, .width = 640, .height = 360});
  }
  if (!made) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  const std::vector<std::string> cli = {"run",
                                        "--home",
                                        home.path().string(),
                                        "--audio",
                                        audio.path().string(),
                                        "--all",
                                        "-j",
                                        "1",
                                        "--effect-code",
                                        kEffectCode,
                                        "--engine",
                                        "onepass"};

  double best[2] = {1e9, 1e9};  // command line, window
  for (int round = 0; round < 2; ++round) {
    auto start = Clock::now();
    if (!bench::RunCli(cli)) {
      std::fprintf(stderr, "a run of mivora-cli failed\n");
      return 1;
    }
    best[0] = std::min(best[0], Seconds(Clock::now() - start));
    start = Clock::now();
    if (!RunWindow(home.path(), audio.path())) {
      std::fprintf(stderr, "a run through the window failed\n");
      return 1;
    }
    best[1] = std::min(best[1], Seconds(Clock::now() - start));
  }
  std::printf("%d items, one-pass, mivora-cli: %7.2f s\n", kItems, best[0]);
  std::printf("%d items, one-pass, window:     %7.2f s  (%.3fx the command line)\n", kItems,
              best[1], best[1] / best[0]);
  return 0;
}
