// The one-pass engine: an item's walk, effects, join, keyed overlay and looped
// audio as one filter graph, encoded by one encoder run. When that run fails
// the item is done again, step by step, by the step engine.
#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "jobs/file_guard.h"
#include "jobs/step_engine.h"

namespace mivora {

// One engine carries one item: the finished video waits between RunWalk and
// Assemble in the engine itself.
class OnePassEngine : public ClipEngine {
 public:
  OnePassEngine();
  OnePassEngine(const OnePassEngine&) = delete;
  OnePassEngine& operator=(const OnePassEngine&) = delete;
  // Deletes a finished video that never got its name (a stopped item).
  ~OnePassEngine() override;

  // Makes the item's picks and encodes the whole item. The walk only counts as
  // done when the finished video is; a failed run falls back to the step
  // engine's walk, so a failure is reported by the steps it belongs to.
  ToolOutcome RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                      const std::filesystem::path& source,
                      const std::filesystem::path& effectAudio) override;

  // Gives the finished video its name in the picks' output folder; the other
  // picks were made, and used, by RunWalk. After a fallback this is the step
  // engine's assembly, with the same picks.
  ToolOutcome Assemble(ItemRun& run, const AssemblyPicks& picks) override;

 private:
  ToolOutcome EncodeItem(ItemRun& run, const std::vector<WalkStep>& steps,
                         const std::filesystem::path& source);

  StepEngine steps_;
  bool fellBack_ = false;                // the walk was done by the step engine
  std::unique_ptr<PartFile> finished_;  // the finished video under its part name
};

}  // namespace mivora
