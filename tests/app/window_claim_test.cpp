// One window per home: a second copy is refused and raises the first, a copy
// beside a command-line run is refused, and a home is free again once its
// window has gone.
#include "app/qt/window_claim.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "media/home_lock.h"
#include "support/temp_dir.h"
#include "window_test_util.h"

namespace mivora {
namespace {

TEST(WindowClaim, ASecondCopyIsRefusedAndRaisesTheFirst) {
  test::TempDir home;
  QWidget first;
  first.showMinimized();
  auto claim = std::make_unique<WindowClaim>(home.path());
  ASSERT_EQ(claim->state(), WindowClaim::State::kClaimed);
  EXPECT_TRUE(claim->RefusalMessage().isEmpty());
  claim->SetWindow(&first);

  // The same home, spelled another way.
  WindowClaim second(home / "." / "");
  EXPECT_EQ(second.state(), WindowClaim::State::kOtherWindow);
  EXPECT_TRUE(second.RefusalMessage().startsWith("这个主目录已在另一个窗口中打开："))
      << second.RefusalMessage().toStdString();
  EXPECT_TRUE(
      test::ProcessUntil([&] { return !(first.windowState() & Qt::WindowMinimized); }, 5000));
  // No command-line run either, while the window has the home.
  EXPECT_FALSE(HomeLock(home.path(), HomeLock::Holder::kCommandLine).held());

  claim.reset();
  EXPECT_EQ(WindowClaim(home.path()).state(), WindowClaim::State::kClaimed);
}

TEST(WindowClaim, ACommandLineRunAtWorkKeepsTheWindowOut) {
  test::TempDir home;
  auto run = std::make_unique<HomeLock>(home.path(), HomeLock::Holder::kCommandLine);
  WindowClaim refused(home.path());
  EXPECT_EQ(refused.state(), WindowClaim::State::kCommandLineRun);
  EXPECT_TRUE(refused.RefusalMessage().startsWith("命令行正在这个主目录中剪辑："));
  run.reset();
  EXPECT_EQ(WindowClaim(home.path()).state(), WindowClaim::State::kClaimed);
}

// Moving the window to a home another window has is refused by name, and
// the window stays where it was.
TEST(WindowClaim, TheHomeButtonCannotMoveOntoAnotherWindowsHome) {
  test::TempDir mine;
  test::TempDir theirs;
  WindowClaim other(theirs.path());
  MainWindow window(mine.path());
  window.SetHomeClaimer(
      [](const std::filesystem::path& folder) { return WindowClaim(folder).RefusalMessage(); });
  test::BoxAnswerer answerer;
  window.ChangeHome(theirs.path());
  ASSERT_TRUE(test::ProcessUntil([&] { return !answerer.Seen().empty(); }, 5000));
  EXPECT_TRUE(QString::fromStdString(answerer.Seen().front())
                  .startsWith("友情提示|这个主目录已在另一个窗口中打开："));
  EXPECT_EQ(window.RunDir(), mine.path());
}

}  // namespace
}  // namespace mivora
