// The jobs against a stand-in encoder: exact command lines, log lines,
// statuses and files, without the cost of real encodes.
#include "jobs/clip_jobs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <thread>

#include "job_harness.h"
#include "jobs/gif_preview.h"
#include "support/fake_encoder.h"
#include "support/media_maker.h"
#include "support/process_probe.h"

namespace mivora {
namespace {

using test::FakeEncoderCalls;
using test::JoinArgs;

class ClipJobs : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("MIVORA_FAKE_FAIL_ON");
    unsetenv("MIVORA_FAKE_SLEEP_ON");
    unsetenv("MIVORA_FAKE_SLOW_ON");
    unsetenv("MIVORA_FAKE_SIZE");
    setenv("MIVORA_FAKE_DURATION", "00:00:20.00", 1);
    test::InstallFakeEncoder(h.home.path());
    h.AddClip(test::Clips::kAudios, "/music/a.mp3");
    h.AddClip(test::Clips::kBlackScreens, "/black/k.mp4");
  }

  std::string Home() { return h.home.path().string(); }
  std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    // The clip files' checks at a run's start are left out; the commands
    // of the item follow them.
    for (const auto& call : FakeEncoderCalls(h.home.path())) {
      bool clipCheck = call.size() == 2 && call[0] == "-i" &&
                       (call[1].starts_with("/music/") || call[1].starts_with("/intro/") ||
                        call[1].starts_with("/outro/") || call[1].starts_with("/black/"));
      if (!clipCheck) calls.push_back(JoinArgs(call));
    }
    return calls;
  }

  test::JobHarness h;
};

TEST_F(ClipJobs, VideoItemRunsTheDescribedCommands) {
  h.AddSource("/src/my clip.mp4");
  const JobEnd end = h.VideoClipJob();

  const std::string home = Home();
  const std::string tail =
      " -aspect 9:16 -s 720x1280 -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 "
      "-b:v 3000k ";
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 1u + 7 + 6 + 4 + 1);
  EXPECT_EQ(calls[0], "-i /src/my clip.mp4");
  EXPECT_EQ(calls[1], "-y -ss 0:0:0.0 -i /src/my clip.mp4 -c copy -t 0:0:2.0" + tail + home +
                          "/临时/out1.mp4");
  // The effect renders the segment just cut, into a file that replaces it.
  EXPECT_NE(calls[2].find("-i " + home + "/临时/out1.mp4"), std::string::npos) << calls[2];
  EXPECT_NE(calls[2].find(home + "/临时/out1-fx.mp4"), std::string::npos);
  EXPECT_EQ(calls[3], "-y -ss 0:0:2.0 -i /src/my clip.mp4 -c copy -t 0:0:1.0" + tail + home +
                          "/临时/out2.mp4");
  EXPECT_EQ(calls[13], "-y -ss 0:0:14.0 -i /src/my clip.mp4 -c copy -t 0:0:6.0" + tail + home +
                           "/临时/out7.mp4");
  std::string inputs;
  for (int k = 1; k <= 7; ++k) inputs += "-i " + home + "/临时/out" + std::to_string(k) + ".mp4 ";
  // The pictures' lengths of the join's inputs are listed one by one, up to
  // the first that lists none.
  EXPECT_EQ(calls[14],
            "-v error -nostats -i " + home + "/临时/out1.mp4 -map 0:v:0 -c copy -f framecrc -");
  EXPECT_EQ(calls[15].substr(0, 3 + inputs.size()), "-y " + inputs);
  EXPECT_NE(calls[15].find("concat=n=7:v=1 [v] -map [v]" + tail + home + "/out临时.mp4"),
            std::string::npos)
      << calls[15];
  EXPECT_EQ(calls[16], "-y -i " + home +
                           "/out临时.mp4 -i /black/k.mp4 -filter_complex "
                           "[1:v]scale=720x1280,colorkey=black:0.35:0.25[ckout];[0:v][ckout]"
                           "overlay=x=0[out] -map [out]" +
                           tail + home + "/out临时tx.mp4");
  EXPECT_EQ(calls[17], "-i " + home + "/out临时.mp4");
  // The part file carries the run's name, so a later run can tell it from
  // one of a run still at work.
  const std::string audioStep =
      "-an -i " + home + "/out临时tx.mp4 -stream_loop -1 -i /music/a.mp3 -c:v copy -t 20 -y " +
      home + "/生成视频剪辑/.mivora-run";
  EXPECT_EQ(calls[18].substr(0, audioStep.size()), audioStep) << calls[18];
  EXPECT_TRUE(calls[18].ends_with("-my clip.mp4.part.mp4")) << calls[18];

  EXPECT_EQ(h.Log(), "视频特效处理。。。\r\n视频剪切成功。。。\r\n合并特效视频音频成功。。。\r\n");
  EXPECT_EQ(h.Status(1), "成功");
  EXPECT_EQ(h.sink.Outcome(1)->output, h.home / "生成视频剪辑/my clip.mp4");
  EXPECT_TRUE(std::filesystem::exists(h.home / "生成视频剪辑/my clip.mp4"));
  EXPECT_FALSE(std::filesystem::exists(h.home / "out临时.mp4"));
  EXPECT_FALSE(std::filesystem::exists(h.home / "out临时tx.mp4"));
  EXPECT_TRUE(std::filesystem::is_empty(h.home / "临时"));
  EXPECT_EQ(end.kind, JobEnd::Kind::kFinished);
  EXPECT_EQ(end.message, "任务完毕");
  EXPECT_EQ(h.stopCalls, 1);
}

