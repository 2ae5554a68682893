#include "jobs/engines.h"

#include "jobs/onepass_engine.h"

namespace mivora {

std::unique_ptr<ClipEngine> MakeEngine(std::string_view name) {
  if (name == "steps") return std::make_unique<StepEngine>();
  if (name == "onepass") return std::make_unique<OnePassEngine>();
  return nullptr;
}

}  // namespace mivora
