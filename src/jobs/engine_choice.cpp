#include "jobs/engine_choice.h"

#include "jobs/onepass_engine.h"
#include "jobs/step_engine.h"

namespace mivora {

std::vector<std::string> EngineNames() {
  return kEngineNames.Names();
}

std::unique_ptr<ClipEngine> MakeEngine(EngineKind kind) {
  switch (kind) {
    case EngineKind::kOnePass:
      return std::make_unique<OnePassEngine>();
    case EngineKind::kSteps:
      return std::make_unique<StepEngine>();
  }
  return nullptr;
}

}  // namespace mivora
