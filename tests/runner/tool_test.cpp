#include "runner/tool.h"
#include "support/never_stopped.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(ClassifyOutput, TableOrderDecides) {
  struct Case {
    std::string text, outcome;
  } cases[] = {
      {"video:1kB audio:0kB muxing overhead: 0.5%", "输出成功"},
      {"Invalid stream specifier x\nError setting preset", "无效的流说明符"},
      {"Error setting preset\nInvalid stream specifier", "无效的流说明符"},
      {"Error reinitializing filters\nmuxing overhead: 1%", "输出成功"},
      {"Error initializing output stream 0:0", "初始化错误输出流"},
      {"Error splitting the argument list: Option not found", "错误分割参数列表"},
      {"Error when evaluating the expression 'x'", "错误表达式"},
      {"Error reinitializing filters!", "重新初始化过滤器错误"},
      {"Error while processing the decoded data for stream", "错误处理的解码数据流"},
      {"Input link in0:v0 parameters (size 1x1", "错误处理的解码数据流"},
      {"input link in0:v0 parameters (size 1x1", "未知错误"},
      {"", "未知错误"},
  };
  for (const Case& c : cases) EXPECT_EQ(ClassifyOutput(c.text), c.outcome) << c.text;
}

TEST(MachineFaultOf, BlamesTheMachineOnlyForItsOwnFaults) {
  const std::string out = "/home/u/生成视频剪辑/.part.mp4";
  struct Case {
    std::string text;
    ToolOutcome::Kind kind;
    std::string outcome;
  } cases[] = {
      // A full disk is the machine's whatever file the encoder was writing;
      // the encoder may still end with its statistics.
      {"av_interleaved_write_frame(): No space left on device\nmuxing overhead: unknown",
       ToolOutcome::Kind::kDiskFull, "磁盘空间不足：/home/u/生成视频剪辑"},
      {"Error writing trailer of /tmp/x.mp4: Disk quota exceeded", ToolOutcome::Kind::kDiskFull,
       "磁盘空间不足：/home/u/生成视频剪辑"},
      {out + ": Permission denied", ToolOutcome::Kind::kUnwritable,
       "输出目录无法写入：/home/u/生成视频剪辑"},
      {"x\r" + out + ": Read-only file system\r", ToolOutcome::Kind::kUnwritable,
       "输出目录无法写入：/home/u/生成视频剪辑"},
      // An input nobody may read is no fault of the output folder.
      {"/home/u/测试视频剪辑/a.mp4: Permission denied\n" + out, ToolOutcome::Kind::kFailed,
       "未知错误"},
      {"muxing overhead: 1%", ToolOutcome::Kind::kFailed, "未知错误"},
  };
  for (const Case& c : cases) {
    ToolOutcome outcome = MachineFaultOf(c.text, out);
    EXPECT_EQ(outcome.kind, c.kind) << c.text;
    EXPECT_EQ(outcome.text, c.outcome) << c.text;
    EXPECT_EQ(outcome.MachineFault(), c.kind != ToolOutcome::Kind::kFailed) << c.text;
  }
}

