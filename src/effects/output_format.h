// The canvas: the picture every finished video of a run is made in, and every
// segment, effect and joined clip on the way: its size, rate, pixel format and
// bit rate, the shapes a filter graph brings a clip to, and the encoder
// settings that write it. A run chooses one of two sizes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

struct Canvas {
  int width = 720;
  int height = 1280;
  int fps = 30;
  std::string_view pixelFormat = "yuv420p";
  int bitRateKbps = 3000;  // the video's; an estimate of an output's size reads it too

  friend constexpr bool operator==(const Canvas&, const Canvas&) = default;
};

// The size every stored effect template is written for, and the default.
inline constexpr Canvas kBaseCanvas{};
// The platforms' recommended size: 1.5 times as wide and high, its bit rate
// scaled with the pixels (2.25 times).
inline constexpr Canvas kLargeCanvas{1080, 1920, 30, "yuv420p", 6750};
inline constexpr Canvas kDefaultCanvas = kBaseCanvas;

// "720x1280" or "1080x1920"; nothing for any other text.
std::optional<Canvas> ParseCanvasSize(std::string_view text);
// Every size ParseCanvasSize accepts, the default first.
std::vector<std::string> CanvasSizeNames();

// How much larger than the templates' canvas this one is (1.5 for 1080x1920).
double CanvasFactor(const Canvas& canvas);
// An absolute pixel amount of the templates' canvas on this one, rounded to
// the nearest whole pixel (halves away from zero).
int ScaledPixels(const Canvas& canvas, int pixels);

// Every picture of image mode becomes a video of this many seconds first.
inline constexpr int kImageVideoSeconds = 15;

// "720x1280" (`separator` 'x', as -s and lavfi sources say it) or "720:1280"
// (':', as the scale and crop filters do).
std::string FrameSize(const Canvas& format, char separator = 'x');

// The display aspect, reduced: "9:16".
std::string AspectText(const Canvas& format);

// "scale=720:1280,setsar=1,format=yuv420p": the frame size and pixel shape of
// every effect part and every plain stretch.
std::string SegmentShape(const Canvas& format);

// The segment shape at the frame rate: what the join brings every clip to
// (intro and outro of any size or rate) in both engines.
std::string JoinShape(const Canvas& format);

// The encoder settings of every finished video: the frame at its aspect,
// H.264 in the pixel format at the frame rate and bit rate.
std::string OutputEncoding(const Canvas& format);

}  // namespace mivora
