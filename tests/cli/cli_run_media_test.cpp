// mivora-cli over the real encoder on tiny generated media: both modes, a
// whole list with one and two items at once, one effect on one file, and
// Ctrl-C in the middle of a parallel run.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "cli_process.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::ClipSpec;
using test::RunCli;
using test::TempDir;

// A home with `videos` source clips of `seconds` each, one still image, an
// intro, an outro, both overlay kinds and one audio file.
struct MediaHome {
  TempDir home;
  TempDir audio;
  MediaHome(int videos, double seconds) {
    for (int i = 1; i <= videos; ++i) {
      EXPECT_TRUE(test::MakeClip(home / "测试视频剪辑" / ("v" + std::to_string(i) + ".mp4"),
                                 {seconds, 320, 240, 30, true, "testsrc2"}));
    }
    EXPECT_TRUE(test::MakeImage(home / "测试图片剪辑" / "still.jpg", 400, 300));
    EXPECT_TRUE(test::MakeClip(home / "片头" / "intro.mp4", {1, 320, 240, 30, false, "smptebars"}));
    EXPECT_TRUE(
        test::MakeClip(home / "片尾" / "outro.mp4", {1, 320, 240, 30, false, "rgbtestsrc"}));
    EXPECT_TRUE(test::MakeClip(home / "黑幕特效" / "black.mp4", {1, 320, 240, 30, false, "color"}));
    EXPECT_TRUE(test::MakeClip(home / "绿幕特效" / "green.mp4",
                               {1, 320, 240, 30, false, "color=c=0x00FF00"}));
    EXPECT_TRUE(test::MakeTone(audio / "a.mp3", 4));
  }
  std::vector<std::string> Args(std::vector<std::string> more) const {
    return test::RunArgs(home.path(), audio.path(), "特效7-特效8\n特效8-特效7", more);
  }
};

void ExpectFinishedVideo(const std::string& file) {
  test::MediaInfo info = test::ReadMediaInfo(file);
  EXPECT_EQ(info.width, 720) << file;
  EXPECT_EQ(info.height, 1280) << file;
  EXPECT_EQ(info.videoCodec, "h264") << file;
  EXPECT_TRUE(info.hasAudio) << file;
}

TEST(CliRunMedia, VideoAndImageModesMakeFinishedVideos) {
  MediaHome media(2, 3);
  struct Case {
    std::vector<std::string> args;
    std::size_t items;
    std::string folder;
  };
  const Case cases[] = {
      {{"--intro", "--outro", "--overlay", "green"}, 2, "生成视频剪辑"},
      {{"--mode", "image", "--overlay", "black"}, 1, "生成图片剪辑"},
  };
  for (const Case& c : cases) {
    test::CliResult result = RunCli(media.Args(c.args));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    nlohmann::json summary = test::Summary(result);
    ASSERT_EQ(summary["items"].size(), c.items);
    for (const auto& item : summary["items"]) {
      EXPECT_EQ(item["status"], "成功") << item.dump();
      std::string output = item["output"];
      EXPECT_EQ(std::filesystem::path(output).parent_path(), media.home / c.folder);
      ExpectFinishedVideo(output);
    }
  }
  EXPECT_TRUE(std::filesystem::is_empty(media.home / "临时"));
  EXPECT_FALSE(std::filesystem::exists(media.home / ".mivora-work"));
}

TEST(CliRunMedia, WholeListOfFiveGivesTheSameStatusesWithTwoAtOnce) {
  MediaHome media(5, 3);
  std::map<int, std::pair<std::string, std::string>> first;
  for (const char* jobs : {"1", "2"}) {
    std::filesystem::remove_all(media.home / "生成视频剪辑");
    test::CliResult result = RunCli(media.Args({"--all", "-j", jobs, "--seed", "11"}));
    EXPECT_EQ(result.exitCode, 0) << result.err;
    nlohmann::json summary = test::Summary(result);
    ASSERT_EQ(summary["items"].size(), 5u);
    std::map<int, std::pair<std::string, std::string>> seen;
    for (const auto& item : summary["items"]) {
      seen[item["item"]] = {item["status"], item["effect_line"]};
      if (item["status"] == "成功") ExpectFinishedVideo(item["output"]);
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(media.home / "生成视频剪辑")) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, 5) << "-j " << jobs;
    if (first.empty()) {
      first = seen;
    } else {
      EXPECT_EQ(seen, first);
    }
  }
}

TEST(CliRunMedia, RenderEffectOnOneFile) {
  MediaHome media(1, 2);
  std::filesystem::path output = media.home / "tried.mp4";
  test::CliResult result =
      RunCli({"render-effect", "特效7", (media.home / "测试视频剪辑" / "v1.mp4").string(),
              output.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  test::MediaInfo info = test::ReadMediaInfo(output);
  EXPECT_EQ(info.width, 720);
  EXPECT_EQ(info.height, 1280);
}

// Stops the run once both items have encoders running; checks what is left.
void InterruptParallelRun(const std::vector<std::string>& engineArgs) {
  MediaHome media(2, 20);
  TempDir logs;
  std::vector<std::string> args = media.Args({"--all", "-j", "2"});
  args.insert(args.end(), engineArgs.begin(), engineArgs.end());
  args[6] = "特效7-特效8-特效15-特效16-特效17-特效18";
  test::CliProcess cli(args, logs.path());
  // Wait until both items are past their probe, so encoders and work files
  // exist when the stop comes, whichever engine drives the encoder.
  auto pastProbe = [](const std::string& err, const std::string& item) {
    for (std::size_t at = err.find(item); at != std::string::npos; at = err.find(item, at + 1)) {
      std::string step = err.substr(at + item.size(), err.find(" |", at) - at - item.size());
      if (step != "正在剪辑" && step != "探测时长") return true;
    }
    return false;
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (std::chrono::steady_clock::now() < deadline) {
    std::string err = cli.ErrSoFar();
    if (pastProbe(err, "1 v1.mp4: ") && pastProbe(err, "2 v2.mp4: ")) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // Every encoder names a file inside the home; the program itself names
  // only the home.
  const std::string insideHome = media.home.path().string() + "/";
  EXPECT_TRUE(test::ProcessRunning(insideHome)) << "no encoder ran when the stop came";
  ASSERT_EQ(kill(cli.pid(), SIGINT), 0);
  test::CliResult result = cli.Wait();
  EXPECT_EQ(result.exitCode, 130) << result.err;
  EXPECT_FALSE(test::ProcessRunning(insideHome));
  EXPECT_FALSE(std::filesystem::exists(media.home / ".mivora-work"));
  EXPECT_TRUE(std::filesystem::is_empty(media.home / "生成视频剪辑"));
  EXPECT_TRUE(std::filesystem::is_empty(media.home / "临时"));
  for (const auto& entry : std::filesystem::recursive_directory_iterator(media.home.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("临时.mp4"), std::string::npos) << entry.path();
    EXPECT_EQ(name.find(".part"), std::string::npos) << entry.path();
  }
}

TEST(CliRunMedia, CtrlCStopsEveryEncoderAndLeavesNoWorkFile) {
  // The default engine, and the step engine by name.
  InterruptParallelRun({});
  InterruptParallelRun({"--engine", "steps"});
}

}  // namespace
}  // namespace mivora
