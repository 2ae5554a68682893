#include "jobs/clip_time.h"

#include <gtest/gtest.h>

#include "jobs/walk_plan.h"
#include "runner/text.h"

namespace mivora {
namespace {

TEST(ClipTime, WritesHoursMinutesSeconds) {
  std::pair<int, const char*> cases[] = {{0, "0:0:0.0"},    {2, "0:0:2.0"},    {59, "0:0:59.0"},
                                         {60, "0:1:0.0"},   {75, "0:1:15.0"},  {3599, "0:59:59.0"},
                                         {3600, "1:0:0.0"}, {3725, "1:2:5.0"}, {90000, "25:0:0.0"}};
  for (auto [seconds, text] : cases) EXPECT_EQ(ClipTime(seconds), text);
}

// Steps as "c<segment>:<start>+<length>" and "r<segment>:<effect>".
std::string Describe(const std::vector<WalkStep>& steps) {
  std::string text;
  for (const WalkStep& s : steps) {
    if (!text.empty()) text += " ";
    // Named first: GCC 12 at -O3 reports a false -Wrestrict for "c" + std::string&&.
    std::string segment = std::to_string(s.segment);
    if (s.kind == WalkStep::Kind::kCut) {
      text += "c" + segment + ":" + std::to_string(s.startSeconds) + "+" +
              std::to_string(s.lengthSeconds);
    } else {
      text += "r" + segment + ":" + s.effect;
    }
  }
  return text;
}

std::string Plan(int seconds, const std::string& durations, const std::string& names,
                 bool render = true) {
  return Describe(PlanWalk(seconds, SplitText(durations, "-"), SplitText(names, "-"), render));
}

TEST(PlanWalk, FollowsTheEffectsAlongTheSource) {
  const std::string names = "A-B-C-D-E-F";
  EXPECT_EQ(Plan(20, "2-1-3-3-2-3", names),
            "c1:0+2 r1:A c2:2+1 r2:B c3:3+3 r3:C c4:6+3 r4:D c5:9+2 r5:E c6:11+3 r6:F c7:14+6");
  EXPECT_EQ(Plan(14, "2-1-3-3-2-3", names),
            "c1:0+2 r1:A c2:2+1 r2:B c3:3+3 r3:C c4:6+3 r4:D c5:9+2 r5:E c6:11+3 r6:F");
  // An effect that would run past the end gets the rest and ends the walk.
  EXPECT_EQ(Plan(5, "2-1-3-3-2-3", names), "c1:0+2 r1:A c2:2+1 r2:B c3:3+2 r3:C");
  EXPECT_EQ(Plan(0, "2-1-3-3-2-3", names), "");
  EXPECT_EQ(Plan(1, "2-1", "A-B"), "c1:0+1 r1:A");
  EXPECT_EQ(Plan(4, "2-1", "A-B"), "c1:0+2 r1:A c2:2+1 r2:B c3:3+1");
  EXPECT_EQ(Plan(4, "2-1", "A-B", false), "c1:0+2 c2:2+1 c3:3+1");
}

TEST(PlanWalk, EmptyDurationsReachTheirUnknownNames) {
  // An unknown name inside a line is reached with length 0 and fails there.
  EXPECT_EQ(Plan(10, "2--2", "特效1-xyz-特效2"),
            "c1:0+2 r1:特效1 c2:2+0 r2:xyz c3:2+2 r3:特效2 c4:4+6");
  // One at the end has no duration piece and is never reached.
  EXPECT_EQ(Plan(2, "2-", "特效1-xyz"), "c1:0+2 r1:特效1");
}

}  // namespace
}  // namespace mivora
