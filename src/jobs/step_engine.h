// The step engine: one encoder run per cut, per effect and per assembly step,
// with the command texts the window has always used.
#pragma once

#include <filesystem>
#include <vector>

#include "jobs/clip_engine.h"

namespace mivora {

class StepEngine : public ClipEngine {
 public:
  ToolOutcome RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                      const std::filesystem::path& source,
                      const std::filesystem::path& effectAudio) override;
  ToolOutcome Assemble(ItemRun& run, const AssemblyPicks& picks) override;

 private:
  // The walk's source and cuts, for the source's sound under the segments.
  std::filesystem::path source_;
  std::vector<WalkStep> cuts_;
};

// The segments of the walk's folder, as the join takes them.
std::vector<std::filesystem::path> CollectSegments(const std::filesystem::path& tempFolder);

}  // namespace mivora
