// Whole runs with the real encoder on media the test makes: from the home
// folders through the imports and the Start button to finished videos.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <thread>

#include "app/list_import.h"
#include "app/run_control.h"
#include "jobs/item_output.h"
#include "media/video_check.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/memory_window.h"
#include "support/never_stopped.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

// PSNR (dB) between a frame of `a` at `atA` seconds and one of `b` at `atB`.
double FramePsnr(const std::filesystem::path& a, double atA, const std::filesystem::path& b,
                 double atB) {
  CaptureResult run = RunCapture(
      {"ffmpeg", "-hide_banner", "-ss", std::to_string(atA), "-i", a.string(), "-ss",
       std::to_string(atB), "-i", b.string(), "-frames:v", "1", "-lavfi",
       "[0:v]scale=180:320,format=yuv420p[x];[1:v]scale=180:320,format=yuv420p[y];[x][y]psnr", "-f",
       "null", "-"},
      test::NeverStopped());
  std::smatch match;
  std::regex average("average:([0-9.]+|inf)");
  if (!std::regex_search(run.output, match, average)) return 0;
  return match[1] == "inf" ? 100.0 : std::stod(match[1]);
}

bool AnyWorkFile(const std::filesystem::path& home) {
  return std::filesystem::exists(home / "out临时.mp4") ||
         std::filesystem::exists(home / "out临时tx.mp4") ||
         !std::filesystem::is_empty(home / "临时");
}

class Pipeline : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::MakeTone(home / "音乐/a.mp3", 3, 440));
    ASSERT_TRUE(test::MakeTone(home / "音乐/b.mp3", 5, 660));
    ImportAudio(window, home / "音乐");
  }

  void Import() {
    for (ListView list : {ListView::超级列表框1, ListView::超级列表框2, ListView::超级列表框3,
                          ListView::超级列表框4, ListView::超级列表框6, ListView::超级列表框7}) {
      ImportList(window, list, home.path());
    }
  }

  void Run() {
    control.StartRun();
    control.WaitUntilIdle();
  }

  // The log after the run's first line, which tells when it began.
  std::string Log() {
    std::string log =
        window.ControlText(TextBox::编辑框_日志).substr(std::string(kDefaultLogText).size());
    return log.substr(std::min(log.size(), log.find("\r\n") + 2));
  }

  test::TempDir home;
  MemoryWindow window;
  RunControl control{window, home.path(), [](int) {}};
};

TEST_F(Pipeline, VideoModeWithIntroOutroAndBlackScreen) {
  ASSERT_TRUE(test::MakeClip(home / "测试视频剪辑/it's [a],b;c=d 视频.mp4",
                             {.seconds = 7, .width = 360, .height = 640}));
  ASSERT_TRUE(test::MakeClip(home / "测试视频剪辑/plain.mp4",
                             {.seconds = 4, .width = 480, .height = 640, .source = "smptebars"}));
  ASSERT_TRUE(test::MakeClip(home / "片头/intro.mp4",
                             {.seconds = 1, .width = 1080, .height = 1920, .fps = 25}));
  ASSERT_TRUE(test::MakeClip(home / "片尾/outro.mp4",
                             {.seconds = 1, .width = 720, .height = 1280, .audio = false}));
  ASSERT_TRUE(test::MakeClip(
      home / "黑幕特效/k.mp4",
      {.seconds = 2, .width = 720, .height = 1280, .audio = false, .source = "color=c=black"}));
  Import();
  window.SetChecked(Switch::选择框_加片头, true);
  window.SetChecked(Switch::选择框_加片尾, true);
  Run();

  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(window.CellText(ListView::超级列表框1, row, 3), "成功")
        << window.ControlText(TextBox::编辑框_输出返回);
    auto output = home / "生成视频剪辑" / window.CellText(ListView::超级列表框1, row, 2);
    test::MediaInfo info = test::ReadMediaInfo(output);
    EXPECT_EQ(info.width, 720);
    EXPECT_EQ(info.height, 1280);
    EXPECT_EQ(info.videoCodec, "h264");
    EXPECT_NEAR(info.fps, 30, 0.01);
    EXPECT_TRUE(info.hasAudio);
    // Whole seconds of the join: intro + walk + outro.
    EXPECT_NEAR(info.seconds, std::round(info.seconds), 0.15) << output;
    EXPECT_GT(info.seconds, 4);
  }
  std::string log;
  for (int row = 0; row < 2; ++row) {
    const std::string name = "【" + std::to_string(row + 1) + " " +
                             window.CellText(ListView::超级列表框1, row, 2) + "】";
    for (const char* line :
         {"正在剪辑", "视频特效处理。。。", "视频剪切成功。。。", "合并特效视频音频成功。。。"}) {
      log += name + line + "\r\n";
    }
    log += "生成视频：" +
           (home / "生成视频剪辑" / window.CellText(ListView::超级列表框1, row, 2)).string() +
           "\r\n";
  }
  EXPECT_EQ(Log(), log);
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"任务完毕"});
  EXPECT_FALSE(AnyWorkFile(home.path()));
}

