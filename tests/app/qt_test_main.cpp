// Entry of the window tests: one application object on Qt's offscreen
// platform, so the tests need no display.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <QApplication>
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
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // The user's own settings are never read or written.
  mivora::test::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication app(argc, argv);
  // Closing a test's window must not end the event loops of later tests.
  app.setQuitOnLastWindowClosed(false);
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new ClearSettings);
  return RUN_ALL_TESTS();
}
