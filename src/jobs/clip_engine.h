// How the encoder is driven for one item. The jobs decide (walk, picks,
// reports); an engine carries the decisions out. The step engine runs one
// encoder per cut, effect and assembly step.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "jobs/job_context.h"
#include "jobs/walk_plan.h"

namespace mivora {

class ClipEngine {
 public:
  virtual ~ClipEngine() = default;

  // Carries out the walk over `source`; returns the last outcome, which is
  // "输出成功" only when every run succeeded (an empty walk is a failure).
  // `effectAudio` is the audio file for effects that loop one.
  virtual std::string RunWalk(JobContext& ctx, int item, const std::vector<WalkStep>& steps,
                              const std::filesystem::path& source,
                              const std::filesystem::path& effectAudio) = 0;

  // Joins the walk's segments with the picks, keys the overlay, lays the audio
  // under it and writes `outputName` into the picks' output folder. Returns
  // "输出成功" or the failure text of the step that failed (its log line is
  // already written).
  virtual std::string Assemble(JobContext& ctx, int item, const AssemblyPicks& picks,
                               const std::string& outputName) = 0;
};

class StepEngine : public ClipEngine {
 public:
  std::string RunWalk(JobContext& ctx, int item, const std::vector<WalkStep>& steps,
                      const std::filesystem::path& source,
                      const std::filesystem::path& effectAudio) override;
  std::string Assemble(JobContext& ctx, int item, const AssemblyPicks& picks,
                       const std::string& outputName) override;
};

}  // namespace mivora
