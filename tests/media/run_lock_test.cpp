// The runs' locks on a home: leftovers of runs that are gone are removed, the
// files of a run still at work never are, and the last run out leaves no
// trace.
#include "media/run_lock.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(RunLock, RemovesOnlyWhatRunsThatAreGoneLeft) {
  TempDir home;
  const std::filesystem::path out = home / "生成视频剪辑";
  const std::filesystem::path work = home / kRunsWorkFolder;
  std::optional<RunLock> alive(std::in_place, home.path(), std::vector{out});
  // The live run's own files.
  const std::filesystem::path livePart = out / (alive->PartPrefix() + "a.mp4.part.mp4");
  WriteFile(livePart, "x");
  WriteFile(alive->WorkFolder() / "临时" / "out1.mp4", "x");
  // What a killed run and an older version left, and what is no run's.
  struct Left {
    std::filesystem::path path;
    bool removed;
  };
  const std::vector<Left> left = {
      {work / "run1_0000dead.lock", true},
      {work / "run1_0000dead" / "item-1" / "临时" / "out1.mp4", true},
      {work / "item-3" / "out临时.mp4", true},
      {out / ".mivora-run1_0000dead-b.mp4.part.mp4", true},
      {out / ".mivora-4242-1.part.mp4", true},
      {out / "b.mp4", false},
      {out / ".hidden.mp4", false},
      {home / "临时" / "out1.mp4", false},
  };
  for (const Left& file : left) WriteFile(file.path, "x");

  {
    RunLock next(home.path(), {out, home / "生成图片剪辑"});
    for (const Left& file : left) EXPECT_EQ(!exists(file.path), file.removed) << file.path;
    EXPECT_TRUE(exists(livePart));
    EXPECT_TRUE(exists(alive->WorkFolder() / "临时" / "out1.mp4"));
    std::set<std::filesystem::path> removed(next.removed().begin(), next.removed().end());
    EXPECT_TRUE(removed.count(work / "run1_0000dead"));
    EXPECT_TRUE(removed.count(out / ".mivora-4242-1.part.mp4"));
    EXPECT_FALSE(removed.count(livePart));
    EXPECT_NE(next.PartPrefix(), alive->PartPrefix());
  }
  EXPECT_TRUE(exists(alive->WorkFolder())) << "a run leaving takes only its own folder";
  alive.reset();
  EXPECT_FALSE(exists(work)) << "the last run out removes the work folder";
  EXPECT_TRUE(exists(out / "b.mp4"));
}

TEST(RunLock, AHomeThatCannotBeWrittenRemovesNothing) {
  TempDir home;
  const std::filesystem::path blocked = home / "file";
  WriteFile(blocked, "x");
  RunLock lock(blocked, {});
  EXPECT_TRUE(lock.removed().empty());
  EXPECT_TRUE(lock.PartPrefix().starts_with(".mivora-run"));
}

}  // namespace
}  // namespace mivora
