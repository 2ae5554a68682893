// The cost table: a measured figure for exactly the seventy names.
#include "effects/effect_cost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/effect_catalogue.h"

namespace mivora {
namespace {

TEST(EffectCost, EveryEffectHasAMeasuredCostAndNothingElseHasOne) {
  for (int number = 1; number <= kEffectCount; ++number) {
    const double cost = EffectCost(EffectName(number));
    // Less than half a plain encode, or beyond ten, is no measurement.
    EXPECT_GT(cost, 0.5) << number;
    EXPECT_LT(cost, 10.0) << number;
  }
  for (const std::string& name : std::vector<std::string>
       {"特效0", EffectName(kEffectCount + 1), "特效07", "特效 1", "特效", "", "7"}) {
    EXPECT_EQ(EffectCost(name), 0.0) << name;
  }
}

}  // namespace
}  // namespace mivora
