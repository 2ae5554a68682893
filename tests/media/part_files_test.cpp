// Part files are named one way for every writer, and every name so made is
// one the leftover sweep recognises, while files of the user's never are.
#include "media/part_files.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(PartFiles, NamedBesideTheFinishedFileAndRecognised) {
  struct Case {
    std::filesystem::path finished;
    std::string_view prefix;
    std::filesystem::path part;
  } made[] = {
      {"/h/生成视频剪辑/a.mp4", ".mivora-run1_00ab-",
       "/h/生成视频剪辑/.mivora-run1_00ab-a.mp4.part.mp4"},
      {"/out/clip.mov", kPartFileStart, "/out/.mivora-clip.mov.part.mov"},
      {"relative/名字 有空格.mp4", kPartFileStart, "relative/.mivora-名字 有空格.mp4.part.mp4"},
  };
  for (const Case& c : made) {
    SCOPED_TRACE(c.finished.string());
    std::filesystem::path part = PartFilePath(c.finished, c.prefix);
    EXPECT_EQ(part, c.part);
    EXPECT_TRUE(IsPartFileName(part.filename().string()));
    EXPECT_FALSE(IsPartFileName(c.finished.filename().string()));
  }
  for (std::string_view name : {"a.part.mp4", ".mivora-probe-12-0", "mivora-a.mp4.part.mp4", ""}) {
    EXPECT_FALSE(IsPartFileName(name)) << name;
  }
}

}  // namespace
}  // namespace mivora
