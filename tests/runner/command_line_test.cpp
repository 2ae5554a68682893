#include "runner/command_line.h"

#include <gtest/gtest.h>

#include "runner/run_capture.h"
#include "support/never_stopped.h"

namespace mivora {
namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, QuotingFormsOfTheTemplates) {
  struct Case {
    std::string line;
    Args expected;
  } cases[] = {
      {"-vf lutyuv=\"u=128:v=128\"", {"-vf", "lutyuv=u=128:v=128"}},
      {"-s \"720x1280\"  D:\\out.mp4", {"-s", "720x1280", "D:\\out.mp4"}},
      {"\"movie=D\\\\:/1.mp4,scale=1\"", {"movie=D\\\\:/1.mp4,scale=1"}},
      {"-i \"color=s=720x1280:color=black\"", {"-i", "color=s=720x1280:color=black"}},
      {"-filter_complex \"concat=n=3:v=1 [v]\" -map \"[v]\"",
       {"-filter_complex", "concat=n=3:v=1 [v]", "-map", "[v]"}},
      {"a\\\\\"b c\"", {"a\\b c"}},
      {"a\\\"b", {"a\"b"}},
      {"a\\\\\\\"b", {"a\\\"b"}},
      {"  \t ", {}},
      {"\"\"", {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.expected) << c.line;
}

TEST(BuildCommand, FillsInsideArgumentsAndKeepsPathsWhole) {
  std::string hostile = "/tmp/my clip; rm -rf $HOME & 'x'.mp4";
  Args args = BuildCommand("D:\\ffmpeg\\bin\\ffmpeg.exe -y -i D:\\1.mp4 d:\\OUT.mp4",
                           {{"D:\\out.mp4", "/o.mp4"}, {"D:\\1.mp4", hostile}});
  EXPECT_EQ(args, (Args{"D:\\ffmpeg\\bin\\ffmpeg.exe", "-y", "-i", hostile, "/o.mp4"}));
}

TEST(BuildCommand, NeverRescansAFilledValue) {
  Args args = BuildCommand("-i D:\\1.mp4 D:\\out.mp4",
                           {{"D:\\1.mp4", "/x/D:\\out.mp4"}, {"D:\\out.mp4", "/o"}});
  EXPECT_EQ(args, (Args{"-i", "/x/D:\\out.mp4", "/o"}));
}

TEST(BuildCommand, ExpandsListPlaceholdersAndDropsTrailingRedirect) {
  Args args = BuildCommand("x -y 【多视频】 -filter_complex \"concat=n=【视频个数】:v=1 [v]\"",
                           {{"【视频个数】", "2"}}, {{"【多视频】", {"-i", "/a b", "-i", "/c"}}});
  EXPECT_EQ(args,
            (Args{"x", "-y", "-i", "/a b", "-i", "/c", "-filter_complex", "concat=n=2:v=1 [v]"}));
  EXPECT_EQ(BuildCommand("x -i f 2>&1", {}), (Args{"x", "-i", "f"}));
  EXPECT_EQ(BuildCommand("x 【多视频】", {}, {{"【多视频】", {}}}), (Args{"x"}));
}

TEST(ShellLine, QuotesWhatAShellWouldReadOtherwise) {
  struct Case {
    Args args;
    std::string line;
  } cases[] = {
      {{"ffmpeg", "-y", "-s", "720x1280", "/a/b_c@d%e+f=g:h,i.mp4"},
       "ffmpeg -y -s 720x1280 /a/b_c@d%e+f=g:h,i.mp4"},
      {{"-i", "视频 1.mp4"}, "-i '视频 1.mp4'"},
      {{"-i", "<输入>"}, "-i '<输入>'"},
      {{"[a][1:v]overlay=w;x", "it's", ""}, "'[a][1:v]overlay=w;x' 'it'\\''s' ''"},
      {{"$HOME", "a\\b", "*", "\"a\"", "x\ny"}, "'$HOME' 'a\\b' '*' '\"a\"' 'x\ny'"},
      {{}, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShellLine(c.args), c.line);
    if (c.args.empty()) continue;
    // The shell itself splits the line back into the same arguments.
    std::string script = "for a in " + ShellLine(c.args) + "; do printf '%s|' \"$a\"; done";
    std::string expected;
    for (const std::string& arg : c.args) expected += arg + "|";
    EXPECT_EQ(RunCapture({"/bin/sh", "-c", script}, test::NeverStopped()).output, expected)
        << c.line;
  }
}

TEST(EscapeFilterPath, EscapesBothLevels) {
  EXPECT_EQ(EscapeFilterPath("/v/a.mp4"), "/v/a.mp4");
  // ':' is an option-level character: one backslash, itself escaped at the graph level.
  EXPECT_EQ(EscapeFilterPath("a:b"), "a\\\\:b");
  // ',' only matters to the graph.
  EXPECT_EQ(EscapeFilterPath("a,b"), "a\\,b");
  EXPECT_EQ(EscapeFilterPath("it's"), "it\\\\\\'s");
}

}  // namespace
}  // namespace mivora
