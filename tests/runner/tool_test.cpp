#include "runner/tool.h"
#include "support/never_stopped.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/memory_window.h"
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
}

TEST(RunJudged, UsesTheEncoderUnderRunDirAndShowsItsOutput) {
  test::TempDir home;
  test::WriteFile(home / "ffmpeg/bin/ffmpeg",
                  "#!/bin/sh\necho \"args: $*\"\necho 'muxing overhead: 1%'\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  MemoryWindow window;
  ToolEnv env{home.path(), test::NeverStopped(),
              [&window](const std::string& text) { window.SetOutputText(text); }};
  EXPECT_EQ(RunJudged(env, "D:\\ffmpeg\\bin\\ffmpeg.exe -y -i D:\\1.mp4 D:\\out.mp4",
                      {{"D:\\1.mp4", "/a b.mp4"}, {"D:\\out.mp4", "/o.mp4"}})
                .text,
            "输出成功");
  EXPECT_EQ(window.ControlText(TextBox::编辑框_输出返回),
            "args: -y -i /a b.mp4 /o.mp4\nmuxing overhead: 1%\n");
  EXPECT_EQ(ResolveTool(home.path(), "ffplay"), "ffplay");
}

TEST(RunJudged, EmptyCommandIsAFailure) {
  MemoryWindow window;
  ToolEnv env{"/nonexistent", test::NeverStopped(),
              [&window](const std::string& text) { window.SetOutputText(text); }};
  EXPECT_EQ(RunJudged(env, "", {}).text, "未知错误");
  EXPECT_FALSE(window.ControlText(TextBox::编辑框_输出返回).empty());
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

TEST(EncoderProgress, ReadsTheLatestTimeOfWholeStatusLines) {
  struct Piece {
    const char* text;
    bool moved;
    double seconds;
  } pieces[] = {
      {"Input #0, lavfi\nframe=    0 fps=0.0 time=N/A bitrate=N/A\r", false, -1},
      {"frame=    1 fps=0.0 time=-00:00:00.03 bitrate=N/A\r", false, -1},
      {"frame=   45 fps= 44 q=28.0 size=0kB time=00:00:01.50 bitrate=0.2kbits/s\r", true, 1.5},
      // A line split between two reads counts once it is whole.
      {"frame=   60 fps= 40 time=00:01:0", false, 1.5},
      {"2.25 bitrate=1kbits/s\r", true, 62.25},
      {"frame=   60 fps= 40 time=00:01:02.25 bitrate=1kbits/s\r", false, 62.25},
      {"video:1kB audio:0kB muxing overhead: 0.1%\n", false, 62.25},
  };
  EncoderProgress progress;
  for (const Piece& piece : pieces) {
    SCOPED_TRACE(piece.text);
    EXPECT_EQ(progress.Feed(piece.text), piece.moved);
    EXPECT_DOUBLE_EQ(progress.Seconds(), piece.seconds);
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