TEST_F(ClipJobs, AFailedRowDoesNotStopTheNext) {
  setenv("MIVORA_FAKE_FAIL_ON", "/src/bad", 1);
  h.AddSource("/src/bad.mp4");
  h.AddSource("/src/good.mp4");
  h.AddSource("/src/third.mp4");
  const JobEnd end = h.VideoClipJob();
  EXPECT_EQ(h.Status(1), "剪切失败");
  EXPECT_EQ(h.Status(2), "成功");
  EXPECT_EQ(h.Status(3), "");
  EXPECT_EQ(h.Log(),
            "视频特效处理。。。\r\n剪切失败。。。\r\n"
            "视频特效处理。。。\r\n视频剪切成功。。。\r\n合并特效视频音频成功。。。\r\n");
  EXPECT_EQ(h.sink.Outcome(2)->output, h.home / "生成视频剪辑/good.mp4");
  EXPECT_EQ(end.message, "任务完毕");
  EXPECT_EQ(h.sink.Ended(), 2);
  EXPECT_EQ(h.sink.Failed(), 1);
  EXPECT_EQ(h.stopCalls, 1);
}

TEST_F(ClipJobs, EmptyListsAreReportedWithoutAnyRun) {
  const JobEnd video = h.VideoClipJob();
  const JobEnd image = h.ImageClipJob();
  EXPECT_EQ(video.kind, JobEnd::Kind::kRefused);
  EXPECT_EQ(image.kind, JobEnd::Kind::kRefused);
  EXPECT_EQ(video.message, "视频剪辑没有导入");
  EXPECT_EQ(image.message, "图片剪辑没有导入");
  EXPECT_EQ(video.logLine + image.logLine, "");
  EXPECT_EQ(h.Log(), "");
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(h.stopCalls, 2);
}

TEST_F(ClipJobs, UnknownEffectFailsInsideALineButNotAtItsEnd) {
  h.effectLines = {"特效1-特效99-特效2"};
  h.AddSource("/src/a.mp4");
  h.ProcessVideoItem(1);
  EXPECT_EQ(h.Status(1), "剪切失败");
  h.effectLines = {"特效1-特效2-特效99"};
  h.ProcessVideoItem(1);
  EXPECT_EQ(h.Status(1), "成功");
}

TEST_F(ClipJobs, EmptyEffectLinesAreNotPickedWhileOthersExist) {
  h.AddSource("/src/a.mp4");
  h.effectLines = {"", "特效1", ""};
  for (int i = 0; i < 4; ++i) {
    h.ProcessVideoItem(1);
    EXPECT_EQ(h.Status(1), "成功");
  }
  h.effectLines = {"", ""};
  h.ProcessVideoItem(1);
  EXPECT_EQ(h.Status(1), "剪切失败");
}

