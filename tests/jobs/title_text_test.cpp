// Titles without the encoder: reading a title list, laying a title out to the
// picture, the filter that draws it, and which title each version draws.
#include "jobs/title_text.h"

#include <gtest/gtest.h>

#include <set>

#include "jobs/version_picks.h"
#include "runner/text.h"

namespace mivora {
namespace {

TEST(ParseTitleList, OneTitlePerLineWithoutBlanksOrRepeats) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> titles;
  };
  const std::vector<Case> cases = {
      {"empty", "", {}},
      {"bom, crlf and a last line without its end",
       "\xEF\xBB\xBF第一条\r\n第二条\r\nthird",
       {"第一条", "第二条", "third"}},
      {"blank and white lines", "\n  \n\t\na\n\n", {"a"}},
      {"a literal \\n is a second line", "上新\\n限时折扣\n", {"上新\n限时折扣"}},
      {"a line of only \\n is blank", "\\n\nb", {"b"}},
      {"repeats count once", "a\nb\na\r\n", {"a", "b"}},
      {"a bom inside is kept",
       "a\n\xEF\xBB\xBF"
       "b",
       {"a",
        "\xEF\xBB\xBF"
        "b"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseTitleList(c.text), c.titles) << c.what;
}

int CountOf(std::string_view text, std::string_view what) {
  int count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(LayOutTitle, WrapsInsideThePictureAndShrinksLongTitles) {
  struct Case {
    const char* what;
    std::string title;
    int lines;         // 0: at least two
    int fontSize;      // 0: any
    std::string text;  // empty: not compared
  };
  const std::vector<Case> cases = {
      {"short stays one line at the largest size", "新品上市", 1, kTitleLargestSize, "新品上市"},
      {"60 CJK characters wrap between any two, a size smaller", Repeat("文", 60), 5, 52, ""},
      {"Latin wraps between words", "the quick brown fox jumps over the lazy dog again and again",
       3, kTitleLargestSize, "the quick brown fox\njumps over the lazy\ndog again and again"},
      {"a word wider than a line is cut", Repeat("x", 40), 3, kTitleLargestSize, ""},
      {"closing punctuation never starts a line", Repeat("文", 11) + "，好", 2, kTitleLargestSize,
       Repeat("文", 10) + "\n文，好"},
      {"an explicit line break and blank ends", "\n第一行\n\n第二行\n", 3, kTitleLargestSize,
       "第一行\n\n第二行"},
      {"control characters and stray bytes", "a\tb\x01\xFFz", 1, kTitleLargestSize,
       "a b \xEF\xBF\xBDz"},
      {"2,000 characters end in an ellipsis at the smallest size", Repeat("长", 2000), 0,
       kTitleSmallestSize, ""},
  };
  for (const Case& c : cases) {
    TitleLayout layout = LayOutTitle(c.title);
    std::vector<std::string> lines = SplitText(layout.text, "\n");
    EXPECT_EQ(static_cast<int>(lines.size()), layout.lines) << c.what;
    EXPECT_TRUE(c.lines > 0 ? layout.lines == c.lines : layout.lines >= 2) << c.what;
    EXPECT_TRUE(c.fontSize == 0 || layout.fontSize == c.fontSize) << c.what;
    EXPECT_TRUE(c.text.empty() || layout.text == c.text) << c.what << ": " << layout.text;
    for (const std::string& line : lines) {
      EXPECT_LE(EstimatedWidth(line, layout.fontSize), kTitleMaxWidth) << c.what << ": " << line;
    }
    // Nothing is lost but what an ellipsis stands for.
    const bool cutShort = CountOf(layout.text, "…") > 0;
    if (!cutShort) {
      EXPECT_EQ(CountOf(layout.text, "文"), CountOf(c.title, "文")) << c.what;
      EXPECT_EQ(CountOf(layout.text, "x"), CountOf(c.title, "x")) << c.what;
    }
    EXPECT_EQ(cutShort, c.fontSize == kTitleSmallestSize) << c.what;
  }
  // The CJK lines fill the width: 648 / 52 = 12 characters each.
  EXPECT_EQ(SplitText(LayOutTitle(Repeat("文", 60)).text, "\n")[0], Repeat("文", 12));
  // Emoji and a joined sequence are never cut between their parts' bytes.
  TitleLayout emoji = LayOutTitle(Repeat("😀👍🏽", 20));
  for (const std::string& line : SplitText(emoji.text, "\n")) {
    EXPECT_EQ(line.size() % 4, 0u) << line;
  }
}

TEST(TitleFilter, DrawsTheFileAsItIsAtItsAnchor) {
  CjkFont font{"Noto Sans CJK SC", "/f.ttc", ""};
  struct Case {
    WatermarkPosition position;
    TitleStyle style;
    std::vector<std::string> parts;
  };
  const std::vector<Case> cases = {
      {WatermarkPosition::kTop,
       TitleStyle::kOutline,
       {"expansion=none", ":fontsize=56:", ":x=(w-text_w)/2:y=72", ":borderw=4:"}},
      {WatermarkPosition::kBottomLeft,
       TitleStyle::kBox,
       {":x=36:y=h-text_h-72", ":box=1:boxcolor=black@0.5"}},
  };
  for (const Case& c : cases) {
    TitleOptions options{true, c.position, c.style};
    std::string filter = TitleFilter(options, 56, font, "/w/it's:1.txt");
    EXPECT_TRUE(filter.starts_with("drawtext=font=Noto\\\\\\ Sans\\\\\\ CJK\\\\\\ SC:textfile="))
        << filter;
    EXPECT_NE(filter.find("it\\\\\\'s\\\\:1.txt"), std::string::npos) << filter;
    for (const std::string& part : c.parts) EXPECT_NE(filter.find(part), std::string::npos) << part;
  }
  for (const char* name : {"outline", "box"}) {
    ASSERT_TRUE(ParseTitleStyle(name).has_value()) << name;
    EXPECT_EQ(TitleStyleName(*ParseTitleStyle(name)), name);
  }
  EXPECT_FALSE(ParseTitleStyle("Box").has_value());
  EXPECT_EQ(TitleProblem({true, WatermarkPosition::kTop, TitleStyle::kBox}, {}),
            "已开启加文案，但文案列表是空的");
  EXPECT_EQ(TitleProblem({true, WatermarkPosition::kTop, TitleStyle::kBox}, {"t"}), "");
  EXPECT_EQ(TitleProblem({false, WatermarkPosition::kTop, TitleStyle::kBox}, {}), "");
}

FrontChoices WithTitles(int titles, int audios) {
  FrontChoices choices;
  for (int i = 0; i < audios; ++i) choices.audios.push_back("/a/" + std::to_string(i));
  for (int i = 0; i < titles; ++i) choices.titles.push_back("标题" + std::to_string(i));
  return choices;
}

TEST(DrawVersion, VersionsDrawDifferentTitlesWhileThereAreEnough) {
  struct Case {
    const char* what;
    int titles;
    int audios;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"three titles, one of everything else", 3, 1, {"特效7"}},
      {"titles and audio sharing a factor", 4, 2, {"特效7", "特效8"}},
      {"fewer titles than clip combinations", 2, 3, {"特效7", "特效8"}},
      {"more titles than versions drawn", 40, 1, {"特效7"}},
  };
  for (const Case& c : cases) {
    const FrontChoices choices = WithTitles(c.titles, c.audios);
    const PickSpace space = SpaceOf(choices, true, c.lines);
    ASSERT_EQ(space.titles, static_cast<std::uint64_t>(c.titles)) << c.what;
    const int pairs = static_cast<int>(std::min<std::uint64_t>(space.Combinations(), 30));
    std::set<std::string> titles;
    std::set<std::pair<std::string, std::string>> seen;
    for (int k = 1; k <= pairs; ++k) {
      VersionPicks picks = DrawVersion(choices, true, c.lines, 9, k);
      if (k <= c.titles) {
        EXPECT_TRUE(titles.insert(picks.clips.title).second) << c.what << " version " << k;
      }
      std::string rest = picks.effectLine + "|" + picks.clips.audio;
      EXPECT_TRUE(seen.insert({rest, picks.clips.title}).second) << c.what << " version " << k;
      EXPECT_EQ(picks.clips.title, DrawVersion(choices, true, c.lines, 9, k).clips.title) << c.what;
    }
  }
  // A title list that is switched off changes no version and draws no title.
  for (int k = 1; k <= 6; ++k) {
    VersionPicks off = DrawVersion(WithTitles(3, 3), false, {"特效7", "特效8"}, 4, k);
    VersionPicks none = DrawVersion(WithTitles(0, 3), false, {"特效7", "特效8"}, 4, k);
    EXPECT_EQ(off.effectLine + off.clips.audio, none.effectLine + none.clips.audio) << k;
    EXPECT_EQ(off.clips.title, "");
  }
  // Another seed, another order of titles.
  std::vector<std::string> one, other;
  for (int k = 1; k <= 5; ++k) {
    one.push_back(DrawVersion(WithTitles(5, 1), true, {"特效7"}, 1, k).clips.title);
    other.push_back(DrawVersion(WithTitles(5, 1), true, {"特效7"}, 2, k).clips.title);
  }
  EXPECT_NE(one, other);
}

}  // namespace
}  // namespace mivora
