// Whole window runs when the encoder misbehaves: killed from outside in the
// middle of a render, an output folder that cannot be written, no encoder at
// all, and an encoder that never exits.
#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <thread>

#include "app/list_import.h"
#include "app/run_control.h"
#include "runner/tool.h"
#include "support/fake_encoder.h"
#include "support/media_maker.h"
#include "support/memory_window.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class EncoderFault : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::MakeTone(home / "音乐/a.mp3", 3));
    ImportAudio(window, home / "音乐");
  }

  void ImportVideos() { ImportList(window, ListView::超级列表框1, home.path()); }

  std::string Status(int row) { return window.CellText(ListView::超级列表框1, row, 3); }
  std::string Log() { return window.ControlText(TextBox::编辑框_日志); }

  bool AnyWorkFile() {
    return std::filesystem::exists(home / "out临时.mp4") ||
           std::filesystem::exists(home / "out临时tx.mp4") ||
           (std::filesystem::is_directory(home / "临时") &&
            !std::filesystem::is_empty(home / "临时"));
  }

  // A run of the step engine, whose effect renders ("-fx.mp4") the faults
  // below catch in the middle.
  static StartOptions StepByStep() {
    StartOptions options;
    options.settings.run.engine = EngineKind::kSteps;
    return options;
  }

  test::TempDir home;
  MemoryWindow window;
  RunControl control{window, home.path(), [](int) {}};
};

TEST_F(EncoderFault, KilledFromOutsideInTheMiddleOfARender) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 5, .width = 720, .height = 1280}));
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/b.mp4", {.seconds = 2, .width = 360, .height = 640}));
  ImportVideos();
  window.SetText(TextBox::编辑框_特效代码, "特效56-特效56");

  // The first effect render of the run is killed the moment it is seen.
  std::atomic<bool> killed{false};
  std::thread killer([&] {
    test::WaitUntil(
        [&] {
          for (pid_t pid : test::FindProcesses({home.path().string(), "-fx.mp4"})) {
            killed = kill(pid, SIGKILL) == 0;
          }
          return killed.load();
        },
        120s);
  });
  control.StartRun(StepByStep());
  control.WaitUntilIdle();
  killer.join();

  ASSERT_TRUE(killed);
  EXPECT_EQ(Status(0), "剪切失败");
  EXPECT_EQ(Status(1), "成功") << window.ControlText(TextBox::编辑框_输出返回);
  EXPECT_NE(Log().find("剪切失败。。。"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(home / "生成视频剪辑/a.mp4"));
  EXPECT_TRUE(std::filesystem::exists(home / "生成视频剪辑/b.mp4"));
  EXPECT_FALSE(AnyWorkFile());
  EXPECT_TRUE(test::FindProcesses({home.path().string()}).empty());
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"任务完毕\r\n成功 1 个，失败 1 个"});
}

// Permission bits do not stop root, under which CI may run, so the output
// folder is made unwritable for everyone: a regular file stands where the
// folder should be, and every file made inside it fails.
TEST_F(EncoderFault, AnOutputFolderThatCannotBeWritten) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 2, .width = 360, .height = 640}));
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/b.mp4", {.seconds = 2, .width = 360, .height = 640}));
  test::WriteFile(home / "生成视频剪辑", "in the way");
  auto sourceSize = std::filesystem::file_size(home / "测试视频剪辑/a.mp4");
  ImportVideos();
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  control.StartRun();
  control.WaitUntilIdle();

  // Found before any encoder runs: no row is touched, nothing rendered in vain.
  const std::string refusal = "输出目录无法写入：" + (home / "生成视频剪辑").string();
  for (int row = 0; row < 2; ++row) EXPECT_EQ(Status(row), "") << row;
  EXPECT_NE(Log().find(refusal), std::string::npos) << Log();
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{refusal});
  EXPECT_EQ(test::ReadFile(home / "生成视频剪辑"), "in the way");
  EXPECT_EQ(std::filesystem::file_size(home / "测试视频剪辑/a.mp4"), sourceSize);
  EXPECT_FALSE(AnyWorkFile());
}

TEST_F(EncoderFault, NoEncoderAnywhere) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 1, .width = 64, .height = 64}));
  ImportVideos();
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  test::TempDir emptyPath;
  ScopedEnv path("PATH", emptyPath.path().string());
  control.StartRun();
  control.WaitUntilIdle();

  std::string expected = "找不到编码器 ffmpeg：" + (home / "ffmpeg/bin/ffmpeg").string() +
                         " 不存在，PATH 中也没有 ffmpeg";
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{expected});
  EXPECT_NE(Log().find(expected + "\r\n"), std::string::npos) << Log();
  EXPECT_EQ(Log().find("正在剪辑"), std::string::npos) << Log();
  EXPECT_EQ(Status(0), "");
  EXPECT_TRUE(window.IsEnabled(Button::按钮_开始检测));
}

TEST_F(EncoderFault, EncoderFoundInTheHomeWhenThePathHasNone) {
  test::InstallFakeEncoder(home.path());
  test::TempDir emptyPath;
  ScopedEnv path("PATH", emptyPath.path().string());
  EXPECT_EQ(MissingEncoderMessage(home.path()), "");
}

TEST_F(EncoderFault, StopEndsAnEncoderThatNeverExits) {
  test::InstallFakeEncoder(home.path());
  ScopedEnv sleepOn("MIVORA_FAKE_SLEEP_ON", "-fx.mp4");
  test::WriteFakeMedia(home / "测试视频剪辑/a.mp4");
  ImportVideos();
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  control.StartRun(StepByStep());
  std::vector<pid_t> stuck;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        stuck = test::FindProcesses({home.path().string(), "-fx.mp4"});
        return !stuck.empty();
      },
      60s));
  // The stand-in's own child, which sleeps, must go with it.
  std::vector<pid_t> sleepers = test::ChildProcesses(stuck[0]);
  control.StopRun();
  EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessGone(stuck[0]); }, 5s));
  for (pid_t sleeper : sleepers)
    EXPECT_TRUE(test::WaitUntil([&] { return test::ProcessGone(sleeper); }, 5s));
  control.WaitUntilIdle();
  EXPECT_FALSE(AnyWorkFile());
}

}  // namespace
}  // namespace mivora
