// Program entry of the window: builds the window over RunDir, gives it the
// built-in look once it exists, and runs the event loop until it is closed.
// Closing it during a job, or ending the program with SIGINT, SIGTERM or
// SIGHUP, stops the job and its encoder before the program ends, so no
// process is left behind.
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/qt/main_window.h"
#include "app/qt/theme.h"
#include "mivora_version.h"

namespace {

// The folder of the executable, unless MIVORA_HOME names another.
std::filesystem::path RunDirectory() {
  const char* home = std::getenv("MIVORA_HOME");
  if (home && *home) return std::filesystem::path(home);
  return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

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
  // Answered before any window exists, so it works without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::puts(mivora::kVersionText);
      return 0;
    }
  }
  QApplication app(argc, argv);
  // Matches the window to its desktop entry (and so its icon) on Wayland.
  QGuiApplication::setDesktopFileName("org.mivora.Mivora");
  QuitOnSignals(app);
  mivora::MainWindow window(RunDirectory());
  window.show();
  QTimer::singleShot(0, &app, [&app] { mivora::ApplyTheme(app); });
  app.exec();
  // The loop has ended; release a worker waiting on the window before the
  // window's destructor stops it and waits for it.
  window.BeginShutdown();
  return 0;
}
