// The names of the engines a run can be carried out with, one table read
// both ways, and the one default every front starts with.
#pragma once

#include <string_view>

#include "jobs/name_table.h"

namespace mivora {

enum class EngineKind {
  kOnePass,  // one filter graph and one encoder run per item, steps behind it
  kSteps,    // one encoder run per cut, effect and assembly step
};

inline constexpr NameTable<EngineKind, 2> kEngineNames({{
    {EngineKind::kOnePass, "onepass"},
    {EngineKind::kSteps, "steps"},
}});

// The engine a run uses when a front names none.
inline constexpr EngineKind kDefaultEngineKind = EngineKind::kOnePass;
inline constexpr std::string_view kDefaultEngine = kEngineNames.NameOf(kDefaultEngineKind);

}  // namespace mivora