TEST_F(Pipeline, TheWalkGoesThroughTheWholeSource) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 5, .width = 360, .height = 640}));
  Import();
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  Run();
  ASSERT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功");
  auto output = home / "生成视频剪辑/a.mp4";
  EXPECT_NEAR(test::ReadMediaInfo(output).seconds, 5, 0.2);
  // Second 3.5 of the video is second 3.5 of the source, not its start.
  double same = FramePsnr(output, 3.5, home / "测试视频剪辑/a.mp4", 3.5);
  double start = FramePsnr(output, 3.5, home / "测试视频剪辑/a.mp4", 0.5);
  EXPECT_GT(same, 25);
  EXPECT_GT(same, start + 5);
}

TEST_F(Pipeline, ImageModeWithAnEmptyGreenScreenList) {
  ASSERT_TRUE(test::MakeImage(home / "测试图片剪辑/a.JPG", 640, 480));
  ASSERT_TRUE(test::MakeImage(home / "测试图片剪辑/b.jpg", 301, 533));
  Import();
  window.SetChecked(Switch::单选框_图片剪辑, true);
  window.SetChecked(Switch::单选框_加绿幕, true);
  window.SetText(TextBox::编辑框_特效代码, "特效7-特效8");
  Run();
  for (const char* name : {"a.mp4", "b.mp4"}) {
    test::MediaInfo info = test::ReadMediaInfo(home / "生成图片剪辑" / name);
    EXPECT_EQ(info.height, 1280) << name;
    EXPECT_NEAR(info.seconds, 15, 0.2) << name;
    EXPECT_TRUE(std::filesystem::exists(home / "图转视频后路径" / name));
  }
  EXPECT_EQ(window.CellText(ListView::超级列表框2, 1, 5), "成功");
  EXPECT_FALSE(AnyWorkFile(home.path()));
}

TEST_F(Pipeline, BrokenFirstRowThenAGoodOne) {
  // An MP4's first box, then no video: it is listed, and fails as unreadable.
  test::WriteFile(home / "测试视频剪辑/a broken.mp4", std::string("\0\0\0\x18"
                                                                  "ftypisom\0\0\x02\0isomiso2",
                                                                  24) +
                                                          "not a video");
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/b.mp4", {.seconds = 2, .width = 360, .height = 640}));
  test::WriteFile(home / "生成视频剪辑/b.mp4", "");
  std::filesystem::create_directories(home / "测试视频剪辑/c folder.mp4");
  Import();
  window.SetText(TextBox::编辑框_特效代码, "特效31-特效33\r\n");
  Run();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "剪切失败：素材无法读取");
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 1, 3), "成功");
  EXPECT_GT(std::filesystem::file_size(home / "生成视频剪辑/b.mp4"), 0u);
  EXPECT_EQ(window.InfoMessages(), std::vector<std::string>{"任务完毕\r\n成功 1 个，失败 1 个"});
  EXPECT_TRUE(window.IsEnabled(Button::按钮_开始检测));
  EXPECT_FALSE(window.IsEnabled(Button::按钮_停止检测));
}

