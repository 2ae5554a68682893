// The two jobs of a run: the video clip job works on the first two rows of
// the video list, the image clip job turns the first two still images into
// 15-second videos and works on those. The command line calls the per-item
// routines directly for batches of any size.
#pragma once

#include "jobs/job_context.h"

namespace mivora {

// Marks row `itemNumber` - 1 of the video list, picks an effect line, probes
// the source and runs the segment pass.
void ProcessVideoItem(JobContext& ctx, int itemNumber);
// The same for the image list, after converting the image into a video.
void ProcessImageItem(JobContext& ctx, int itemNumber);

// Whole jobs as the Start button runs them; both end with "任务完毕" and
// `ctx.stopRun`.
void VideoClipJob(JobContext& ctx);
void ImageClipJob(JobContext& ctx);

// The image's video name: every ".jpg" (any case) becomes ".mp4".
std::string ImageVideoName(const std::string& imageName);

}  // namespace mivora
