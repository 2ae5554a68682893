#include "app/list_import.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "media/work_folders.h"
#include "support/fake_encoder.h"
#include "support/memory_window.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::string>>;

Rows ReadRows(WindowOps& window, ListView list) {
  Rows rows;
  for (int row = 0; row < window.RowCount(list); ++row)
    rows.push_back({window.CellText(list, row, 0), window.CellText(list, row, 1),
                    window.CellText(list, row, 2)});
  return rows;
}

// The rows an import of `names` from `folder` should give, numbered from 1.
Rows Expected(const fs::path& folder, const std::vector<std::string>& names) {
  Rows rows;
  for (const std::string& name : names)
    rows.push_back({std::to_string(rows.size() + 1), (folder / name).string(), name});
  return rows;
}

void Touch(const fs::path& folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) test::WriteFakeMedia(folder / name);
}

TEST(MediaImport, FillsEachListFromItsFolderWithTheListsExtensionAndLimit) {
  test::TempDir dir;
  fs::path run = dir.path();
  Touch(run / "片头", {"i5.mp4", "i3.mp4", "i1.mp4", "i4.mp4", "i2.mp4", "skip.mov"});
  Touch(run / "测试视频剪辑", {"c.mp4", "b.mp4", "a.mp4"});
  Touch(run / "测试图片剪辑", {"p.jpg", "q.png"});
  Touch(run / "绿幕特效", {"CLIP.MP4", "sub.mp4/inner.mp4", ".hidden.mp4"});

  MemoryWindow window;
  ImportList(window, ListView::超级列表框3, run);
  EXPECT_EQ(ReadRows(window, ListView::超级列表框3),
            Expected(run / "片头", {"i1.mp4", "i2.mp4", "i3.mp4", "i4.mp4", "i5.mp4"}));

  ImportList(window, ListView::超级列表框1, run);
  EXPECT_EQ(ReadRows(window, ListView::超级列表框1),
            Expected(run / "测试视频剪辑", {"a.mp4", "b.mp4"}));

  ImportList(window, ListView::超级列表框2, run);
  EXPECT_EQ(ReadRows(window, ListView::超级列表框2), Expected(run / "测试图片剪辑", {"p.jpg"}));

  // Case-insensitive extension; a folder named like a clip is skipped; hidden files count.
  ImportList(window, ListView::超级列表框6, run);
  EXPECT_EQ(ReadRows(window, ListView::超级列表框6),
            Expected(run / "绿幕特效", {".hidden.mp4", "CLIP.MP4"}));
  // The other lists stay empty, as do the job columns.
  EXPECT_EQ(window.RowCount(ListView::超级列表框4), 0);
  EXPECT_EQ(window.CellText(ListView::超级列表框2, 0, 3), "");
}

TEST(MediaImport, ListsLinksToFilesButNotLinksToFolders) {
  test::TempDir dir;
  fs::path folder = dir / "黑幕特效";
  Touch(dir.path(), {"real.mp4"});
  fs::create_directories(folder / "..d.mp4");
  fs::create_directories(folder);
  fs::create_symlink(dir / "real.mp4", folder / "link.mp4");
  fs::create_directory_symlink(dir / "黑幕特效/..d.mp4", folder / "dirlink.mp4");
  fs::create_symlink(dir / "gone.mp4", folder / "dangling.mp4");

  MemoryWindow window;
  ImportList(window, ListView::超级列表框7, dir.path());
  EXPECT_EQ(ReadRows(window, ListView::超级列表框7), Expected(folder, {"link.mp4"}));
}

TEST(MediaImport, SortsNamesWithoutRegardToAsciiCase) {
  struct Case {
    std::vector<std::string> files, order;
  } cases[] = {
      {{"b.mp4", "A.mp4", "c.MP4"}, {"A.mp4", "b.mp4", "c.MP4"}},
      // Same name in two spellings: the raw bytes decide, so the order is total.
      {{"a.mp4", "A.mp4"}, {"A.mp4", "a.mp4"}},
      // Letters fold to upper case, so "_" (after "Z") sorts after letters.
      {{"_x.mp4", "a.mp4", "Z.mp4"}, {"a.mp4", "Z.mp4", "_x.mp4"}},
      {{"10.mp4", "9.mp4", "1.mp4"}, {"1.mp4", "10.mp4", "9.mp4"}},
      {{"片头b.mp4", "片头A.mp4", "Z.mp4"}, {"Z.mp4", "片头A.mp4", "片头b.mp4"}},
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    Touch(dir / "片尾", c.files);
    MemoryWindow window;
    ImportList(window, ListView::超级列表框4, dir.path());
    EXPECT_EQ(ReadRows(window, ListView::超级列表框4), Expected(dir / "片尾", c.order))
        << c.files[0];
  }
}

