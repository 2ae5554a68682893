#include "jobs/watermark.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <utility>

#include "jobs/name_table.h"
#include "runner/command_line.h"
#include "runner/run_capture.h"
#include "runner/text.h"

namespace mivora {
namespace {

constexpr NameTable<WatermarkPosition, 9> kPositionNames({{
    {WatermarkPosition::kTopLeft, "top-left"},
    {WatermarkPosition::kTop, "top"},
    {WatermarkPosition::kTopRight, "top-right"},
    {WatermarkPosition::kLeft, "left"},
    {WatermarkPosition::kCenter, "center"},
    {WatermarkPosition::kRight, "right"},
    {WatermarkPosition::kBottomLeft, "bottom-left"},
    {WatermarkPosition::kBottom, "bottom"},
    {WatermarkPosition::kBottomRight, "bottom-right"},
}});

// The names the encoder's colour parser knows, as "ffmpeg -colors" lists them.
// clang-format off
constexpr std::array<std::string_view, 140> kColorNames = {
    "AliceBlue", "AntiqueWhite", "Aqua", "Aquamarine", "Azure",
    "Beige", "Bisque", "Black", "BlanchedAlmond", "Blue",
    "BlueViolet", "Brown", "BurlyWood", "CadetBlue", "Chartreuse",
    "Chocolate", "Coral", "CornflowerBlue", "Cornsilk", "Crimson",
    "Cyan", "DarkBlue", "DarkCyan", "DarkGoldenRod", "DarkGray",
    "DarkGreen", "DarkKhaki", "DarkMagenta", "DarkOliveGreen", "Darkorange",
    "DarkOrchid", "DarkRed", "DarkSalmon", "DarkSeaGreen", "DarkSlateBlue",
    "DarkSlateGray", "DarkTurquoise", "DarkViolet", "DeepPink", "DeepSkyBlue",
    "DimGray", "DodgerBlue", "FireBrick", "FloralWhite", "ForestGreen",
    "Fuchsia", "Gainsboro", "GhostWhite", "Gold", "GoldenRod",
    "Gray", "Green", "GreenYellow", "HoneyDew", "HotPink",
    "IndianRed", "Indigo", "Ivory", "Khaki", "Lavender",
    "LavenderBlush", "LawnGreen", "LemonChiffon", "LightBlue", "LightCoral",
    "LightCyan", "LightGoldenRodYellow", "LightGreen", "LightGrey", "LightPink",
    "LightSalmon", "LightSeaGreen", "LightSkyBlue", "LightSlateGray", "LightSteelBlue",
    "LightYellow", "Lime", "LimeGreen", "Linen", "Magenta",
    "Maroon", "MediumAquaMarine", "MediumBlue", "MediumOrchid", "MediumPurple",
    "MediumSeaGreen", "MediumSlateBlue", "MediumSpringGreen", "MediumTurquoise", "MediumVioletRed",
    "MidnightBlue", "MintCream", "MistyRose", "Moccasin", "NavajoWhite",
    "Navy", "OldLace", "Olive", "OliveDrab", "Orange",
    "OrangeRed", "Orchid", "PaleGoldenRod", "PaleGreen", "PaleTurquoise",
    "PaleVioletRed", "PapayaWhip", "PeachPuff", "Peru", "Pink",
    "Plum", "PowderBlue", "Purple", "Red", "RosyBrown",
    "RoyalBlue", "SaddleBrown", "Salmon", "SandyBrown", "SeaGreen",
    "SeaShell", "Sienna", "Silver", "SkyBlue", "SlateBlue",
    "SlateGray", "Snow", "SpringGreen", "SteelBlue", "Tan",
    "Teal", "Thistle", "Tomato", "Turquoise", "Violet",
    "Wheat", "White", "WhiteSmoke", "Yellow", "YellowGreen",
};
// clang-format on

// The window's Chinese families in its order of preference; then any font
// that covers Simplified Chinese.
constexpr std::array<std::string_view, 3> kFontPatterns = {"Noto Sans CJK SC",
                                                           "WenQuanYi Micro Hei", ":lang=zh-cn"};

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string Fixed(double value, int decimals) {
  char buffer[32];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(buffer, end) : "0";
}

// The left (or top) edge of the text: `frame` and `text` name the encoder's
// variables of the frame's and the text's extent along that axis.
std::string Edge(int place, std::string_view frame, std::string_view text, int margin) {
  std::string m = std::to_string(margin);
  if (place == 0) return m;
  if (place == 1) return "(" + std::string(frame) + "-" + std::string(text) + ")/2";
  return std::string(frame) + "-" + std::string(text) + "-" + m;
}

bool CoversSimplifiedChinese(std::string_view langs) {
  for (const std::string& lang : SplitText(langs, "|")) {
    if (lang == "zh-cn") return true;
  }
  return false;
}

}  // namespace

std::optional<WatermarkPosition> ParseWatermarkPosition(std::string_view name) {
  return kPositionNames.Parse(name);
}

std::string_view WatermarkPositionName(WatermarkPosition position) {
  return kPositionNames.NameOf(position);
}

std::vector<std::string> WatermarkPositionNames() {
  return kPositionNames.Names();
}

bool IsWatermarkColor(std::string_view color) {
  if (color.size() == 7 && color[0] == '#') {
    for (char c : color.substr(1)) {
      if (!IsHexDigit(c)) return false;
    }
    return true;
  }
  for (std::string_view name : kColorNames) {
    if (EqualsIgnoreAsciiCase(name, color)) return true;
  }
  return false;
}

std::string WatermarkProblem(const WatermarkOptions& options) {
  if (!options.enabled) return {};
  if (options.text.empty()) return "文本水印已开启，但没有填写水印文字";
  if (options.size < kMinWatermarkSize || options.size > kMaxWatermarkSize) {
    return "水印字号须在 " + std::to_string(kMinWatermarkSize) + " 到 " +
           std::to_string(kMaxWatermarkSize) + " 之间";
  }
  if (!IsWatermarkColor(options.color)) {
    return "水印颜色无效：" + options.color + "（可用 #RRGGBB 或颜色名，如 white）";
  }
  if (!(options.opacity >= 0 && options.opacity <= 1)) return "水印不透明度须在 0 到 1 之间";
  if (options.margin < 0 || options.margin > kMaxWatermarkMargin) {
    return "水印边距须在 0 到 " + std::to_string(kMaxWatermarkMargin) + " 之间";
  }
  return {};
}

CjkFont FindCjkFont(RunToken& token) {
  for (std::string_view pattern : kFontPatterns) {
    CaptureResult run = RunCapture(
        {"fc-match", "-f", "%{file}\n%{family[0]}\n%{lang}\n", std::string(pattern)}, token);
    std::vector<std::string> lines = SplitText(run.output, "\n");
    // fc-match always names some font; only one that covers the language will do.
    if (run.cancelled || lines.size() < 3 || lines[0].empty() || lines[1].empty()) continue;
    if (CoversSimplifiedChinese(lines[2])) return {lines[1], lines[0], ""};
  }
  return {"", "", std::string(kMissingCjkFont)};
}

bool WriteWatermarkText(const std::filesystem::path& file, std::string_view text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string AnchoredPlace(WatermarkPosition position, int marginX, int marginY) {
  int index = static_cast<int>(position);
  return ":x=" + Edge(index % 3, "w", "text_w", marginX) +
         ":y=" + Edge(index / 3, "h", "text_h", marginY);
}

std::string WatermarkFilter(const WatermarkOptions& options, const CjkFont& font,
                            const std::filesystem::path& textFile, const Canvas& canvas) {
  // By family, not by file: a font collection holds several faces, and only
  // fontconfig picks the Chinese one (a file alone gives its first face,
  // which may draw Japanese glyph forms).
  return "drawtext=font=" + EscapeFilterPath(font.family) +
         ":textfile=" + EscapeFilterPath(ToolPath(textFile)) +
         ":expansion=none:fontsize=" + std::to_string(ScaledPixels(canvas, options.size)) +
         ":fontcolor=" + options.color + "@" +
         Fixed(options.opacity >= 0 ? std::min(options.opacity, 1.0) : 0, 2) +
         AnchoredPlace(options.position, ScaledPixels(canvas, options.margin),
                       ScaledPixels(canvas, options.margin));
}

}  // namespace mivora
