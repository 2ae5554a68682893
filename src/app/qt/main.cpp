// Program entry of the window: answers --version and --help, finds the home
// folder, loads Qt's own Chinese texts for the standard dialogs, builds the
// window over the home folder, gives it the built-in look once it exists, and
// runs the event loop until it is closed.
// Closing it during a job, or ending the program with SIGINT, SIGTERM or
// SIGHUP, stops the job and its encoder before the program ends, so no
// process is left behind.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <QTranslator>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "app/qt/main_window.h"
#include "app/qt/theme.h"
#include "app/qt/window_claim.h"
#include "media/home_folder.h"
#include "mivora_version.h"

namespace {

// The home folder by the common rule; the user's own one is made with its
// media folders on first use, so the imports have somewhere to look.
std::filesystem::path RunDirectory() {
  const std::filesystem::path program(QCoreApplication::applicationDirPath().toStdString());
  mivora::HomeChoice choice = mivora::ResolveHomeFolder(mivora::HomeInputsOfProcess(program));
  if (choice.rule == mivora::HomeRule::UserFolder) mivora::MakeHomeFolder(choice.folder);
  return choice.folder;
}

// Standard buttons and dialogs ("OK", "Cancel", "Look in") in Chinese, like
// the rest of the window.
void LoadQtChinese(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (translator->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
}

// Laid out as mivora-cli lays out its help, so one man page generator reads both.
constexpr char kHelpText[] =
    "打开竖屏短视频批量剪辑的窗口：导入素材、选择特效和音频，按“开始”做成竖屏短视频。\n"
    "用法: mivora [选项]\n"
    "\n"
    "选项:\n"
    "  -h,--help                   显示帮助并退出\n"
    "  --version                   显示版本并退出\n"
    "\n"
    "主目录：依次取 MIVORA_HOME、窗口保存的主目录、可写且放有素材目录的程序目录，"
    "都没有时用 ~/Mivora（第一次用时连同素材目录一起创建）。\n";

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  char byte = 0;
  // Nothing can be done about a full pipe: a quit is already pending then.
  [[maybe_unused]] ssize_t written = write(signalPipe[1], &byte, 1);
}

// A signal only writes to a pipe; the event loop reads it and quits, so the
// ordinary shutdown below runs instead of the process dying mid-job.
void QuitOnSignals(QApplication& app) {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
  QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window exists, so they work without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts(mivora::kVersionText);
      return 0;
    }
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kHelpText, stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  // Matches the window to its desktop entry (and so its icon) on Wayland.
  QGuiApplication::setDesktopFileName("org.mivora.Mivora");
  QuitOnSignals(app);
  LoadQtChinese(app);
  const std::filesystem::path home = RunDirectory();
  // One window per home: a second copy raises the first and ends here.
  auto claim = std::make_unique<mivora::WindowClaim>(home);
  if (claim->state() != mivora::WindowClaim::State::kClaimed) {
    QMessageBox refused(QMessageBox::Information, "友情提示", claim->RefusalMessage(),
                        QMessageBox::Ok);
    refused.exec();
    return 1;
  }
  mivora::MainWindow window(home);
  claim->SetWindow(&window);
  // Another home is claimed before the window moves there.
  window.SetHomeClaimer([&claim, &window](const std::filesystem::path& folder) {
    auto next = std::make_unique<mivora::WindowClaim>(folder);
    if (next->state() != mivora::WindowClaim::State::kClaimed) return next->RefusalMessage();
    next->SetWindow(&window);
    claim = std::move(next);
    return QString();
  });
  window.show();
  QTimer::singleShot(0, &app, [&app] { mivora::ApplyTheme(app); });
  app.exec();
  // The loop has ended; release a worker waiting on the window before the
  // window's destructor stops it and waits for it.
  window.BeginShutdown();
  return 0;
}