// "跳过已有成品" keeps a finished video only when it is whole: one without
// its index, one cut to half and one of no bytes are made again; the whole
// one stays the very file it was.
TEST_F(Pipeline, SkippingFinishedOutputsRemakesBrokenOnes) {
  for (const char* name : {"a.mp4", "b.mp4", "c.mp4", "d.mp4"}) {
    ASSERT_TRUE(
        test::MakeClip(home / "测试视频剪辑" / name, {.seconds = 3, .width = 360, .height = 640}));
  }
  Import();
  ImportList(window, ListView::超级列表框1, home.path(), true);
  window.SetText(TextBox::编辑框_特效代码, "特效7-特效8");
  Run();  // the first two rows
  const std::filesystem::path out = home / "生成视频剪辑";
  const std::string whole = test::ReadFile(out / "a.mp4");
  std::string noIndex = test::ReadFile(out / "b.mp4");
  noIndex.replace(noIndex.find("moov"), 4, "free");
  std::ofstream(out / "b.mp4", std::ios::binary | std::ios::trunc) << noIndex;
  std::ofstream(out / "c.mp4", std::ios::binary) << whole.substr(0, whole.size() / 2);
  std::ofstream(out / "d.mp4", std::ios::binary);
  struct stat before {};
  ASSERT_EQ(stat((out / "a.mp4").c_str(), &before), 0);

  StartOptions options;
  options.settings.allItems = true;
  options.settings.run.skipExisting = true;
  control.StartRun(options);
  control.WaitUntilIdle();
  const std::string log = Log();
  EXPECT_NE(log.find("已存在，跳过：" + (out / "a.mp4").string()), std::string::npos) << log;
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "已存在，跳过");
  for (int row = 1; row < 4; ++row) {
    const std::filesystem::path file =
        out / (std::string(1, static_cast<char>('a' + row)) + ".mp4");
    EXPECT_NE(log.find("成品不完整，重新生成：" + file.string()), std::string::npos) << file << log;
    EXPECT_EQ(window.CellText(ListView::超级列表框1, row, 3), "成功") << file;
    EXPECT_EQ(CheckFinishedVideo(file, OutputFrame(kBaseCanvas)), VideoFault::kNone) << file;
  }
  struct stat after {};
  ASSERT_EQ(stat((out / "a.mp4").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// Writes one picture of `size` to `file` with `codec`, whatever its name says.
bool MakePicture(const std::filesystem::path& file, const std::string& size,
                 const std::string& codec) {
  std::filesystem::create_directories(file.parent_path());
  return RunCapture(
             {"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=s=64x64:d=1", "-vf",
              "scale=" + size, "-frames:v", "1", "-f", "image2", "-c:v", codec, file.string()},
             test::NeverStopped())
      .output.empty();
}

// Pictures as downloads and phones leave them: read by what they hold, and a
// damaged or tiny one fails at once with its own status.
TEST_F(Pipeline, PicturesAreReadByTheirContent) {
  const struct {
    std::string name;
    std::string status;
  } rounds[][2] = {
      {{"png.jpg", "成功"}, {"webp.jpg", "成功"}},
      {{"cut off.jpg", "【图片转视频】图片损坏"}, {"tiny.jpg", "【图片转视频】图片太小"}}};
  ASSERT_TRUE(MakePicture(home / "测试图片剪辑/png.jpg", "320:240", "png"));
  ASSERT_TRUE(MakePicture(home / "测试图片剪辑/webp.jpg", "240:320", "libwebp"));
  window.SetChecked(Switch::单选框_图片剪辑, true);
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  for (const auto& round : rounds) {
    if (&round != &rounds[0]) {
      std::filesystem::remove_all(home / "测试图片剪辑");
      ASSERT_TRUE(test::MakeImage(home / "测试图片剪辑/cut off.jpg", 320, 240));
      std::filesystem::resize_file(home / "测试图片剪辑/cut off.jpg", 2000);
      ASSERT_TRUE(MakePicture(home / "测试图片剪辑/tiny.jpg", "1:1", "png"));
    }
    Import();
    Run();
    for (int row = 0; row < 2; ++row) {
      EXPECT_EQ(window.CellText(ListView::超级列表框2, row, kNameColumn), round[row].name);
      EXPECT_EQ(window.CellText(ListView::超级列表框2, row, 5), round[row].status)
          << round[row].name << window.ControlText(TextBox::编辑框_输出返回);
    }
  }
  EXPECT_NEAR(test::ReadMediaInfo(home / "生成图片剪辑/webp.mp4").seconds, 15, 0.2);
}

// A camera file (QuickTime with PCM audio, named .mp4) is cut like any other;
// a clip too short for one second says so.
TEST_F(Pipeline, CameraFileAndAClipUnderASecond) {
  std::filesystem::create_directories(home / "测试视频剪辑");
  ASSERT_TRUE(RunCapture({"ffmpeg",
                          "-v",
                          "error",
                          "-y",
                          "-f",
                          "lavfi",
                          "-i",
                          "testsrc2=s=360x640:d=3",
                          "-f",
                          "lavfi",
                          "-i",
                          "sine=d=3",
                          "-c:v",
                          "libx264",
                          "-preset",
                          "ultrafast",
                          "-c:a",
                          "pcm_s16le",
                          "-f",
                          "mov",
                          (home / "测试视频剪辑/a camera.mp4").string()},
                         test::NeverStopped())
                  .output.empty());
  ASSERT_TRUE(test::MakeClip(home / "测试视频剪辑/b short.mp4",
                             {.seconds = 0.6, .width = 360, .height = 640}));
  Import();
  window.SetText(TextBox::编辑框_特效代码, "特效7");
  Run();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功")
      << window.ControlText(TextBox::编辑框_输出返回);
  EXPECT_NEAR(test::ReadMediaInfo(home / "生成视频剪辑/a camera.mp4").seconds, 3, 0.2);
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 1, 3), "剪切失败：素材太短");
}

