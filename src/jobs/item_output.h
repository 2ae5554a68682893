// How an item's finished video is written, the same in both engines: the
// encoder settings of the finished picture and how a failed assembly step is
// told.
#pragma once

#include <string_view>

#include "jobs/item_run.h"
#include "media/video_check.h"
#include "runner/tool.h"

namespace mivora {

// The encoder settings of every finished video: 9:16 at 720x1280, H.264 in
// yuv420p at 30 frames a second.
inline constexpr std::string_view kOutputEncoding =
    "-aspect 9:16 -s 720x1280 -pix_fmt yuv420p -vcodec libx264 -r:v 30 -preset medium -crf 30 "
    "-b:v 3000k";
// The picture those settings give, which a run that resumes checks a
// finished video against.
inline constexpr VideoFrame kOutputFrame{720, 1280, 30};
// The bit rate those settings ask for, for estimating an output's size.
inline constexpr int kOutputBitRateKbps = 3000;

// A failed assembly step: logs "<step>-----输出失败" and returns the outcome
// with the status text "【<step>-----输出失败】<its text>".
ToolOutcome AssemblyStepFailed(ItemRun& run, std::string_view step, ToolOutcome outcome);

}  // namespace mivora
