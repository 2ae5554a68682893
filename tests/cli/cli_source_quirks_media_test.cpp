// Sources whose files tell less than the truth, through both engines with
// the real encoder: a raw stream whose header gives a length of a fraction of
// a second, sound without pictures, pictures of variable rate that begin
// after the sound, and clips asked for of which none can be read.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;

class SourceQuirks : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    media_ = new TempDir;
    const std::filesystem::path sources = *media_ / "测试视频剪辑";
    // MPEG-1 of variable quality writes the largest bit rate into its header,
    // from which the encoder guesses a hundredth of a second for 3.4 s of pictures.
    ASSERT_TRUE(test::MakeMedia(sources / "1-raw.mp4",
                                {"-f", "lavfi", "-i", "testsrc2=s=160x120:r=25:d=3.4", "-c:v",
                                 "mpeg1video", "-q:v", "5", "-f", "mpeg1video"}));
    ASSERT_TRUE(
        test::MakeMedia(sources / "2-sound.mp4", {"-f", "lavfi", "-i", "sine=d=3", "-c:a", "aac"}));
    // A phone's clip: pictures from 0.05 s at a varying rate, sound from 0.
    ASSERT_TRUE(test::MakeMedia(
        sources / "3-vfr.mp4",
        {"-f", "lavfi", "-i", "testsrc2=s=180x320:r=30:d=2.95", "-f", "lavfi", "-i", "sine=d=3",
         "-vf", "setpts=PTS+0.05/TB,select='not(eq(mod(n\\,5)\\,2))'", "-fps_mode", "vfr", "-c:v",
         "libx264", "-preset", "ultrafast", "-c:a", "aac"}));
    test::WriteFile(*media_ / "片头" / "broken.mp4", "no video in here");
    ASSERT_TRUE(test::MakeTone(*media_ / "audio" / "a.mp3", 2));
  }
  static void TearDownTestSuite() {
    delete media_;
    media_ = nullptr;
  }

  static nlohmann::json Run(const std::string& engine, std::vector<std::string> more = {}) {
    more.insert(more.end(), {"--all", "--seed", "7", "--engine", engine});
    test::CliResult result =
        test::RunCli(test::RunArgs(media_->path(), *media_ / "audio", "特效7-特效8", more));
    return test::Summary(result);
  }

  static TempDir* media_;
};

TempDir* SourceQuirks::media_ = nullptr;

TEST_F(SourceQuirks, EachSourceIsJudgedByItsPicturesInBothEngines) {
  for (const std::string engine : {"steps", "onepass"}) {
    SCOPED_TRACE(engine);
    nlohmann::json summary = Run(engine);
    ASSERT_EQ(summary["items"].size(), 3u);
    const nlohmann::json& raw = summary["items"][0];
    const nlohmann::json& sound = summary["items"][1];
    const nlohmann::json& vfr = summary["items"][2];
    EXPECT_EQ(sound["status"], "剪切失败：素材没有画面");
    for (const nlohmann::json& made : {raw, vfr}) {
      ASSERT_EQ(made["status"], "成功") << made.dump();
      // The finished video lasts whole seconds of pictures, every frame of them.
      test::MediaInfo info = test::ReadMediaInfo(made["output"].get<std::string>());
      double whole = std::round(info.seconds);
      EXPECT_GE(whole, 2) << made.dump();
      EXPECT_NEAR(info.seconds, whole, 0.02) << made.dump();
      EXPECT_EQ(info.frames, static_cast<int>(whole) * 30) << made.dump();
    }
  }
}

TEST_F(SourceQuirks, AskedForClipsOfWhichNoneCanBeReadRefuseEveryItem) {
  for (const std::string engine : {"steps", "onepass"}) {
    SCOPED_TRACE(engine);
    nlohmann::json summary = Run(engine, {"--intro"});
    for (const nlohmann::json& item : summary["items"]) {
      EXPECT_EQ(item["status"], "片头无法读取：broken.mp4") << item.dump();
      EXPECT_EQ(item["output"], nullptr);
    }
  }
}

}  // namespace
}  // namespace mivora