TEST(ParseDuration, ReadsWholeSeconds) {
  struct Case {
    std::string text;
    int seconds;
  } cases[] = {
      {"  Duration: 00:00:15.04, start: 0.000000, bitrate: 2000 kb/s", 15},
      {"Duration: 01:02:03.99, start: 0", 3723},
      {"Duration: 00:01:02.50, start: 0", 62},
      {"Duration: 00:00:00.99, start: 0", 0},
      {"Duration: N/A, start: 0", 0},
      {"no duration here", 0},
      {"Duration: 00:00:15.04 and no start", 0},
      {"Duration: 00::5, start", 5},
      {"Duration: 1:2:3:4, start", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDuration(c.text), c.seconds) << c.text;
  EXPECT_DOUBLE_EQ(ParseDurationSeconds("  Duration: 00:00:01.50, start: 0"), 1.5);
  EXPECT_DOUBLE_EQ(ParseDurationSeconds("Duration: 01:02:03.25, start: 0"), 3723.25);
  EXPECT_EQ(ParseDurationSeconds("Duration: 99999999:00:00.00, start: 0"), 0);
  // Every input of a run that opens several, in order; an unknown one reads 0.
  EXPECT_EQ(ParseDurationsSeconds("Input #0\n  Duration: 00:00:01.50, start: 0\nInput #1\n"
                                  "  Duration: N/A, start: 0\nInput #2\n  Duration: 00:00:02.00, "
                                  "start: 0\nAt least one output file must be specified\n"),
            (std::vector<double>{1.5, 0, 2}));
  EXPECT_TRUE(ParseDurationsSeconds("no inputs").empty());
}

TEST(RunJudged, UsesTheEncoderUnderRunDirAndShowsItsOutput) {
  test::TempDir home;
  test::WriteFile(home / "ffmpeg/bin/ffmpeg",
                  "#!/bin/sh\necho \"args: $*\"\necho 'muxing overhead: 1%'\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  std::string console;
  ToolEnv env{home.path(), test::NeverStopped(),
              [&console](const std::string& text) { console = text; }};
  EXPECT_EQ(RunJudged(env, "D:\\ffmpeg\\bin\\ffmpeg.exe -y -i D:\\1.mp4 D:\\out.mp4",
                      {{"D:\\1.mp4", "/a b.mp4"}, {"D:\\out.mp4", "/o.mp4"}})
                .text,
            "输出成功");
  EXPECT_EQ(console,
            "args: -y -i /a b.mp4 /o.mp4\nmuxing overhead: 1%\n");
  EXPECT_EQ(ResolveTool(home.path(), "ffplay"), "ffplay");
}

TEST(RunJudged, AFullDiskIsNeitherSuccessNorDamage) {
  test::TempDir home;
  test::WriteFile(home / "ffmpeg/bin/ffmpeg",
                  "#!/bin/sh\necho 'frame=  117 fps=0 time=00:00:03.90'\n"
                  "echo 'av_interleaved_write_frame(): No space left on device'\n"
                  "echo 'video:786kB muxing overhead: unknown'\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  ToolEnv env{home.path(), test::NeverStopped()};
  ToolOutcome outcome =
      ExpectFrames(RunJudged(env, {std::string(kEncoderPlaceholder), "-y", "/o/a.mp4"}), 10);
  EXPECT_EQ(outcome.kind, ToolOutcome::Kind::kDiskFull);
  EXPECT_EQ(outcome.text, "磁盘空间不足：/o");
  EXPECT_EQ(outcome.lastLines, "av_interleaved_write_frame(): No space left on device");
}

TEST(RunJudged, EmptyCommandIsAFailure) {
  std::string console;
  ToolEnv env{"/nonexistent", test::NeverStopped(),
              [&console](const std::string& text) { console = text; }};
  EXPECT_EQ(RunJudged(env, "", {}).text, "未知错误");
  EXPECT_FALSE(console.empty());
}

TEST(RunJudged, CancelledRunIsNeverASuccess) {
  test::TempDir home;
  test::WriteFile(home / "ffmpeg/bin/ffmpeg",
                  "#!/bin/sh\necho 'muxing overhead: 1%'\nexec sleep 100\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  RunToken token;
  ToolEnv env{home.path(), token};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    token.Cancel();
  });
  EXPECT_EQ(RunJudged(env, "D:\\ffmpeg\\bin\\ffmpeg.exe", {}).text, "未知错误");
  stopper.join();
}

TEST(RunJudged, ReadingPastACutOffInputIsNeverASuccess) {
  test::TempDir home;
  test::WriteFile(home / "ffmpeg/bin/ffmpeg",
                  "#!/bin/sh\necho '[mov,mp4 @ 0x1] stream 0, offset 0x4936ca: partial file'\n"
                  "printf 'frame=  150 time=00:00:05.00\\r\\n'\necho 'muxing overhead: 1%'\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  ToolOutcome outcome =
      RunJudged(ToolEnv{home.path(), test::NeverStopped()}, {std::string(kEncoderPlaceholder)});
  EXPECT_EQ(outcome.kind, ToolOutcome::Kind::kDamaged);
  EXPECT_EQ(outcome.text, "素材损坏");
  EXPECT_EQ(outcome.frames, 150);
  EXPECT_EQ(outcome.lastLines, "[mov,mp4 @ 0x1] stream 0, offset 0x4936ca: partial file");
}

TEST(EncoderProgress, ReadsTheLatestTimeOfWholeStatusLines) {
  struct Piece {
    const char* text;
    bool moved;
    double seconds;
    int frames;
  } pieces[] = {
      {"Input #0, lavfi\n", false, -1, -1},
      {"frame=    0 fps=0.0 time=N/A bitrate=N/A\r", false, -1, 0},
      {"frame=    1 fps=0.0 time=-00:00:00.03 bitrate=N/A\r", false, -1, 1},
      {"frame=   45 fps= 44 q=28.0 size=0kB time=00:00:01.50 bitrate=0.2kbits/s\r", true, 1.5, 45},
      // A line split between two reads counts once it is whole.
      {"frame=   60 fps= 40 time=00:01:0", false, 1.5, 45},
      {"2.25 bitrate=1kbits/s\r", true, 62.25, 60},
      // The final report, with what follows it in the same read.
      {"frame= 1867 fps= 40 time=00:01:02.25 bitrate=1kbits/s\r\nvideo:1kB audio:0kB muxing "
       "overhead: 0.1%\n",
       false, 62.25, 1867},
      {"size=  10kB time=00:01:03.00 bitrate=1kbits/s\r", true, 63, 1867},
  };
  EncoderProgress progress;
  for (const Piece& piece : pieces) {
    SCOPED_TRACE(piece.text);
    EXPECT_EQ(progress.Feed(piece.text), piece.moved);
    EXPECT_DOUBLE_EQ(progress.Seconds(), piece.seconds);
    EXPECT_EQ(progress.Frames(), piece.frames);
  }
}

// A finished encode short of frames is a damaged source; anything else stays
// as it was.
TEST(ExpectFrames, FailsOnlyAFinishedEncodeShortOfFrames) {
  auto finished = [](int frames) {
    ToolOutcome outcome = ToolOutcome::Succeeded();
    outcome.frames = frames;
    return outcome;
  };
  ToolOutcome failed = ToolOutcome::Failed();
  failed.frames = 3;
  const struct {
    ToolOutcome outcome;
    double seconds;
    ToolOutcome::Kind kind;
  } cases[] = {
      {finished(300), 10, ToolOutcome::Kind::kSucceeded},
      {finished(286), 10, ToolOutcome::Kind::kSucceeded},  // under half a second short
      {finished(284), 10, ToolOutcome::Kind::kDamaged},
      {finished(150), 10, ToolOutcome::Kind::kDamaged},
      {finished(0), 2, ToolOutcome::Kind::kDamaged},
      {finished(-1), 10, ToolOutcome::Kind::kSucceeded},  // no count reported
      {failed, 10, ToolOutcome::Kind::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outcome.frames);
    ToolOutcome judged = ExpectFrames(c.outcome, c.seconds);
    EXPECT_EQ(judged.kind, c.kind);
    if (c.kind == ToolOutcome::Kind::kDamaged) {
      EXPECT_EQ(judged.text, "素材损坏");
    }
  }
}

TEST(LastLines, KeepsWhatSaysSomethingWithoutProgressLines) {
  EXPECT_EQ(LastLines("a\nb\r\nframe=  1 time=00:00:01.00\r\n\nError opening x\n  \n", 2),
            "b\nError opening x");
  EXPECT_EQ(LastLines("", 3), "");
  EXPECT_EQ(LastLines("only", 3), "only");
}

}  // namespace
}  // namespace mivora