TEST(MediaImport, EveryImportAndClearReplacesTheWholeList) {
  test::TempDir dir;
  Touch(dir / "片头", {"a.mp4", "b.mp4"});
  MemoryWindow window;
  ImportList(window, ListView::超级列表框3, dir.path());
  ImportList(window, ListView::超级列表框3, dir.path());
  EXPECT_EQ(ReadRows(window, ListView::超级列表框3), Expected(dir / "片头", {"a.mp4", "b.mp4"}));

  // After a clear the next import numbers from 1 again.
  ClearList(window, ListView::超级列表框3);
  EXPECT_EQ(window.RowCount(ListView::超级列表框3), 0);
  ImportList(window, ListView::超级列表框3, dir.path());
  EXPECT_EQ(window.CellText(ListView::超级列表框3, 0, 0), "1");

  // A folder that has gone empties the list without a word.
  fs::remove_all(dir / "片头");
  ImportList(window, ListView::超级列表框3, dir.path());
  EXPECT_EQ(window.RowCount(ListView::超级列表框3), 0);
  EXPECT_TRUE(window.InfoMessages().empty());
}

TEST(MediaImport, AudioComesFromTheChosenFolder) {
  test::TempDir dir;
  Touch(dir / "music", {"song.mp3", "SONG2.MP3", "clip.mp4"});
  MemoryWindow window;

  ImportAudio(window, dir / "music");
  Rows rows = Expected(dir / "music", {"song.mp3", "SONG2.MP3"});
  EXPECT_EQ(ReadRows(window, ListView::超级列表框5), rows);
  EXPECT_EQ(rows[0][1], dir.path().string() + "/music/song.mp3");

  // A folder text that already ends in a slash gets none added.
  ImportAudio(window, (dir / "music").string() + "/");
  EXPECT_EQ(ReadRows(window, ListView::超级列表框5), rows);

  // A cancelled dialog leaves the list as it was.
  ImportAudio(window, "");
  EXPECT_EQ(ReadRows(window, ListView::超级列表框5), rows);
}

TEST(MediaImport, OverlappingImportsOfOneListNeverMixTheirRows) {
  // Two run folders with different intro clips, imported into one window at once.
  test::TempDir dir;
  std::vector<std::string> namesA, namesB;
  // Numbers named first: GCC 12 at -O3 reports a false -Wrestrict for "a" + std::string&&.
  for (int i = 0; i < 40; ++i) {
    std::string number = std::to_string(100 + i);
    namesA.push_back("a" + number + ".mp4");
  }
  for (int i = 0; i < 60; ++i) {
    std::string number = std::to_string(100 + i);
    namesB.push_back("b" + number + ".mp4");
  }
  Touch(dir / "A/片头", namesA);
  Touch(dir / "B/片头", namesB);
  Touch(dir / "C", {"m1.mp3", "m2.mp3"});
  Touch(dir / "D", {"n1.mp3"});
  Rows rowsA = Expected(dir / "A/片头", namesA);
  Rows rowsB = Expected(dir / "B/片头", namesB);
  Rows rowsC = Expected(dir / "C", {"m1.mp3", "m2.mp3"});
  Rows rowsD = Expected(dir / "D", {"n1.mp3"});

  MemoryWindow window;
  for (int round = 0; round < 50; ++round) {
    std::thread first([&] { ImportList(window, ListView::超级列表框3, dir / "A"); });
    std::thread second([&] { ImportList(window, ListView::超级列表框3, dir / "B"); });
    std::thread third([&] { ImportAudio(window, dir / "C"); });
    ImportAudio(window, dir / "D");
    first.join();
    second.join();
    third.join();
    Rows intro = ReadRows(window, ListView::超级列表框3);
    ASSERT_TRUE(intro == rowsA || intro == rowsB) << "round " << round;
    Rows audio = ReadRows(window, ListView::超级列表框5);
    ASSERT_TRUE(audio == rowsC || audio == rowsD) << "round " << round;
  }
}

