// Whether a finished video is whole, told from its container's headers and
// its tail without decoding it: what a run that resumes keeps and what it
// makes again.
#pragma once

#include <filesystem>

namespace mivora {

// The picture every finished video of a run has.
struct VideoFrame {
  int width = 0;
  int height = 0;
  int fps = 0;
};

// What is wrong with a video file, the first fault found.
enum class VideoFault {
  kNone,         // whole
  kUnreadable,   // missing, empty or no MP4 at all
  kNoIndex,      // no readable index of its samples (cut before it was written)
  kNoVideo,      // no video stream
  kOtherSize,    // a picture of another width or height
  kOtherRate,    // not the expected frames a second
  kTooShort,     // under one second
  kLengthAmiss,  // its length is not its last picture's time
  kCutShort,     // a sample the index names lies past the end of the file
};

// Reads the MP4 at `file`: its top-level boxes, the index in its movie box
// and the last sample of every track.
VideoFault CheckFinishedVideo(const std::filesystem::path& file, const VideoFrame& expected);

}  // namespace mivora
