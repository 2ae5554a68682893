// Usage errors and the effect listing, driven through the built program: no
// encoder runs, so these stay in the quick suite.
#include <gtest/gtest.h>

#include "cli_process.h"
#include "effects/effect_catalogue.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::RunCli;
using test::TempDir;

TEST(CliUsage, ErrorsExitTwoWithAClearMessageAndCreateNothing) {
  TempDir home;
  TempDir audio;
  TempDir user;
  const std::string h = home.path().string();
  const std::string a = audio.path().string();
  // Without --home a run would work in ~/Mivora; a mistyped one leaves it unmade.
  const std::vector<std::string> env = {"HOME=" + user.path().string(), "MIVORA_HOME=",
                                        "XDG_CONFIG_HOME=" + (user / ".config").string()};
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{}, "请给出一个命令"},
      {{"run", "--home", h, "--audio", a, "--bogus"}, "未知的选项或多余的参数：--bogus"},
      {{"run", "--home", h}, "请用 --audio DIR 指定音频目录"},
      {{"run"}, "请用 --audio DIR 指定音频目录"},
      {{"run", "--audio", a + "/none"}, "音频目录不存在"},
      {{"run", "--audio", a, "--shard", "1/0"}, "--shard 的值应为 I/N"},
      {{"run", "--audio", a, "--watermark", "x", "--watermark-opacity", "2"}, "不透明度"},
      {{"run", "--audio", a, "--fit", "zoom"}, "“zoom”不是可选的值"},
      {{"run", "--home", h, "--audio", a + "/none"}, "音频目录不存在：" + a + "/none"},
      {{"run", "--home", h + "/none", "--audio", a}, "主目录不存在：" + h + "/none"},
      {{"run", "--home", h, "--audio", a, "--mode", "film"}, "“film”不是可选的值"},
      {{"run", "--home", h, "--audio", a, "--shard", "2/2"}, "--shard 的值应为 I/N"},
      {{"run", "--home", h, "--audio", a, "-j", "0"}, "-j 的值必须是正整数或 auto：0"},
      {{"run", "--home", h, "--audio", a, "-j", "all"}, "-j 的值必须是正整数或 auto：all"},
      {{"run", "--home", h, "--audio", a, "--variants", "0"},
       "--variants 的值应在 1 到 99 之间：0"},
      {{"run", "--home", h, "--audio", a, "--variants", "100"}, "--variants 的值应在 1 到 99 之间"},
      {{"run", "--home", h, "--audio", a, "--stall-timeout", "-1"},
       "--stall-timeout 的值不能为负数"},
      {{"run", "--home", h, "--audio", a, "--effects", "f", "--effect-code", "特效7"},
       "不能同时使用"},
      {{"run", "--home", h, "--audio", a, "--add-titles"}, "无法读取文案列表：" + h + "/文案.txt"},
      {{"run", "--home", h, "--audio", a, "--titles", h}, "无法读取文案列表：" + h},
      {{"run", "--home", h, "--audio", a, "--titles", "/dev/null"},
       "已开启加文案，但文案列表是空的"},
      {{"run", "--home", h, "--audio", a, "--title-style", "shadow"}, "“shadow”不是可选的值"},
      {{"run", "--home", h, "--audio", a, "--title-position", "middle"}, "“middle”不是可选的值"},
      {{"run", "--home", h, "--audio", a, "--sound", "voice"}, "“voice”不是可选的值"},
      {{"run", "--home", h, "--audio", a, "--music-volume", "1.5"},
       "--music-volume 的值应在 0 到 1 之间"},
      // An audio folder without .mp3 files stops the run as Start does.
      {{"run", "--home", h, "--audio", a}, "音频没有导入"},
      {{"effects", "特效999"}, "没有这个特效：特效999"},
      {{"render-effect", "特效0", "in.mp4", "out.mp4"}, "没有这个特效：特效0"},
      {{"render-effect", "特效7", (home / "missing.mp4").string(), "out.mp4"}, "输入文件不存在"},
  };
  for (const Case& c : cases) {
    test::CliResult result = RunCli(c.args, env);
    std::string shown;
    for (const std::string& arg : c.args) shown += arg + " ";
    EXPECT_EQ(result.exitCode, 2) << shown << "\n" << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << shown << "\n" << result.err;
    EXPECT_NE(result.err.find("--help"), std::string::npos) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_TRUE(std::filesystem::is_empty(user.path())) << shown;
  }
}

TEST(CliUsage, EveryCommandHasHelp) {
  for (std::string command : {"", "demo", "run", "report", "effects", "render-effect"}) {
    std::vector<std::string> args;
    if (!command.empty()) args.push_back(command);
    args.push_back("--help");
    test::CliResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 0) << command;
    EXPECT_NE(result.out.find("用法: mivora-cli"), std::string::npos) << command << result.out;
  }
  EXPECT_NE(RunCli({"run", "--help"}).out.find("--shard I/N"), std::string::npos);
}

TEST(CliEffects, ListsSeventyAndShowsOne) {
  test::CliResult list = RunCli({"effects"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(std::count(list.out.begin(), list.out.end(), '\n'), kEffectCount);
  EXPECT_NE(list.out.find("特效7\t1 秒\t相对耗时 "), std::string::npos) << list.out;
  EXPECT_NE(list.out.find("特效70\t"), std::string::npos);

  // The command as it runs, or the catalogue's text as stored.
  struct Case {
    std::vector<std::string> args;
    std::string shown;
  };
  const Case cases[] = {
      {{"effects", "特效12"}, "\n命令：ffmpeg -y -i '<输入>' -vf 'split[mian][tmp];"},
      {{"effects", "特效36"}, "\n命令：ffmpeg -y -i '<输入>' -vf 'movie=<输入>,crop="},
      {{"effects", "特效12", "--raw"}, "\n模板：D:\\ffmpeg\\bin\\ffmpeg.exe -y -i D:\\1.mp4"},
  };
  for (const Case& c : cases) {
    test::CliResult one = RunCli(c.args);
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_NE(one.out.find("时长：2 秒\n相对耗时 "), std::string::npos) << one.out;
    EXPECT_NE(one.out.find(c.shown), std::string::npos) << one.out;
    EXPECT_NE(one.out.find(c.args.size() == 3 ? "D:\\out.mp4" : "'<输出>'"), std::string::npos)
        << one.out;
  }
}

}  // namespace
}  // namespace mivora
