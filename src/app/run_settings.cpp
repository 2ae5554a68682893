#include "app/run_settings.h"

#include <algorithm>
#include <optional>

namespace mivora {

std::string EngineCaption(std::string_view name) {
  std::optional<EngineKind> kind = kEngineNames.Parse(name);
  if (!kind) return std::string(name);
  switch (*kind) {
    case EngineKind::kOnePass:
      return "一次编码（更快）";
    case EngineKind::kSteps:
      return "分步处理";
  }
  return std::string(name);
}

int ItemLimit(const RunSettings& settings) {
  return settings.allItems ? -1 : 2;
}

void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs) {
  inputs.engine = settings.engine;
  inputs.jobs = std::clamp(settings.jobs, 1, std::max(1, cores));
  inputs.ownWorkFolders = inputs.jobs > 1;
  inputs.stallTimeoutMs = std::max(0, settings.stallTimeoutSeconds) * 1000;
  inputs.fit = settings.fit;
  inputs.variants = std::clamp(settings.variants, 1, kMaxVariants);
  inputs.skipExisting = settings.skipExisting;
}

}  // namespace mivora
