// One item from source to finished video: the walk along the source, the
// report in the log, the assembly and the clean-up.
#pragma once

#include <filesystem>

#include "jobs/clip_engine.h"
#include "jobs/item_run.h"

namespace mivora {

// Cuts `source` (lasting `sourceSeconds`) along the plan's effect line,
// renders the effects, assembles the finished video under the plan's output
// name and empties the segment folder. The outcome's status is "成功" or the
// failure text the window shows.
ItemOutcome SegmentPass(ItemRun& run, ClipEngine& engine, int sourceSeconds,
                        const std::filesystem::path& source);

}  // namespace mivora
