// The time left follows the pace of the work done: the run's start and the
// outputs it skipped do not slow it, a pause does not move it, a change of
// pace moves it smoothly, and heavier effects weigh more.
#include "app/run_estimate.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "effects/effect_cost.h"

namespace mivora {
namespace {

TEST(RunEstimate, TellsTheTimeLeftFromThePaceOfTheWorkDone) {
  // A report of work (done >= 0) or, with done < 0, a look at the clock.
  struct Step {
    double at;
    double done;
    double total;
    std::optional<double> left;  // what a look says; nothing: not yet known
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  } cases[] = {
      {"nothing is told before any work",
       {{0, 0, 10, {}}, {0, -1, 0, std::nullopt}, {6, -1, 0, std::nullopt}}},
      {"nor in the first two seconds of work",
       {{0, 1, 10, {}}, {1, 2, 10, {}}, {1, -1, 0, std::nullopt}}},
      // Four seconds of checks and skipped outputs, then 1.5 more in 3 s.
      {"the time before the first work is not counted",
       {{0, 0, 10, {}}, {4, 0, 10, {}}, {5, 0.5, 10, {}}, {8, 2, 10, {}}, {8, -1, 0, 16.0}}},
      // Looked at during a pause: the working clock stands, so does the estimate.
      {"a pause does not move it",
       {{0, 1, 10, {}}, {3, 3, 10, {}}, {3, -1, 0, 10.5}, {3, -1, 0, 10.5}, {3, -1, 0, 10.5}}},
      // Steady work: a second later a second less.
      {"steady work counts down by the second",
       {{0, 1, 11, {}}, {4, 5, 11, {}}, {4, -1, 0, 6.0}, {5, 6, 11, {}}, {5, -1, 0, 5.0}}},
      // The pace goes up: on the next look the new estimate counts for 0.3.
      {"a change of pace moves it smoothly",
       {{0, 1, 10, {}},
        {4, 3, 10, {}},
        {4, -1, 0, 14.0},
        {5, 4.5, 10, {}},
        {5, -1, 0, 0.7 * (14.0 - 1) + 0.3 * (5.5 * 5 / 3.5)}}},
      {"all done leaves nothing", {{0, 1, 4, {}}, {3, 4, 4, {}}, {3, -1, 0, 0.0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunEstimate estimate;
    for (const Step& step : c.steps) {
      if (step.done >= 0) {
        estimate.SetWork(step.done, step.total, step.at);
        continue;
      }
      std::optional<double> left = estimate.SecondsLeft(step.at);
      ASSERT_EQ(left.has_value(), step.left.has_value()) << step.at;
      if (left) {
        EXPECT_NEAR(*left, *step.left, 1e-9) << step.at;
      }
    }
  }
}

TEST(RunEstimate, WeighsAnOutputByItsEffectsCostsAndSeconds) {
  // 特效12 lasts 2 s, 特效29 1 s (the catalogue's lengths).
  EXPECT_DOUBLE_EQ(OutputWork("特效12"), EffectCost("特效12") * 2);
  EXPECT_DOUBLE_EQ(OutputWork("特效12-特效29"), 2 * EffectCost("特效12") + EffectCost("特效29"));
  // An unknown name weighs nothing, as it renders nothing.
  EXPECT_DOUBLE_EQ(OutputWork("特效12-特效99"), OutputWork("特效12"));
  EXPECT_DOUBLE_EQ(OutputWork(""), 0);
  EXPECT_DOUBLE_EQ(GuessedOutputWork({"特效12", "", "特效12-特效29"}),
                   (OutputWork("特效12") + OutputWork("特效12-特效29")) / 2);
  EXPECT_DOUBLE_EQ(GuessedOutputWork({}), 0);
  RunEstimate reset;
  reset.SetWork(1, 2, 0);
  reset.Reset();
  EXPECT_EQ(reset.SecondsLeft(10), std::nullopt);
}

}  // namespace
}  // namespace mivora
