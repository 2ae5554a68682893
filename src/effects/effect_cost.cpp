#include "effects/effect_cost.h"

#include <array>
#include <string>

#include "effects/effect_catalogue.h"

namespace mivora {
namespace {

// Entry k is 特效(k+1), as `effect_cost_bench --tsv FILE` measured it
// (docs/effect_cost.tsv); on a busy machine a figure is good to about a fifth.
constexpr std::array<double, kEffectCount> kCosts = {{
    1.32, 1.16, 1.26, 1.23, 1.97, 1.72, 1.00, 2.64, 1.47, 1.10,  // 特效1-10
    1.13, 0.95, 1.75, 1.06, 1.32, 0.95, 1.25, 1.17, 1.37, 1.01,  // 特效11-20
    1.39, 1.25, 1.23, 1.34, 1.82, 1.24, 1.16, 1.31, 2.26, 1.21,  // 特效21-30
    0.92, 1.00, 1.02, 1.63, 1.58, 1.50, 1.25, 1.41, 1.39, 1.10,  // 特效31-40
    1.12, 1.36, 1.04, 1.02, 1.19, 0.95, 0.98, 1.16, 1.03, 1.16,  // 特效41-50
    1.27, 1.24, 1.18, 1.07, 1.12, 1.04, 1.20, 1.09, 1.05, 1.12,  // 特效51-60
    2.48, 2.01, 2.45, 1.84, 1.76, 1.15, 1.08, 1.36, 1.19, 1.21,  // 特效61-70
}};

// A row added to the catalogue makes the table longer than its figures: the
// missing ones read as zero, and this stops the build until it is measured.
constexpr bool EveryEffectMeasured() {
  for (double cost : kCosts) {
    if (cost <= 0) return false;
  }
  return true;
}
static_assert(EveryEffectMeasured(), "every effect of the catalogue needs its measured cost");

}  // namespace

double EffectCost(std::string_view name) {
  std::string duration = EffectDuration(name);
  if (duration.empty()) return 0;
  int number = std::stoi(std::string(name.substr(std::string_view("特效").size())));
  return kCosts[static_cast<std::size_t>(number - 1)];
}

}  // namespace mivora