TEST_F(ClipJobs, FailuresOfTheAssemblyNameTheirStep) {
  h.AddSource("/src/a.mp4");
  test::WriteFile(h.home / "生成视频剪辑/a.mp4", "earlier video");
  struct Case {
    const char* failOn;
    const char* status;
    const char* logLine;
  } cases[] = {
      {"concat=", "【合并生成视频-----输出失败】重新初始化过滤器错误",
       "合并生成视频-----输出失败\r\n"},
      {"colorkey", "【黑幕特效-----输出失败】重新初始化过滤器错误", "黑幕特效-----输出失败\r\n"},
      {"stream_loop", "【添加音频-----输出失败】重新初始化过滤器错误", "添加音频-----输出失败\r\n"},
  };
  for (const Case& c : cases) {
    setenv("MIVORA_FAKE_FAIL_ON", c.failOn, 1);
    std::size_t before = h.Log().size();
    h.ProcessVideoItem(1);
    EXPECT_EQ(h.Status(1), c.status);
    EXPECT_EQ(h.Log().substr(before), std::string("视频特效处理。。。\r\n视频剪切成功。。。\r\n") +
                                          c.logLine + "合并特效视频音频----【失败】\r\n");
    // A failed item never touches a finished video of the same name, and leaves no work file.
    EXPECT_EQ(test::ReadFile(h.home / "生成视频剪辑/a.mp4"), "earlier video");
    EXPECT_FALSE(std::filesystem::exists(h.home / "out临时.mp4"));
    EXPECT_FALSE(std::filesystem::exists(h.home / "out临时tx.mp4"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(h.home / "生成视频剪辑"), {}), 1);
  }
}

TEST_F(ClipJobs, GreenScreenWithAnEmptyListSkipsTheOverlay) {
  h.choices.blackScreen = false;
  h.choices.intro = true;  // but the intro list is empty
  h.effectLines = {"特效1"};
  setenv("MIVORA_FAKE_DURATION", "00:00:02.00", 1);
  h.AddSource("/src/a.mp4");
  h.ProcessVideoItem(1);
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_NE(calls[4].find("concat=n=1:v=1"), std::string::npos);
  EXPECT_EQ(calls[6].find("-an -i " + Home() + "/out临时.mp4 -stream_loop"), 0u) << calls[6];
  EXPECT_EQ(h.Status(1), "成功");
}

TEST_F(ClipJobs, IntroAndOutroFrameTheSegments) {
  h.choices.intro = true;
  h.choices.outro = true;
  h.AddClip(test::Clips::kIntros, "/intro/i.mp4");
  h.AddClip(test::Clips::kOutros, "/outro/o.mp4");
  h.effectLines = {"特效1"};
  setenv("MIVORA_FAKE_DURATION", "00:00:03.00", 1);
  h.AddSource("/src/a.mp4");
  h.ProcessVideoItem(1);
  std::string concat = Calls()[5];
  std::string home = Home();
  EXPECT_EQ(concat.find("-y -i /intro/i.mp4 -i " + home + "/临时/out1.mp4 -i " + home +
                        "/临时/out2.mp4 -i /outro/o.mp4 -filter_complex"),
            0u)
      << concat;
  EXPECT_NE(concat.find("concat=n=4:v=1 [v]"), std::string::npos);
}

