// The effect code: cutting it into lines, picking a line and expanding it.
#include "effects/effect_code.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace mivora {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitEffectCode, Lines) {
  const std::vector<std::pair<std::string, Lines>> cases = {
      {"", {}},
      {"特效1", {"特效1"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\nb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"\r\n", {""}},
      {"\n\n", {"", ""}},
  };
  for (const auto& [code, lines] : cases) EXPECT_EQ(SplitEffectCode(code), lines) << code;
}

// Every name of every line is looked up exactly; empty lines are allowed,
// empty names are not.
TEST(FirstUnknownEffect, NamesTheFirstNameOutsideTheCatalogue) {
  const std::optional<std::string> none;
  const std::vector<std::pair<Lines, std::optional<std::string>>> cases = {
      {{"特效12-特效29-特效38"}, none},
      {{"", "特效1", ""}, none},
      {{}, none},
      {{"特效12-特效99"}, "特效99"},
      {{"特效99"}, "特效99"},
      {{"特效1", "特效2-特效71-特效0"}, "特效71"},
      {{"特效1-特效 2"}, "特效 2"},
      {{"特效01"}, "特效01"},
      {{"特效1-"}, none},  // a final "-" ends the line, as the cut reads it
      {{"-特效1"}, ""},
      {{"特效1--特效2"}, ""},
  };
  for (const auto& [lines, unknown] : cases) {
    EXPECT_EQ(FirstUnknownEffect(lines), unknown) << (lines.empty() ? "" : lines.back());
  }
}

TEST(PickEffectLine, ExpandsNamesIntoDurations) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"特效12-特效29-特效38-特效66-特效63-特效64",
       "2-1-3-3-2-3&&&特效12-特效29-特效38-特效66-特效63-特效64"},
      {"特效24-特效29-特效38-特效12-特效63-特效64",
       "2-1-3-2-2-3&&&特效24-特效29-特效38-特效12-特效63-特效64"},
      {"特效1-特效12-特效1", "2-2-2&&&特效1-特效12-特效1"},
      {"特效56", "4&&&特效56"},
      {"特效1-特效2-", "2-2-&&&特效1-特效2-"},
      {"特效1-xyz-特效2", "2--2&&&特效1-xyz-特效2"},
      {"特效1-xyz", "2-&&&特效1-xyz"},
      {"-特效1", "-2&&&-特效1"},
      // The name "2" is no effect; it removes the first "2" of the working
      // text, which is already the duration of 特效1.
      {"特效1-2", "-2&&&特效1-2"},
      {"特效1--特效71", "2--&&&特效1--特效71"},
  };
  RandomSource random(42);
  for (const auto& [line, combined] : cases) {
    EXPECT_EQ(PickEffectLine({line}, random), combined) << line;
  }
}

TEST(PickEffectLine, ExpandedHalvesSplitAsTheSegmentPassReadsThem) {
  RandomSource random(1);
  EffectPick pick = SplitPick(PickEffectLine({"特效1-xyz-特效2"}, random));
  EXPECT_EQ(pick.durations, "2--2");
  EXPECT_EQ(pick.names, "特效1-xyz-特效2");

  pick = SplitPick("&&&");
  EXPECT_EQ(pick.durations, "");
  EXPECT_EQ(pick.names, "");
  pick = SplitPick("");
  EXPECT_EQ(pick.durations, "");
  EXPECT_EQ(pick.names, "");
}

TEST(PickEffectLine, PicksWithTheReseededGenerator) {
  const Lines lines = {"特效1", "特效7", "特效21", "特效56", "特效9"};
  const std::vector<std::string> durations = {"2", "1", "3", "4", "2"};
  for (std::uint32_t tick : {0u, 17u, 123456u, 0xFFFFFFF0u}) {
    RandomSource random(tick);
    RandomSource reference(tick);
    for (int round = 0; round < 4; ++round) {
      reference.Reseed();
      auto index = static_cast<std::size_t>(reference.Next() % 5);
      EXPECT_EQ(PickEffectLine(lines, random), durations[index] + "&&&" + lines[index]);
    }
  }
}

TEST(PickEffectLine, OneCandidateDrawsNoValue) {
  // Empty lines are no candidates, so each of these has exactly one.
  for (const Lines& lines : {Lines{"特效3"}, Lines{"", "特效3"}, Lines{"特效3", "", ""}}) {
    RandomSource random(500);
    RandomSource reference(500);
    EXPECT_EQ(PickEffectLine(lines, random), "2&&&特效3");
    reference.Reseed();
    EXPECT_EQ(random.Next(), reference.Next());
  }
}

TEST(PickEffectLine, EmptyLinesArePickedOnlyWhenAllAreEmpty) {
  for (std::uint32_t tick = 0; tick < 50; ++tick) {
    RandomSource random(tick * 7919);
    EXPECT_EQ(PickEffectLine({"", "特效9", "", "特效17", ""}, random).find("&&&特效"), 1u);
  }
  RandomSource random(3);
  EXPECT_EQ(PickEffectLine({""}, random), "&&&");
  EXPECT_EQ(PickEffectLine({"", ""}, random), "&&&");
}

}  // namespace
}  // namespace mivora
