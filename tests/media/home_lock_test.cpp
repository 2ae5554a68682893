// One window, or command-line runs side by side, never both on one home.
#include "media/home_lock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/temp_dir.h"

namespace mivora {
namespace {

using Holder = HomeLock::Holder;

TEST(HomeLock, AWindowIsAloneAndCommandLineRunsShare) {
  struct Case {
    const char* name;
    std::vector<Holder> earlier;  // still holding
    Holder next;
    bool held;
  } cases[] = {
      {"first window", {}, Holder::kWindow, true},
      {"second window", {Holder::kWindow}, Holder::kWindow, false},
      {"run beside a window", {Holder::kWindow}, Holder::kCommandLine, false},
      {"window beside a run", {Holder::kCommandLine}, Holder::kWindow, false},
      {"runs side by side",
       {Holder::kCommandLine, Holder::kCommandLine},
       Holder::kCommandLine,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir home;
    std::vector<std::unique_ptr<HomeLock>> earlier;
    for (Holder holder : c.earlier) {
      earlier.push_back(std::make_unique<HomeLock>(home.path(), holder));
      EXPECT_TRUE(earlier.back()->held());
    }
    EXPECT_EQ(HomeLock(home.path(), c.next).held(), c.held);
    // Once the others have let go, the home is free for anyone.
    earlier.clear();
    EXPECT_TRUE(HomeLock(home.path(), c.next).held());
  }
}

TEST(HomeLock, AHomeWithoutALockFileIsNeverRefused) {
  test::TempDir dir;
  const std::filesystem::path missing = dir / "gone";
  HomeLock window(missing, Holder::kWindow);
  EXPECT_TRUE(window.held());
  EXPECT_TRUE(HomeLock(missing, Holder::kCommandLine).held());
}

}  // namespace
}  // namespace mivora
