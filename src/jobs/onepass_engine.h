// The one-pass engine: an item's walk, effects, join, keyed overlay and looped
// audio as one filter graph, encoded by one encoder run. When that run fails
// the item is done again, step by step, by the step engine.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "jobs/clip_engine.h"

namespace mivora {

class OnePassEngine : public ClipEngine {
 public:
  OnePassEngine() = default;
  OnePassEngine(const OnePassEngine&) = delete;
  OnePassEngine& operator=(const OnePassEngine&) = delete;
  // Deletes finished videos that never got their name (a stopped item).
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

  // Per item, between RunWalk and Assemble; items may run side by side.
  struct Pending {
    bool fellBack = false;
    std::filesystem::path video;  // the finished video under its temporary name
  };
  Pending Take(int item);
  void Put(int item, Pending pending);

  StepEngine steps_;
  std::mutex mutex_;
  std::map<int, Pending> pending_;
};

}  // namespace mivora
