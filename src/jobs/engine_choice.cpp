#include "jobs/engine_choice.h"

#include "jobs/onepass_engine.h"

namespace mivora {

std::vector<std::string> EngineNames() {
  return {"onepass", "steps"};
}

std::unique_ptr<ClipEngine> MakeEngine(std::string_view name) {
  if (name == "onepass") return std::make_unique<OnePassEngine>();
  if (name == "steps") return std::make_unique<StepEngine>();
  return nullptr;
}

}  // namespace mivora
