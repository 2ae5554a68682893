// Program entry of the window: builds the window over RunDir, gives it the
// built-in look once it exists, and runs the event loop until it is closed.
// Closing it during a job stops the job and its encoder before the program
// ends, so no process is left behind.
#include <QApplication>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/qt/main_window.h"
#include "app/qt/theme.h"

namespace {

// The folder of the executable, unless MIVORA_HOME names another.
std::filesystem::path RunDirectory() {
  const char* home = std::getenv("MIVORA_HOME");
  if (home && *home) return std::filesystem::path(home);
  return std::filesystem::path(QCoreApplication::applicationDirPath().toStdString());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  mivora::MainWindow window(RunDirectory());
  window.show();
  QTimer::singleShot(0, &app, [&app] { mivora::ApplyTheme(app); });
  app.exec();
  // The loop has ended; release a worker waiting on the window before the
  // window's destructor stops it and waits for it.
  window.BeginShutdown();
  return 0;
}
