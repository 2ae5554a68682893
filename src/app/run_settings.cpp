#include "app/run_settings.h"

#include <algorithm>

namespace mivora {

int ItemLimit(const RunSettings& settings) {
  return settings.allItems ? -1 : 2;
}

void ApplyRunSettings(const RunSettings& settings, int cores, JobInputs& inputs) {
  inputs.engine = settings.onePass ? "onepass" : "steps";
  inputs.jobs = std::clamp(settings.jobs, 1, std::max(1, cores));
  inputs.ownWorkFolders = inputs.jobs > 1;
  inputs.stallTimeoutMs = std::max(0, settings.stallTimeoutSeconds) * 1000;
  inputs.fit = settings.fit;
  inputs.variants = std::clamp(settings.variants, 1, kMaxVariants);
  inputs.skipExisting = settings.skipExisting;
}

}  // namespace mivora
