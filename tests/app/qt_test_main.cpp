// Entry of the window tests: one application object on Qt's offscreen
// platform, so the tests need no display.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include <QApplication>
#include <QByteArray>
#include <QSettings>

#include "support/temp_dir.h"

namespace {

// Every test starts with no saved window settings: a window saves its
// controls as they change, which must not carry over to the next test.
class ClearSettings : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    QSettings settings("Mivora", "mivora");
    settings.clear();
    settings.sync();
  }
};

}  // namespace

int main(int argc, char** argv) {
  // The user's own settings are never read or written.
  mivora::test::TempDir config;
  // One screen of a small laptop, on which the whole window has to fit.
  const std::filesystem::path screens = config / "screens.json";
  std::ofstream(screens) << R"({"screens": [{"name": "laptop", "x": 0, "y": 0,)"
                         << R"( "width": 1366, "height": 768, "logicalDpi": 96}]})";
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + screens.c_str());
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication app(argc, argv);
  // Closing a test's window must not end the event loops of later tests.
  app.setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new ClearSettings);
  return RUN_ALL_TESTS();
}