TEST_F(ClipJobs, ImageItemBecomesAVideoFirst) {
  h.AddSource("/img/a.JPG");
  setenv("MIVORA_FAKE_DURATION", "00:00:15.00", 1);
  h.ImageClipJob();
  std::string video = Home() + "/图转视频后路径/a.mp4";
  ASSERT_TRUE(h.sink.Started(1).has_value());
  EXPECT_EQ(h.sink.Started(1)->imageVideo, video);
  EXPECT_EQ(h.sink.Started(1)->outputName, "a.mp4");
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(calls[0], "-hide_banner -i /img/a.JPG");
  // Read by content (no forced format), decoded and scaled once, then held;
  // written as the run's part file beside its name, which it takes when whole.
  const std::string encode =
      "-y -err_detect explode -xerror -i /img/a.JPG -vcodec libx264 -r 30 -vf "
      "pad=ceil(iw/2)*2:ceil(ih/2)*2,scale=720:1280,loop=loop=-1:size=1 -s 720x1280 -aspect "
      "9:16 -t 15 -b:v 3000k " +
      Home() + "/图转视频后路径/.mivora-run";
  EXPECT_EQ(calls[1].substr(0, encode.size()), encode) << calls[1];
  EXPECT_TRUE(calls[1].ends_with("-a.mp4.part.mp4")) << calls[1];
  EXPECT_EQ(calls[2], "-i " + video);
  EXPECT_TRUE(std::filesystem::exists(video));
  EXPECT_EQ(h.Status(1), "成功");
  EXPECT_TRUE(std::filesystem::exists(h.home / "生成图片剪辑/a.mp4"));
  EXPECT_EQ(ImageVideoName("x.jpg.jpg"), "x.mp4.mp4");
  EXPECT_EQ(ImageVideoName("x.png"), "x.png");
}

TEST_F(ClipJobs, FailedImageConversionIsOnlyAStatus) {
  setenv("MIVORA_FAKE_FAIL_ON", "/img/bad", 1);
  h.AddSource("/img/bad.jpg");
  h.AddSource("/img/good.jpg");
  h.ImageClipJob();
  EXPECT_EQ(h.Status(1), "【图片转视频】重新初始化过滤器错误");
  EXPECT_EQ(h.sink.Outcome(1)->failedStep, "图片转视频");
  EXPECT_EQ(h.Status(2), "成功");
  EXPECT_EQ(h.Log(), "视频特效处理。。。\r\n视频剪切成功。。。\r\n合并特效视频音频成功。。。\r\n");
  EXPECT_EQ(h.sink.Outcome(2)->output, h.home / "生成图片剪辑/good.mp4");
}

// Sources the encoder cannot use and encoders that hang or crawl, in both
// engines: a failing item says why, and the item after a hung one is done.
TEST_F(ClipJobs, TroubledItemsSayWhy) {
  struct Case {
    const char* name;
    const char* variable;  // set for the run
    const char* value;
    bool image;
    std::string status;      // of the first item
    std::string nextStatus;  // of the second; empty: not checked
    bool present = true;     // false: the first source is gone since it was listed
  };
  const Case cases[] = {
      {"no picture", "MIVORA_FAKE_SIZE", "", false, "剪切失败：素材无法读取", ""},
      {"under a second", "MIVORA_FAKE_DURATION", "00:00:00.60", false, "剪切失败：素材太短", ""},
      {"hung encoder", "MIVORA_FAKE_SLEEP_ON", "/bad.", false, "剪切失败：编码器无响应", "成功"},
      {"slow encoder", "MIVORA_FAKE_SLOW_ON", ".mivora-", false, "成功", "成功"},
      {"unreadable image", "MIVORA_FAKE_SIZE", "", true, "【图片转视频】图片无法读取", ""},
      {"deleted since listed", "MIVORA_FAKE_SIZE", "", false,
       "剪切失败：素材不存在（导入后被删除或移走）", "", false},
      {"image deleted since listed", "MIVORA_FAKE_SIZE", "", true,
       "【图片转视频】图片不存在（导入后被删除或移走）", "", false},
      {"1x1 image", "MIVORA_FAKE_SIZE", "1x1", true, "【图片转视频】图片太小", ""},
      {"hung image encoder", "MIVORA_FAKE_SLEEP_ON", "/bad.", true, "【图片转视频】编码器无响应",
       "成功"},
  };
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "45", 1);
  for (const char* engine : {"steps", "onepass"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(engine) + ": " + c.name);
      test::JobHarness run;
      test::InstallFakeEncoder(run.home.path());
      run.engineName = engine;
      run.stallTimeoutMs = 800;
      run.AddClip(test::Clips::kAudios, "/music/a.mp3");
      // The troubled source is there: only a missing one is told as gone.
      const std::filesystem::path bad = run.home / (c.image ? "img/bad.jpg" : "src/bad.mp4");
      if (c.present) test::WriteFile(bad, "x");
      run.AddSource(bad.string());
      run.AddSource(c.image ? "/img/good.jpg" : "/src/good.mp4");
      setenv(c.variable, c.value, 1);
      run.Job(!c.image);
      unsetenv(c.variable);
      setenv("MIVORA_FAKE_DURATION", "00:00:20.00", 1);
      EXPECT_EQ(run.Status(1), c.status);
      if (!c.nextStatus.empty()) {
        EXPECT_EQ(run.Status(2), c.nextStatus);
      }
    }
  }
  unsetenv("MIVORA_FAKE_SLEEP_SECONDS");
}

