#include "runner/text.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

using Pieces = std::vector<std::string>;

TEST(SplitText, KeepsInnerEmptyPiecesAndDropsTrailingOne) {
  struct Case {
    std::string text, separator;
    Pieces expected;
  } cases[] = {
      {"", "\r\n", {}},
      {"a\r\n\r\nb", "\r\n", {"a", "", "b"}},
      {"a\r\n", "\r\n", {"a"}},
      {"\r\n", "\r\n", {""}},
      {"\r\na", "\r\n", {"", "a"}},
      {"2-2-&&&特效1-特效2-", "&&&", {"2-2-", "特效1-特效2-"}},
      {"特效1-xyz-特效2", "-", {"特效1", "xyz", "特效2"}},
      {"-特效1", "-", {"", "特效1"}},
      {"&&&", "&&&", {""}},
      {"abc", "-", {"abc"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitText(c.text, c.separator), c.expected) << c.text;
}

TEST(SplitText, NeverCutsInsideAMultiByteCharacter) {
  // "特" is E7 89 B9; a separator equal to its tail bytes must not match there.
  std::string tail = "\x89\xB9";
  EXPECT_EQ(SplitText("特x", tail), Pieces{"特x"});
}

TEST(ReplacePairs, ReplacesEveryOccurrenceOrTheFirstOnly) {
  std::string text = "a【多视频】b【多视频】";
  EXPECT_EQ(ReplacePairs(text, {{"【多视频】", "R"}}), "aRbR");
  EXPECT_EQ(ReplacePairs(text, {{"【多视频】", "R"}}, {.maxCount = 1}), "aRb【多视频】");
}

TEST(ReplacePairs, FoldsAsciiCaseOnlyWhenAsked) {
  EXPECT_EQ(ReplacePairs("x d:\\OUT.GIF", {{"D:\\out.gif", "Y"}}), "x Y");
  EXPECT_EQ(ReplacePairs("x d:\\OUT.GIF", {{"D:\\out.gif", "Y"}}, {.matchCase = true}),
            "x d:\\OUT.GIF");
  // No folding outside ASCII: full-width letters stay different.
  EXPECT_EQ(ReplacePairs("Ａ", {{"ａ", "b"}}), "Ａ");
}

TEST(ReplacePairs, AppliesPairsInOrderWithoutRescanningAReplacement) {
  EXPECT_EQ(ReplacePairs("aa", {{"a", "aa"}}), "aaaa");
  EXPECT_EQ(ReplacePairs("ab", {{"a", "b"}, {"b", "c"}}), "cc");
  EXPECT_EQ(ReplacePairs("", {{"a", "b"}}), "");
  EXPECT_EQ(ReplacePairs("abc", {{"", "x"}}), "abc");
  EXPECT_EQ(ReplacePairs("abab", {{"ab", "x"}}, {.start = 2}), "abx");
}

TEST(ReplacePairs, NeverMatchesInsideAMultiByteCharacter) {
  std::string tail = "\x89\xB9";
  EXPECT_EQ(ReplacePairs("特", {{tail, "!"}}), "特");
}

TEST(TextSearch, CaseRules) {
  EXPECT_EQ(FindText("xMOVIE=d\\\\:/1.mp4", "movie=D\\\\:/1.mp4", 0, false), 1u);
  EXPECT_EQ(FindText("input link in0:v0", "Input link", 0, true), std::string_view::npos);
  EXPECT_TRUE(EndsWithIgnoreAsciiCase("CLIP.MP4", ".mp4"));
  EXPECT_FALSE(EndsWithIgnoreAsciiCase("mp4", ".mp4"));
}

}  // namespace
}  // namespace mivora
