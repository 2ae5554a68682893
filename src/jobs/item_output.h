// How an item's finished video is written, the same in both engines: the
// encoder settings of the finished picture (`OutputEncoding` of the output
// format) and how a failed assembly step is told.
#pragma once

#include <string_view>

#include "effects/output_format.h"
#include "jobs/item_run.h"
#include "media/video_check.h"
#include "runner/tool.h"

namespace mivora {

// The picture a run that resumes checks a finished video against: its
// canvas's size and rate.
constexpr VideoFrame OutputFrame(const Canvas& canvas) {
  return {canvas.width, canvas.height, canvas.fps};
}

// A failed assembly step: logs "<step>-----输出失败" and returns the outcome
// with the status text "【<step>-----输出失败】<its text>".
ToolOutcome AssemblyStepFailed(ItemRun& run, std::string_view step, ToolOutcome outcome);

}  // namespace mivora
