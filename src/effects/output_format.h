// The picture every finished video is made in, and every segment, effect and
// joined clip on the way: its size, rate and pixel format, the shapes a
// filter graph brings a clip to, and the encoder settings that write it. One
// value today; the functions take it so that a run can carry another.
#pragma once

#include <string>
#include <string_view>

namespace mivora {

struct OutputFormat {
  int width = 720;
  int height = 1280;
  int fps = 30;
  std::string_view pixelFormat = "yuv420p";
  int bitRateKbps = 3000;  // the video's; an estimate of an output's size reads it too
};

inline constexpr OutputFormat kOutputFormat{};

// Every picture of image mode becomes a video of this many seconds first.
inline constexpr int kImageVideoSeconds = 15;

// "720x1280" (`separator` 'x', as -s and lavfi sources say it) or "720:1280"
// (':', as the scale and crop filters do).
std::string FrameSize(const OutputFormat& format, char separator = 'x');

// The display aspect, reduced: "9:16".
std::string AspectText(const OutputFormat& format);

// "scale=720:1280,setsar=1,format=yuv420p": the frame size and pixel shape of
// every effect part and every plain stretch.
std::string SegmentShape(const OutputFormat& format);

// The segment shape at the frame rate: what the join brings every clip to
// (intro and outro of any size or rate) in both engines.
std::string JoinShape(const OutputFormat& format);

// The encoder settings of every finished video: the frame at its aspect,
// H.264 in the pixel format at the frame rate and bit rate.
std::string OutputEncoding(const OutputFormat& format);

}  // namespace mivora
