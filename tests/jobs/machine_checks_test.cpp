#include "jobs/machine_checks.h"

#include <gtest/gtest.h>

#include "job_harness.h"
#include "jobs/input_check.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

TEST(ClipRefusal, NamesEveryKindAskedForOfWhichNoFileCanBeRead) {
  FrontChoices choices;
  choices.audios = {"/a/1.mp3", "/a/2.mp3"};
  choices.intros = {"/h/片头/i.mp4"};
  choices.outros = {"/h/片尾/o1.mp4", "/h/片尾/o2.mp4"};
  choices.blackScreens = {"/h/黑幕特效/b.mp4"};
  choices.greenScreens = {"/h/绿幕特效/g.mp4"};
  struct Case {
    bool intro, outro, blackScreen;
    std::set<std::string> unreadable;
    std::string refusal;
  } cases[] = {
      {true, true, true, {}, ""},
      // One readable file of a kind is enough.
      {true, true, true, {"/a/1.mp3", "/h/片尾/o1.mp4"}, ""},
      {true, false, true, {"/h/片头/i.mp4"}, "片头无法读取：i.mp4"},
      // A kind switched off or not chosen is not asked for.
      {false, false, true, {"/h/片头/i.mp4", "/h/绿幕特效/g.mp4"}, ""},
      {true,
       true,
       false,
       {"/h/片尾/o1.mp4", "/h/片尾/o2.mp4", "/h/绿幕特效/g.mp4"},
       "片尾无法读取：o1.mp4、o2.mp4；绿幕特效无法读取：g.mp4"},
      {true,
       true,
       true,
       {"/a/1.mp3", "/a/2.mp3", "/h/黑幕特效/b.mp4"},
       "音频无法读取：1.mp3、2.mp3；黑幕特效无法读取：b.mp4"},
  };
  for (const Case& c : cases) {
    choices.intro = c.intro;
    choices.outro = c.outro;
    choices.blackScreen = c.blackScreen;
    EXPECT_EQ(ClipRefusal(choices, c.unreadable), c.refusal) << c.refusal;
  }
}

TEST(UnwritableFolder, MakesMissingFoldersAndNamesOnesThatCannotBe) {
  test::TempDir home;
  test::WriteFile(home / "文件", "x");
  EXPECT_EQ(UnwritableFolder({home / "a/b", home.path()}), "");
  EXPECT_TRUE(std::filesystem::is_directory(home / "a/b"));
  // Nothing is left behind by the check.
  EXPECT_TRUE(std::filesystem::is_empty(home / "a/b"));
  EXPECT_EQ(UnwritableFolder({home.path(), home / "文件/out"}),
            "输出目录无法写入：" + (home / "文件/out").string());
}

TEST(ShortOfSpace, ComparesTheItemsNeedWithTheFreeSpace) {
  test::TempDir home;
  std::optional<std::uintmax_t> free = FreeBytes(home / "not/yet/made");
  ASSERT_TRUE(free.has_value());
  EXPECT_EQ(ShortOfSpace({home / "not/yet/made"}, 1), "");
  EXPECT_EQ(ShortOfSpace({home.path(), home / "out"}, *free + (1ULL << 40)),
            "磁盘空间不足：" + home.path().string());
  // Twice a video of its length at the canvas's bit rate, and a margin.
  for (const Canvas& canvas : {kBaseCanvas, kLargeCanvas}) {
    SCOPED_TRACE(canvas.width);
    const std::uintmax_t video = 10ULL * canvas.bitRateKbps * 1000 / 8;
    EXPECT_GT(BytesNeeded(10, canvas), 2 * video);
    EXPECT_LT(BytesNeeded(10, canvas), 2 * video + (4ULL << 20));
    EXPECT_LT(BytesNeeded(10, canvas), BytesNeeded(11, canvas));
  }
  EXPECT_GT(BytesNeeded(10, kLargeCanvas), BytesNeeded(10, kBaseCanvas));
}

TEST(RunClipJob, RefusesAFolderItCannotWriteBeforeAnyEncoder) {
  for (bool videoMode : {true, false}) {
    test::JobHarness harness;
    harness.AddClip(test::Clips::kAudios, "/music/a.mp3");
    harness.AddSource((harness.home / "a.src").string());
    const char* output = videoMode ? kVideoOutputFolder : kImageOutputFolder;
    std::filesystem::remove_all(harness.home / output);
    test::WriteFile(harness.home / output, "not a folder");
    // No encoder under this home: the folder is refused before any is looked for.
    JobEnd end = harness.Job(videoMode);
    EXPECT_EQ(end.kind, JobEnd::Kind::kRefused);
    EXPECT_EQ(end.message, "输出目录无法写入：" + (harness.home / output).string());
    EXPECT_EQ(end.logLine, end.message + "\r\n");
  }
}

}  // namespace
}  // namespace mivora
