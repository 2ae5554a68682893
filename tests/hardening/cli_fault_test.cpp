// The command line when the encoder misbehaves: no encoder anywhere, and an
// encoder that never exits, ended by Ctrl-C.
#include <gtest/gtest.h>
#include <signal.h>

#include "support/process_probe.h"
#include "support/fake_encoder.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

class CliFault : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(test::MakeTone(audio / "a.mp3", 2)); }

  pid_t Start(const std::map<std::string, std::string>& environment) {
    return test::StartProgram({MIVORA_CLI, "run", "--home", home.path().string(), "--audio",
                               audio.path().string(), "--effect-code", "特效7"},
                              environment, logs / "out.txt", logs / "err.txt");
  }

  test::TempDir home;
  test::TempDir audio;
  test::TempDir logs;
};

TEST_F(CliFault, NoEncoderAnywhere) {
  test::WriteFile(home / "测试视频剪辑/a.mp4", "");
  test::TempDir emptyPath;
  pid_t cli = Start({{"PATH", emptyPath.path().string()}});
  ASSERT_GT(cli, 0);
  EXPECT_EQ(test::WaitForExit(cli), 1);
  std::string errors = test::ReadFile(logs / "err.txt");
  EXPECT_NE(errors.find("找不到编码器 ffmpeg：" + (home / "ffmpeg/bin/ffmpeg").string()),
            std::string::npos)
      << errors;
  // No item was started, so none is reported.
  EXPECT_EQ(errors.find("a.mp4"), std::string::npos) << errors;
  EXPECT_EQ(test::ReadFile(logs / "out.txt"), "");
}

TEST_F(CliFault, CtrlCEndsAnEncoderThatNeverExits) {
  test::InstallFakeEncoder(home.path());
  test::WriteFile(home / "测试视频剪辑/a.mp4", "");
  // Whichever engine runs, its first encode (the probe aside) never ends.
  pid_t cli = Start({{"MIVORA_FAKE_SLEEP_ON", home.path().string()}});
  ASSERT_GT(cli, 0);
  std::vector<pid_t> stuck;
  bool seen = test::WaitUntil(
      [&] {
        stuck = test::FindProcesses({(home / "ffmpeg/bin/ffmpeg").string()});
        return !stuck.empty();
      },
      60s);
  if (!seen) kill(cli, SIGKILL);
  ASSERT_TRUE(seen) << test::ReadFile(logs / "err.txt");
  std::vector<pid_t> sleepers = test::ChildProcesses(stuck[0]);

  kill(cli, SIGINT);
  EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessGone(stuck[0]); }, 5s));
  for (pid_t sleeper : sleepers)
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessGone(sleeper); }, 5s));
  EXPECT_EQ(test::WaitForExit(cli), 128 + SIGINT);
  EXPECT_TRUE(test::FindProcesses({home.path().string()}).empty());
  EXPECT_FALSE(std::filesystem::exists(home / ".mivora-work"));
  EXPECT_TRUE(std::filesystem::is_empty(home / "临时"));
}

}  // namespace
}  // namespace mivora
