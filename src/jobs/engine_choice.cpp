#include "jobs/engine_choice.h"

#include "jobs/onepass_engine.h"
#include "jobs/step_engine.h"

namespace mivora {

std::vector<std::string> EngineNames() { return kEngineNames.Names(); }

std::unique_ptr<ClipEngine> MakeEngine(std::string_view name) {
  std::optional<EngineKind> kind = kEngineNames.Parse(name);
  if (!kind) return nullptr;
  switch (*kind) {
    case EngineKind::kOnePass:
      return std::make_unique<OnePassEngine>();
    case EngineKind::kSteps:
      return std::make_unique<StepEngine>();
  }
  return nullptr;
}

}  // namespace mivora
