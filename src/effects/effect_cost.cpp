#include "effects/effect_cost.h"

#include <array>
#include <string>

#include "effects/effect_catalogue.h"

namespace mivora {
namespace {

// Entry k is 特效(k+1), from `effect_cost_bench --rounds 3 --tsv FILE`.
constexpr std::array<double, 70> kCosts = {{
    1.04, 1.38, 1.42, 1.27, 1.93, 1.75, 0.97, 2.74, 1.31, 0.98,  // 特效1-10
    1.30, 1.02, 1.60, 1.17, 1.53, 1.17, 1.03, 1.36, 1.35, 0.91,  // 特效11-20
    1.36, 1.42, 1.36, 1.58, 1.29, 1.32, 1.50, 1.31, 2.28, 1.11,  // 特效21-30
    1.03, 1.09, 0.97, 1.66, 1.71, 1.14, 1.24, 1.54, 1.39, 1.03,  // 特效31-40
    1.07, 1.28, 1.09, 0.97, 1.23, 0.98, 1.01, 0.95, 0.95, 1.21,  // 特效41-50
    1.28, 1.34, 1.15, 1.08, 1.14, 1.04, 1.03, 1.32, 0.98, 1.01,  // 特效51-60
    2.56, 2.72, 2.90, 2.57, 1.72, 1.10, 1.08, 1.29, 1.24, 1.08,  // 特效61-70
}};

}  // namespace

double EffectCost(std::string_view name) {
  std::string duration = EffectDuration(name);
  if (duration.empty()) return 0;
  int number = std::stoi(std::string(name.substr(std::string_view("特效").size())));
  return kCosts[static_cast<std::size_t>(number - 1)];
}

}  // namespace mivora
