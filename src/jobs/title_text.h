// The title drawn on every finished picture: one line of the title list per
// version, laid out to the picture's width and drawn with the watermark's
// font through a text file, so no character of it reaches filter syntax.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/watermark.h"

namespace mivora {

// How the title stays readable on any picture.
enum class TitleStyle {
  kOutline,  // white letters with a dark outline
  kBox,      // white letters on a half-transparent dark box
};

// How a run draws titles; the titles themselves are a list of the inputs.
struct TitleOptions {
  bool enabled = false;
  WatermarkPosition position = WatermarkPosition::kTop;
  TitleStyle style = TitleStyle::kOutline;
};

// "outline", "box"; nothing for any other text.
std::optional<TitleStyle> ParseTitleStyle(std::string_view name);
std::string_view TitleStyleName(TitleStyle style);
std::vector<std::string> TitleStyleNames();

// The titles of a list file's text: one per line, a leading byte-order mark,
// line ends of either kind and blank lines left out; a literal "\n" in a line
// is a line break of its title. Repeated titles count once.
std::vector<std::string> ParseTitleList(std::string_view text);

// Reads a title list file; false when it cannot be read.
bool ReadTitleList(const std::filesystem::path& file, std::vector<std::string>& titles);

// The text the user must see when titles are on but cannot be drawn; empty
// otherwise.
std::string TitleProblem(const TitleOptions& options, const std::vector<std::string>& titles);

// A title wrapped to the picture: its lines joined by '\n' and the font size
// they are drawn at.
struct TitleLayout {
  std::string text;
  int fontSize = 0;
  int lines = 0;
};

// The widest the title may be, in pixels of the 720x1280 frame, and the
// tallest, so that even a very long title leaves most of the picture free.
inline constexpr int kTitleMaxWidth = 648;
inline constexpr int kTitleMaxHeight = 512;
inline constexpr int kTitleLargestSize = 56;
inline constexpr int kTitleSmallestSize = 28;

// Chinese, Japanese and Korean text and emoji wrap between any two
// characters, other scripts between words (a word wider than a line is cut).
// The font shrinks until the lines fit kTitleMaxHeight; a title too long even
// then ends in "…" on its last line.
TitleLayout LayOutTitle(std::string_view title);

// How wide `text` (one line) is drawn at `fontSize`, estimated generously so
// that a laid-out line never leaves kTitleMaxWidth.
int EstimatedWidth(std::string_view text, int fontSize);

// The "drawtext=..." filter that draws the laid-out text of `textFile` at
// the options' anchor on `canvas`; `baseFontSize` is the layout's, in pixels
// of the 720x1280 frame, and grows with the canvas like the margins.
std::string TitleFilter(const TitleOptions& options, int baseFontSize, const CjkFont& font,
                        const std::filesystem::path& textFile,
                        const Canvas& canvas = kBaseCanvas);

}  // namespace mivora
