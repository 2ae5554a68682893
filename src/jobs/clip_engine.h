// How the encoder is driven for one item. The jobs decide (walk, picks,
// reports); an engine, made for one item, carries the decisions out.
#pragma once

#include <filesystem>
#include <vector>

#include "jobs/item_run.h"
#include "jobs/walk_plan.h"
#include "runner/tool.h"

namespace mivora {

class ClipEngine {
 public:
  virtual ~ClipEngine() = default;

  // Carries out the walk over `source`; succeeds only when every run did (an
  // empty walk is a failure). `effectAudio` is the audio file for effects
  // that loop one.
  virtual ToolOutcome RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                              const std::filesystem::path& source,
                              const std::filesystem::path& effectAudio) = 0;

  // Joins the walk's segments with the picks, keys the overlay, lays the audio
  // under it and writes the plan's output name into the picks' output folder.
  // A failure's text is the item's status, e.g. "【合并生成视频-----输出失败】未知错误"
  // (its log line is already written).
  virtual ToolOutcome Assemble(ItemRun& run, const AssemblyPicks& picks) = 0;
};

}  // namespace mivora