// Drops add after the existing rows: the loose files of the list's kind in
// list order first, then each dropped folder's matching files (no subfolders);
// other kinds and missing paths add nothing, and an import's limit of two
// does not apply.
TEST(MediaImport, DroppedFilesAndFoldersAddTheirMediaAsRows) {
  test::TempDir dir;
  fs::path folder = dir.path() / "拖入";
  Touch(folder, {"c.mp4", "B.mp4", "a.mp4", "note.txt", "deep/d.mp4"});
  Touch(dir.path(), {"z.mp4", "Y.MP4", "x.mp3"});
  MemoryWindow window;
  window.AppendRow(kVideoList);
  window.SetCellText(kVideoList, 0, 0, "1");
  const std::vector<fs::path> dropped = {folder, dir.path() / "z.mp4", dir.path() / "x.mp3",
                                         dir.path() / "Y.MP4", dir.path() / "missing.mp4"};
  EXPECT_EQ(AddDroppedPaths(window, kVideoList, dropped), 5);
  Rows rows = ReadRows(window, kVideoList);
  ASSERT_EQ(rows.size(), 6u);
  Rows added(rows.begin() + 1, rows.end());
  Rows expected = {{"2", (dir.path() / "Y.MP4").string(), "Y.MP4"},
                   {"3", (dir.path() / "z.mp4").string(), "z.mp4"},
                   {"4", (folder / "a.mp4").string(), "a.mp4"},
                   {"5", (folder / "B.mp4").string(), "B.mp4"},
                   {"6", (folder / "c.mp4").string(), "c.mp4"}};
  EXPECT_EQ(added, expected);
  EXPECT_EQ(AddDroppedPaths(window, kAudioList, dropped), 1);
  EXPECT_EQ(window.CellText(kAudioList, 0, 2), "x.mp3");
}

// A file that is no video or picture by its content is left out of every
// way into a list and named in the log; the limit of two counts only the
// files taken, so a text before two videos does not hide the second.
TEST(MediaImport, RefusesFilesThatAreNoMediaByTheirContentAndNamesThem) {
  test::TempDir dir;
  const fs::path videos = dir.path() / "测试视频剪辑";
  const fs::path images = dir.path() / "测试图片剪辑";
  Touch(videos, {"b.mp4", "d.mp4"});
  test::WriteFile(videos / "a.mp4", "这是一段文字，不是视频");
  test::WriteFile(videos / "c.mp4", "");
  Touch(images, {"q.jpg"});
  test::WriteFakeMedia(images / "p.jpg.mp4");
  fs::rename(images / "p.jpg.mp4", images / "p.jpg");  // a video under a picture's name
  Touch(dir.path() / "片头", {"i.mp4"});
  test::WriteFile(dir.path() / "片头" / "h.mp4", "<html></html>");
  struct Case {
    const char* what;
    ListView list;
    std::function<void(MemoryWindow&)> import;
    std::vector<std::string> rows;
    std::string log;
  } cases[] = {
      {"videos, two taken",
       kVideoList,
       [&](MemoryWindow& window) { ImportList(window, kVideoList, dir.path()); },
       {"b.mp4", "d.mp4"},
       "不是视频文件，未导入：" + (videos / "a.mp4").string() + "\r\n不是视频文件，未导入：" +
           (videos / "c.mp4").string() + "\r\n"},
      {"pictures",
       kImageList,
       [&](MemoryWindow& window) { ImportList(window, kImageList, dir.path(), true); },
       {"q.jpg"},
       "不是图片文件，未导入：" + (images / "p.jpg").string() + "\r\n"},
      {"intros on their own thread's import",
       kIntroList,
       [&](MemoryWindow& window) { ImportList(window, kIntroList, dir.path()); },
       {"i.mp4"},
       "不是视频文件，未导入：" + (dir.path() / "片头" / "h.mp4").string() + "\r\n"},
      {"dropped files",
       kVideoList,
       [&](MemoryWindow& window) {
         AddDroppedPaths(window, kVideoList, {videos / "a.mp4", videos / "b.mp4"});
       },
       {"b.mp4"},
       "不是视频文件，未导入：" + (videos / "a.mp4").string() + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryWindow window;
    c.import(window);
    std::vector<std::string> names;
    for (int row = 0; row < window.RowCount(c.list); ++row)
      names.push_back(window.CellText(c.list, row, kNameColumn));
    EXPECT_EQ(names, c.rows);
    EXPECT_EQ(window.ControlText(TextBox::编辑框_日志).substr(kDefaultLogText.size()), c.log);
  }
}

TEST(MediaImport, AllRowsLiftsTheLimitOfTwo) {
  test::TempDir dir;
  Touch(dir.path() / "测试视频剪辑", {"c.mp4", "b.mp4", "a.mp4"});
  MemoryWindow window;
  for (bool allRows : {false, true}) {
    ImportList(window, kVideoList, dir.path(), allRows);
    EXPECT_EQ(window.RowCount(kVideoList), allRows ? 3 : 2);
  }
}

}  // namespace
}  // namespace mivora
