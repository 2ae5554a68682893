// RenderEffect's command, seen by a stand-in encoder that prints its arguments.
#include "effects/render_effect.h"
#include "support/never_stopped.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runner/command_line.h"
#include "runner/text.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

class RenderEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::path encoder = home_.path() / "ffmpeg/bin/ffmpeg";
    test::WriteFile(encoder,
                    "#!/bin/sh\nfor a in \"$0\" \"$@\"; do printf '%s\\n' \"$a\"; done\n"
                    "echo 'muxing overhead: 1%'\n");
    chmod(encoder.c_str(), 0755);
  }

  // The stand-in's name and arguments, one per line of its console text.
  std::vector<std::string> Arguments() {
    std::istringstream lines(console_);
    std::vector<std::string> args;
    for (std::string line; std::getline(lines, line);) {
      if (line != "muxing overhead: 1%") args.push_back(line);
    }
    return args;
  }

  test::TempDir home_;
  std::string console_;
  ToolEnv env_{home_.path(), test::NeverStopped(),
               [this](const std::string& text) { console_ = text; }};
};

TEST_F(RenderEffectTest, FillsEveryPlaceholderWithAbsolutePaths) {
  const std::filesystem::path source = home_ / "it's [a],b;c=d 视频.mp4";
  const std::filesystem::path output = home_ / "out 1.mp4";
  const std::filesystem::path audio = home_ / "loop;1.mp3";
  const std::string movie = "movie=" + EscapeFilterPath(source.string());

  ASSERT_EQ(RenderEffect(env_, "特效34", source, output, audio).text, "输出成功");
  std::vector<std::string> args = Arguments();
  ASSERT_EQ(args.size(), 27u);
  EXPECT_EQ(args[5], "color=s=720x1280:color=black");
  EXPECT_EQ(args[8], "-i");
  EXPECT_EQ(args[9], audio.string());
  EXPECT_EQ(args[10], "-vf");
  EXPECT_EQ(args[11].rfind(movie + ",crop=iw/2:ih:0:360,", 0), 0u);
  EXPECT_NE(args[11].find("[watermark0];" + movie + ",crop=iw/2:ih:360:0,"), std::string::npos);
  EXPECT_NE(args[11].find("[watermark1];" + movie + ",scale=720x1280,"), std::string::npos);
  EXPECT_EQ(args.back(), output.string());

  ASSERT_EQ(RenderEffect(env_, "特效36", source, output, audio).text, "输出成功");
  args = Arguments();
  EXPECT_EQ(args[1], "-y");
  EXPECT_EQ(args[2], "-i");
  EXPECT_EQ(args[3], source.string());
  EXPECT_EQ(args[5].rfind(movie + ",crop=", 0), 0u);
  for (const std::string& arg : args) {
    EXPECT_EQ(arg.find("D:\\"), std::string::npos) << arg;
    EXPECT_EQ(arg.find("D\\\\:"), std::string::npos) << arg;
  }
}

TEST_F(RenderEffectTest, RelativePathsBecomeAbsolute) {
  std::filesystem::path relative = "-loop.mp4";
  ASSERT_EQ(RenderEffect(env_, "特效9", relative, "x:y.mp4", {}).text, "输出成功");
  std::vector<std::string> args = Arguments();
  ASSERT_EQ(args.size(), 25u);
  EXPECT_EQ(args[3], (std::filesystem::current_path() / relative).string());
  EXPECT_EQ(args.back(), (std::filesystem::current_path() / "x:y.mp4").string());
}

TEST_F(RenderEffectTest, UnknownEffectRunsNothing) {
  EXPECT_NE(RenderEffect(env_, "特效999", home_ / "a.mp4", home_ / "b.mp4", {}).text, "输出成功");
  EXPECT_EQ(console_.find("muxing overhead"),
            std::string::npos);
  EXPECT_NE(RenderEffect(env_, "", home_ / "a.mp4", home_ / "b.mp4", {}).text, "输出成功");
}

// The shown command is the one run: split as a shell would, and with the
// readable names standing for paths, it is RenderEffect's argument vector.
TEST_F(RenderEffectTest, CommandTextIsTheCommandRun) {
  const std::filesystem::path input = home_ / "in.mp4";
  const std::filesystem::path audio = home_ / "a.mp3";
  const std::filesystem::path output = home_ / "out.mp4";
  for (int i = 1; i <= 70; ++i) {
    const std::string name = "特效" + std::to_string(i);
    std::string shown = EffectCommandText(name);
    ASSERT_EQ(RenderEffect(env_, name, input, output, audio).text, "输出成功") << name;
    std::vector<std::string> run = Arguments();
    run.front() = "ffmpeg";
    std::string expected = ShellLine(run);
    for (const auto& [path, readable] : {std::pair{input.string(), "<输入>"},
                                         {audio.string(), "<音频>"},
                                         {output.string(), "<输出>"}}) {
      expected = ReplacePairs(expected, {{path, readable}}, {.matchCase = true});
    }
    // A quoted argument that held only a path is quoted for the readable name too.
    EXPECT_EQ(ReplacePairs(
                  shown, {{"'<输入>'", "<输入>"}, {"'<音频>'", "<音频>"}, {"'<输出>'", "<输出>"}}),
              expected)
        << name;
  }
  EXPECT_EQ(EffectCommandText("特效71"), "");
}

}  // namespace
}  // namespace mivora
