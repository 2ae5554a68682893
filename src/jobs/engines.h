// The engines a run can drive the encoder with, by name.
#pragma once

#include <memory>
#include <string_view>

#include "jobs/clip_engine.h"

namespace mivora {

// "steps": one encoder run per cut, effect and assembly step; "onepass": one
// encoder run per item. Any other name gives no engine.
std::unique_ptr<ClipEngine> MakeEngine(std::string_view name);

}  // namespace mivora
