// What each effect costs when the one-pass engine renders it: the CPU time of
// one stretch through the effect, as a multiple of a plain encode of the same
// seconds of the same source. Measured by bench/effect_cost_bench; the table
// and how it was taken are in docs/performance.md.
#pragma once

#include <string_view>

namespace mivora {

// The effect's cost (1.0: as much as a plain encode), or 0 when `name` is not
// one of the seventy names.
double EffectCost(std::string_view name);

}  // namespace mivora
