// The engines a run can be carried out with, made from their names: each
// front offers the names of the engine table and the core makes the engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jobs/clip_engine.h"
#include "jobs/engine_names.h"

namespace mivora {

// Every name MakeEngine accepts, in the order the help text lists them.
std::vector<std::string> EngineNames();

// A fresh engine of `kind` for one item.
std::unique_ptr<ClipEngine> MakeEngine(EngineKind kind);

}  // namespace mivora
