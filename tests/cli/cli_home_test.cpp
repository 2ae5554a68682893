// The home folder mivora-cli works in when --home is not given, and its
// version, driven through the built program. No encoder runs: the runs stop
// at the empty audio folder, after the home folder has been chosen.
#include <gtest/gtest.h>

#include <string>

#include "cli_process.h"
#include "media/work_folders.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

TEST(CliHome, WithoutHomeOptionFollowsTheWindowsRule) {
  test::TempDir dir;
  const fs::path user = dir / "user";
  const fs::path config = dir / "config";
  const fs::path audio = dir / "audio";
  const fs::path env = dir / "env";
  const fs::path saved = dir / "saved";
  for (const fs::path& folder : {user, audio, env, saved}) fs::create_directories(folder);
  const std::string settings = "[paths]\nhome=" + saved.string() + "\n";

  struct Case {
    std::string environment;
    std::string settingsText;
    fs::path home;
  };
  const Case cases[] = {
      {env.string(), settings, env},
      {"", settings, saved},
      // The program's own folder (a build tree) holds no media folders.
      {"", "", user / "Mivora"},
  };
  for (const Case& c : cases) {
    test::WriteFile(config / "Mivora/mivora.conf", c.settingsText);
    test::CliResult result = RunCli({"run", "--audio", audio.string()},
                                    {"MIVORA_HOME=" + c.environment, "HOME=" + user.string(),
                                     "XDG_CONFIG_HOME=" + config.string()});
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find("主目录：" + c.home.string() + "\n"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("音频没有导入"), std::string::npos) << result.err;
  }
  // ~/Mivora was made with the folders the window imports from.
  for (const char* name : {kTestVideoFolder, kTestImageFolder, kIntroFolder, kOutroFolder,
                           kBlackScreenFolder, kGreenScreenFolder}) {
    EXPECT_TRUE(IsFolder(user / "Mivora" / name)) << name;
  }
}

TEST(CliHome, VersionNamesTheProjectVersion) {
  test::CliResult result = RunCli({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.out.starts_with("Mivora " MIVORA_PROJECT_VERSION)) << result.out;
  EXPECT_EQ(result.out.back(), '\n');
}

}  // namespace
}  // namespace mivora
