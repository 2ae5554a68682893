#include "media/home_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "media/work_folders.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

namespace fs = std::filesystem;

TEST(HomeFolder, RulesInOrder) {
  test::TempDir dir;
  const fs::path saved = dir / "saved";
  const fs::path portable = dir / "portable";  // writable, holds a media folder
  const fs::path bare = dir / "bare";          // writable, holds none (a build tree)
  const fs::path locked = dir / "locked";      // holds one, not writable
  for (const fs::path& folder : {saved, bare}) fs::create_directories(folder);
  fs::create_directories(portable / kIntroFolder);
  fs::create_directories(locked / kTestVideoFolder);
  chmod(locked.c_str(), 0555);
  const fs::path user = dir / "user";
  const fs::path userFolder = user / "Mivora";

  struct Case {
    std::string environment;
    std::string savedChoice;
    fs::path programFolder;
    HomeChoice expected;
  };
  const Case cases[] = {
      {"/env", saved.string(), portable, {"/env", HomeRule::Environment}},
      {"", saved.string(), portable, {saved, HomeRule::SavedChoice}},
      // A saved folder that is gone, or no absolute path, is passed over.
      {"", (dir / "gone").string(), portable, {portable, HomeRule::ProgramFolder}},
      {"", "saved", portable, {portable, HomeRule::ProgramFolder}},
      {"", "", bare, {userFolder, HomeRule::UserFolder}},
      {"", "", "/usr/bin", {userFolder, HomeRule::UserFolder}},
      {"", "", "", {userFolder, HomeRule::UserFolder}},
      {"", "", locked, {userFolder, HomeRule::UserFolder}},
  };
  for (const Case& c : cases) {
    // Permissions do not bind root; the locked folder then proves nothing.
    if (c.programFolder == locked && geteuid() == 0) continue;
    HomeChoice choice = ResolveHomeFolder({c.environment, c.savedChoice, c.programFolder, user});
    EXPECT_EQ(choice.folder, c.expected.folder)
        << c.environment << "|" << c.savedChoice << "|" << c.programFolder;
    EXPECT_EQ(choice.rule, c.expected.rule) << choice.folder;
  }
  chmod(locked.c_str(), 0755);
}

TEST(HomeFolder, SettingsFileAndSavedChoice) {
  EXPECT_EQ(WindowSettingsFile("/cfg", "/home/u"), fs::path("/cfg/Mivora/mivora.conf"));
  // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
  EXPECT_EQ(WindowSettingsFile("cfg", "/home/u"), fs::path("/home/u/.config/Mivora/mivora.conf"));
  EXPECT_EQ(WindowSettingsFile("", "/home/u"), fs::path("/home/u/.config/Mivora/mivora.conf"));

  test::TempDir dir;
  EXPECT_EQ(SavedHomeChoice(dir / "missing.conf"), "");
  test::WriteFile(dir / "mivora.conf", "[paths]\nhome=/媒体\n");
  EXPECT_EQ(SavedHomeChoice(dir / "mivora.conf"), "/媒体");
}

TEST(HomeFolder, MakeHomeFolderMakesTheSixMediaFolders) {
  test::TempDir dir;
  const fs::path home = dir / "user/Mivora";
  ASSERT_TRUE(MakeHomeFolder(home));
  for (const char* name :
       {"测试视频剪辑", "测试图片剪辑", "片头", "片尾", "黑幕特效", "绿幕特效"}) {
    EXPECT_TRUE(IsFolder(home / name)) << name;
  }
  // The made folder is a program folder the rule accepts.
  EXPECT_EQ(ResolveHomeFolder({"", "", home, "/nowhere"}).rule, HomeRule::ProgramFolder);
  test::WriteFile(dir / "file", "x");
  EXPECT_FALSE(MakeHomeFolder(dir / "file"));
}

}  // namespace
}  // namespace mivora
