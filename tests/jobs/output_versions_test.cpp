// The versions of a source: the names they are written under and the tuples
// of picks they are made with.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "jobs/output_names.h"
#include "jobs/version_picks.h"

namespace mivora {
namespace {

TEST(NameOutputs, VersionsNeverShareANameNorTakeAnotherSourcesName) {
  struct Case {
    const char* what;
    std::vector<std::string> plain;
    int variants;
    std::vector<std::vector<std::string>> names;
    std::size_t notes;
  };
  const std::vector<Case> cases = {
      {"one version keeps the name", {"a.mp4", "b.mp4"}, 1, {{"a.mp4"}, {"b.mp4"}}, 0},
      {"k-th version numbered", {"a.mp4"}, 3, {{"a-1.mp4", "a-2.mp4", "a-3.mp4"}}, 0},
      {"a source named like a version",
       {"a.mp4", "a-1.mp4"},
       2,
       {{"a-1_2.mp4", "a-2.mp4"}, {"a-1-1.mp4", "a-1-2.mp4"}},
       1},
      {"two stills with one video name", {"x.mp4", "x.mp4"}, 1, {{"x.mp4"}, {"x_2.mp4"}}, 1},
      {"no extension", {"clip"}, 2, {{"clip-1", "clip-2"}}, 0},
  };
  for (const Case& c : cases) {
    OutputNames named = NameOutputs(c.plain, c.variants);
    EXPECT_EQ(named.names, c.names) << c.what;
    ASSERT_EQ(named.notes.size(), c.notes) << c.what;
    if (c.notes > 0) {
      EXPECT_NE(named.notes[0].find("重名："), std::string::npos) << c.what;
    }
  }
}

FrontChoices Lists(int intros, int overlays, int audios) {
  FrontChoices choices;
  choices.intro = intros > 0;
  for (int i = 0; i < intros; ++i) choices.intros.push_back("/i/" + std::to_string(i));
  for (int i = 0; i < overlays; ++i) choices.blackScreens.push_back("/o/" + std::to_string(i));
  for (int i = 0; i < audios; ++i) choices.audios.push_back("/a/" + std::to_string(i));
  return choices;
}

using Tuple = std::tuple<std::string, std::string, std::string, std::string, std::string>;

Tuple TupleOf(const VersionPicks& picks) {
  return {picks.effectLine, picks.clips.intro, picks.clips.outro, picks.clips.overlay,
          picks.clips.audio};
}

TEST(DrawVersion, VersionsDifferUntilEveryCombinationIsUsed) {
  struct Case {
    const char* what;
    FrontChoices choices;
    std::vector<std::string> lines;
    std::uint64_t combinations;
  };
  const std::vector<Case> cases = {
      {"audio only differs", Lists(0, 1, 3), {"特效7"}, 3},
      {"lines, repeated ones count once", Lists(0, 1, 1), {"特效7", "", "特效8", "特效7"}, 2},
      {"everything", Lists(2, 3, 2), {"特效7", "特效8"}, 24},
      {"switched-off intro is no choice",
       [] {
         FrontChoices c = Lists(4, 1, 2);
         c.intro = false;
         return c;
       }(),
       {"特效7"},
       2},
      {"beyond the shuffled space", Lists(50, 50, 50), {"特效7", "特效8"}, 250000},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(SpaceOf(c.choices, false, c.lines).Combinations(), c.combinations) << c.what;
    const int versions = static_cast<int>(std::min<std::uint64_t>(c.combinations, 30));
    std::set<Tuple> seen;
    for (int k = 1; k <= versions; ++k) {
      VersionPicks picks = DrawVersion(c.choices, false, c.lines, 77, k);
      EXPECT_TRUE(seen.insert(TupleOf(picks)).second) << c.what << " version " << k;
      EXPECT_EQ(TupleOf(picks), TupleOf(DrawVersion(c.choices, false, c.lines, 77, k)))
          << c.what << ": a version depends only on seed and number";
      if (!c.choices.intro) {
        EXPECT_TRUE(picks.clips.intro.empty()) << c.what;
      }
    }
    // Past the combinations, versions repeat earlier ones.
    if (c.combinations <= 30) {
      EXPECT_EQ(TupleOf(DrawVersion(c.choices, false, c.lines, 77, versions + 1)),
                TupleOf(DrawVersion(c.choices, false, c.lines, 77, 1)))
          << c.what;
    }
  }
  // Another seed orders the combinations otherwise.
  FrontChoices many = Lists(5, 5, 5);
  std::vector<Tuple> one, other;
  for (int k = 1; k <= 5; ++k) {
    one.push_back(TupleOf(DrawVersion(many, false, {"特效7"}, 1, k)));
    other.push_back(TupleOf(DrawVersion(many, false, {"特效7"}, 2, k)));
  }
  EXPECT_NE(one, other);
}

}  // namespace
}  // namespace mivora
