#include "cli/engine_choice.h"

namespace mivora {

std::vector<std::string> EngineNames() {
  return {"steps"};
}

std::unique_ptr<ClipEngine> MakeEngine(std::string_view name) {
  if (name == "steps") return std::make_unique<StepEngine>();
  return nullptr;
}

}  // namespace mivora
