#include "media/work_folders.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "support/temp_dir.h"

namespace mivora {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

TEST(WorkFolders, PrepareCreatesTheFourFoldersAlsoUnderMissingParents) {
  test::TempDir dir;
  fs::path runDir = dir / "a/b/运行";
  PrepareWorkFolders(runDir);
  EXPECT_EQ(Names(runDir),
            (std::set<std::string>{"临时", "生成视频剪辑", "生成图片剪辑", "图转视频后路径"}));
  for (const char* name : {kTempFolder, kVideoOutputFolder, kImageOutputFolder, kImageVideoFolder})
    EXPECT_TRUE(IsFolder(runDir / name)) << name;

  // A second preparation keeps what is there.
  test::WriteFile(runDir / kTempFolder / "out1.mp4", "x");
  PrepareWorkFolders(runDir);
  EXPECT_EQ(test::ReadFile(runDir / kTempFolder / "out1.mp4"), "x");
}

TEST(WorkFolders, EnsureFolderMakesAFolderAndReportsWhetherItExists) {
  test::TempDir dir;
  EXPECT_TRUE(EnsureFolder(dir / "x/临时"));
  EXPECT_TRUE(IsFolder(dir / "x/临时"));
  EXPECT_TRUE(EnsureFolder(dir / "x/临时"));  // already there
  test::WriteFile(dir / "file", "x");
  EXPECT_FALSE(EnsureFolder(dir / "file/sub"));
  EXPECT_FALSE(IsFolder(dir / "file"));
}

TEST(WorkFolders, WildcardMatching) {
  struct Case {
    std::string name, pattern;
    bool matches;
  } cases[] = {
      {"a.mp4", "*.mp4", true},
      {"A.MP4", "*.mp4", true},
      {".mp4", "*.mp4", true},
      {"a.mp4.bak", "*.mp4", false},
      {"a.mp3", "*.mp4", false},
      {"noext", "*.*", true},
      {"a.b.c", "*.*", true},
      {"out1.mp4", "out?.mp4", true},
      {"out10.mp4", "out?.mp4", false},
      {"特.mp4", "?.mp4", true},
      {"特效.mp4", "?.mp4", false},
      {"特效.mp4", "特*.MP4", true},
      {"abcabd", "*ab?", true},
      {"abcabd", "*ab", false},
      {"x", "*", true},
      {"x", "", false},
      {"mp4", "*.mp4", false},
      {"aXbXc", "a*b*c", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchesWildcard(c.name, c.pattern), c.matches) << c.name << " ~ " << c.pattern;
}

TEST(WorkFolders, DeleteMatchingWithEmptyPatternDeletesEveryFileButNoFolder) {
  test::TempDir dir;
  fs::path temp = dir / kTempFolder;
  test::WriteFile(temp / "out1.mp4", "x");
  test::WriteFile(temp / "list.txt", "x");
  test::WriteFile(temp / "noext", "x");
  test::WriteFile(temp / "locked.mp4", "x");
  fs::permissions(temp / "locked.mp4", fs::perms::owner_read | fs::perms::group_read);
  test::WriteFile(temp / "sub/inner.mp4", "x");
  fs::create_directory(temp / "dir.mp4");

  DeleteMatching(temp, "");
  EXPECT_EQ(Names(temp), (std::set<std::string>{"sub", "dir.mp4"}));
  EXPECT_TRUE(fs::exists(temp / "sub/inner.mp4"));
}

TEST(WorkFolders, DeleteMatchingWithAPatternDeletesOnlyMatchingFiles) {
  test::TempDir dir;
  for (const char* name : {"a.mp4", "B.MP4", "c.mp3", "d.mp4.txt"})
    test::WriteFile(dir / name, "x");
  DeleteMatching(dir.path() / "", "*.mp4");  // a trailing slash is fine too
  EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"c.mp3", "d.mp4.txt"}));
}

TEST(WorkFolders, HousekeepingIsQuietOnMissingAndEmptyThings) {
  test::TempDir dir;
  fs::create_directory(dir / "empty");
  EXPECT_NO_THROW(DeleteMatching(dir / "empty", ""));
  EXPECT_NO_THROW(DeleteMatching(dir / "missing", ""));
  EXPECT_NO_THROW(DeleteWorkFile(dir / "missing.mp4"));

  test::WriteFile(dir / kConcatWorkFile, "x");
  DeleteWorkFile(dir / kConcatWorkFile);
  EXPECT_FALSE(fs::exists(dir / kConcatWorkFile));

  // A folder is not a work file.
  DeleteWorkFile(dir / "empty");
  EXPECT_TRUE(IsFolder(dir / "empty"));
}

}  // namespace
}  // namespace mivora