// A source deleted or written over while its item runs: the item fails as
// unreadable instead of making a video of something else, and the next goes on.
TEST_F(ClipJobs, ASourceChangedWhileItRunsFailsOnlyItsItem) {
  const std::filesystem::path changed = h.home / "src/a.mp4";
  const std::filesystem::path kept = h.home / "src/b.mp4";
  for (const char* engine : {"steps", "onepass"}) {
    for (const char* change : {"MIVORA_FAKE_REMOVE", "MIVORA_FAKE_APPEND_TO"}) {
      SCOPED_TRACE(std::string(engine) + " " + change);
      test::JobHarness run;
      test::InstallFakeEncoder(run.home.path());
      run.engineName = engine;
      test::WriteFile(changed, "a");
      test::WriteFile(kept, "b");
      run.AddClip(test::Clips::kAudios, "/music/a.mp3");
      run.AddSource(changed.string());
      run.AddSource(kept.string());
      setenv(change, changed.c_str(), 1);
      run.VideoClipJob();
      unsetenv(change);
      EXPECT_EQ(run.Status(1), "剪切失败：素材无法读取");
      EXPECT_EQ(run.Status(2), "成功");
      EXPECT_FALSE(std::filesystem::exists(run.home / "生成视频剪辑/a.mp4"));
    }
  }
}

// Clip files the encoder cannot read are named once at the start and never
// picked; with no readable audio left every item fails at once, naming it.
TEST_F(ClipJobs, UnreadableClipsAreLeftOutOfThePicks) {
  struct Case {
    const char* name;
    std::vector<std::string> audios;
    std::string log;
    std::string status;
  };
  const std::string introLine = "无法读取，不参与选择：/intro/bad.mp4\r\n";
  const Case cases[] = {
      {"one good audio left",
       {"/music/bad.mp3", "/music/a.mp3"},
       introLine + "无法读取，不参与选择：/music/bad.mp3\r\n",
       "成功"},
      {"no audio left",
       {"/music/bad.mp3"},
       introLine + "无法读取，不参与选择：/music/bad.mp3\r\n",
       "音频无法读取：bad.mp3"},
  };
  setenv("MIVORA_FAKE_UNREADABLE", "/bad.", 1);
  for (const char* engine : {"steps", "onepass"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(engine) + ": " + c.name);
      test::JobHarness run;
      test::InstallFakeEncoder(run.home.path());
      run.engineName = engine;
      for (const std::string& audio : c.audios) run.AddClip(test::Clips::kAudios, audio);
      run.AddClip(test::Clips::kIntros, "/intro/bad.mp4");
      run.AddClip(test::Clips::kIntros, "/intro/i.mp4");
      run.choices.intro = true;
      run.AddSource("/src/a.mp4");
      run.AddSource("/src/b.mp4");
      run.Job(true);
      EXPECT_EQ(run.Log().substr(0, c.log.size()), c.log);
      for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(run.Status(row + 1), c.status);
      }
      for (const auto& call : FakeEncoderCalls(run.home.path())) {
        if (call.size() > 2) {
          EXPECT_EQ(JoinArgs(call).find("/bad."), std::string::npos);
        }
      }
    }
  }
  unsetenv("MIVORA_FAKE_UNREADABLE");
}

