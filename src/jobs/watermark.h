// The text watermark drawn on the finished picture: its options, the font it
// is drawn in, and the encoder filter that draws it. The text reaches the
// encoder only through a file and is drawn as it is: no character of it is
// read as filter syntax or as an expansion.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effects/output_format.h"
#include "runner/run_token.h"

namespace mivora {

enum class WatermarkPosition {
  kTopLeft,
  kTop,
  kTopRight,
  kLeft,
  kCenter,
  kRight,
  kBottomLeft,
  kBottom,
  kBottomRight,
};

struct WatermarkOptions {
  bool enabled = false;
  std::string text;  // UTF-8, any characters
  WatermarkPosition position = WatermarkPosition::kBottomRight;
  int size = 40;                // font size in pixels of the 720x1280 frame (scaled on others)
  std::string color = "white";  // "#RRGGBB" or one of the encoder's colour names
  double opacity = 0.8;         // 0 (invisible) to 1 (opaque)
  int margin = 24;              // pixels between the text and the nearest edges
};

// Limits of the numeric options; the window's controls use the same.
inline constexpr int kMinWatermarkSize = 8;
inline constexpr int kMaxWatermarkSize = 400;
inline constexpr int kMaxWatermarkMargin = 600;

inline constexpr std::string_view kMissingCjkFont = "找不到中文字体：请安装 fonts-noto-cjk";

// "top-left", "top", "top-right", "left", "center", "right", "bottom-left",
// "bottom", "bottom-right"; nothing for any other text.
std::optional<WatermarkPosition> ParseWatermarkPosition(std::string_view name);
std::string_view WatermarkPositionName(WatermarkPosition position);
// Every name ParseWatermarkPosition accepts, in the order above.
std::vector<std::string> WatermarkPositionNames();

// "#RRGGBB" (hex digits of either case) or one of the encoder's colour names
// (any case, e.g. "white", "DarkOrange").
bool IsWatermarkColor(std::string_view color);

// The text the user must see when a watermark that is turned on cannot be
// drawn (no text, a size, colour, opacity or margin out of range); empty when
// it can, and always empty for a watermark that is turned off.
std::string WatermarkProblem(const WatermarkOptions& options);

struct CjkFont {
  std::string family;  // fontconfig family name, e.g. "Noto Sans CJK SC"
  std::string file;
  std::string error;  // not empty: no font that covers Simplified Chinese (kMissingCjkFont)
};

// The font the window's texts use, found through fontconfig ("fc-match"):
// the first of the window's Chinese families that is installed, else any
// font that covers Simplified Chinese.
CjkFont FindCjkFont(RunToken& token);

// Writes the text, byte for byte, as the file the filter reads.
bool WriteWatermarkText(const std::filesystem::path& file, std::string_view text);

// ":x=...:y=..." for a drawn text (the encoder's text_w by text_h) at the
// anchor, `marginX` and `marginY` pixels from the nearest edges.
std::string AnchoredPlace(WatermarkPosition position, int marginX, int marginY);

// The "drawtext=..." filter (to be put in a chain over the finished picture)
// that draws the text of `textFile` in `font` at the anchor and margin, in the
// colour with the opacity. Size and margin are pixels of the 720x1280 frame
// and grow with `canvas`, so the mark looks the same on every size.
std::string WatermarkFilter(const WatermarkOptions& options, const CjkFont& font,
                            const std::filesystem::path& textFile,
                            const Canvas& canvas = kBaseCanvas);

}  // namespace mivora