TEST_F(Pipeline, EffectsThatLoopAudioSucceed) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 8, .width = 720, .height = 1280}));
  Import();
  window.SetText(TextBox::编辑框_特效代码, "特效31-特效33-特效34-特效35");
  Run();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功")
      << window.ControlText(TextBox::编辑框_输出返回);
}

// The state letter of every encoder process working in `home`.
std::string EncoderStates(const std::filesystem::path& home) {
  std::string states;
  for (pid_t pid : test::FindProcesses({"ffmpeg", home.string()})) {
    if (char state = test::ProcessState(pid)) states += state;
  }
  return states;
}

TEST_F(Pipeline, StopAndPauseReachTheEncoder) {
  ASSERT_TRUE(
      test::MakeClip(home / "测试视频剪辑/a.mp4", {.seconds = 12, .width = 720, .height = 1280}));
  Import();
  window.SetText(TextBox::编辑框_特效代码, "特效56-特效56-特效56");
  control.StartRun();
  auto waitFor = [&](auto condition) {
    for (int i = 0; i < 600 && !condition(); ++i) std::this_thread::sleep_for(50ms);
    return condition();
  };
  ASSERT_TRUE(waitFor([&] { return !EncoderStates(home.path()).empty(); }));
  control.PauseRun();
  std::this_thread::sleep_for(200ms);
  std::string paused = EncoderStates(home.path());
  EXPECT_TRUE(paused.empty() || paused.find_first_not_of("T") == std::string::npos) << paused;
  std::string log = window.ControlText(TextBox::编辑框_日志);
  control.ResumeRun();
  ASSERT_TRUE(waitFor([&] {
    return window.ControlText(TextBox::编辑框_日志).find("视频特效处理") != std::string::npos;
  }));
  ASSERT_TRUE(waitFor([&] { return !EncoderStates(home.path()).empty(); }));
  control.StopRun();
  std::string afterStop = window.ControlText(TextBox::编辑框_日志);
  control.WaitUntilIdle();
  EXPECT_TRUE(EncoderStates(home.path()).empty());
  // Nothing of the job follows the stop but the log's word of it.
  EXPECT_EQ(window.ControlText(TextBox::编辑框_日志), afterStop + "已停止：完成 0 个，共 1 个\r\n");
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "已停止");
  EXPECT_FALSE(AnyWorkFile(home.path()));

  window.SetText(TextBox::编辑框_特效代码, "特效7");
  Run();
  EXPECT_EQ(window.CellText(ListView::超级列表框1, 0, 3), "成功");
  EXPECT_NEAR(test::ReadMediaInfo(home / "生成视频剪辑/a.mp4").seconds, 12, 0.2);
}

}  // namespace
}  // namespace mivora