TEST_F(ClipJobs, StopEndsTheEncoderAndSilencesTheJob) {
  setenv("MIVORA_FAKE_SLEEP_ON", "-fx.mp4", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1004", 1);
  h.AddSource("/src/a.mp4");
  h.AddSource("/src/b.mp4");
  bool stoppedCleanly = false;
  std::thread worker([&] { stoppedCleanly = h.VideoClipJob().kind == JobEnd::Kind::kStopped; });
  // This run's own encoder, not one some other run left behind.
  const std::string encoder = (h.home / "ffmpeg/bin/ffmpeg").string();
  auto rendering = [&] { return !test::FindProcesses({encoder, "-fx.mp4"}).empty(); };
  while (!rendering()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::string logAtStop = h.Log();
  h.token.Cancel();
  worker.join();
  EXPECT_TRUE(stoppedCleanly);
  // A killed process needs a moment to be gone from /proc.
  EXPECT_TRUE(test::WaitUntil([&] { return !rendering(); }, std::chrono::seconds(3)));
  // Nothing is told after the stop but that the item stopped; the item never
  // started is never reported.
  EXPECT_EQ(h.Log(), logAtStop);
  ASSERT_TRUE(h.sink.Outcome(1).has_value());
  EXPECT_EQ(h.sink.Outcome(1)->kind, ItemOutcome::Kind::kStopped);
  EXPECT_FALSE(h.sink.Outcome(2).has_value());
  EXPECT_TRUE(std::filesystem::is_empty(h.home / "临时"));
}

TEST_F(ClipJobs, StopDuringTheAudioStepLeavesNoHalfWrittenVideo) {
  setenv("MIVORA_FAKE_SLEEP_ON", "stream_loop", 1);
  setenv("MIVORA_FAKE_SLEEP_SECONDS", "1006", 1);
  h.effectLines = {"特效1"};
  h.AddSource("/src/a.mp4");
  std::thread worker([&] { h.ProcessVideoItem(1); });
  // Stopped and joined whatever a check below says, so a failed one cannot
  // leave the worker running.
  struct StopAndJoin {
    RunToken& token;
    std::thread& worker;
    ~StopAndJoin() {
      token.Cancel();
      if (worker.joinable()) worker.join();
    }
  } stopAndJoin{h.token, worker};
  // This run's own audio step, once it has opened its output.
  const std::string encoder = (h.home / "ffmpeg/bin/ffmpeg").string();
  std::vector<std::string> parts;
  ASSERT_TRUE(test::WaitUntil(
      [&] {
        if (test::FindProcesses({encoder, "stream_loop"}).empty()) return false;
        parts.clear();
        for (const auto& entry : std::filesystem::directory_iterator(h.home / "生成视频剪辑"))
          parts.push_back(entry.path().filename().string());
        return !parts.empty();
      },
      std::chrono::seconds(60)));
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_TRUE(parts[0].starts_with(".mivora-run") && parts[0].ends_with("-a.mp4.part.mp4"))
      << parts[0];
  h.token.Cancel();
  worker.join();
  EXPECT_TRUE(std::filesystem::is_empty(h.home / "生成视频剪辑"));
  EXPECT_FALSE(std::filesystem::exists(h.home / "out临时.mp4"));
}

TEST_F(ClipJobs, SegmentsJoinInTheOrderOfTheirNumbers) {
  for (int k : {1, 10, 2, 12, 11, 3})
    test::WriteFile(h.home / ("临时/out" + std::to_string(k) + ".mp4"), "");
  test::WriteFile(h.home / "临时/note.txt", "");
  std::vector<std::string> names;
  for (const auto& p : CollectSegments(h.home / "临时")) names.push_back(p.filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"out1.mp4", "out2.mp4", "out3.mp4", "out10.mp4",
                                             "out11.mp4", "out12.mp4"}));
}

TEST_F(ClipJobs, GifPreviewConvertsEffects65To70) {
  MakeGifPreviews(h.Tools());
  std::vector<std::string> calls = Calls();
  ASSERT_EQ(calls.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    std::string n = std::to_string(65 + i);
    EXPECT_EQ(
        calls[i],
        "-y -i " + Home() + "/aa/特效" + n +
            ".mp4 -loop 0 -vf "
            "fps=5,crop=iw:ih:0:0,split[s1][s2];[s1]palettegen[p];[s2][p]paletteuse -s 200x200 " +
            Home() + "/bb/特效" + n + ".gif");
  }
}

}  // namespace
}  // namespace mivora
