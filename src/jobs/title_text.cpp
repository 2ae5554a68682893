#include "jobs/title_text.h"

#include <fstream>
#include <set>
#include <sstream>
#include <string_view>
#include <system_error>

#include "jobs/name_table.h"
#include "runner/command_line.h"
#include "runner/text.h"

namespace mivora {
namespace {

constexpr NameTable<TitleStyle, 2> kStyleNames({{
    {TitleStyle::kOutline, "outline"},
    {TitleStyle::kBox, "box"},
}});

constexpr std::string_view kEllipsis = "…";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Pixels between the title and the picture's edges: beside it a twentieth of
// the width, so the 90% it may take are centred; above or below it more, clear
// of the buttons players draw there.
constexpr int kSideMargin = 36;
constexpr int kEdgeMargin = 72;

// One character: its bytes (a stray byte becomes U+FFFD) and code point.
struct Glyph {
  std::string bytes;
  char32_t code = 0;
};

std::vector<Glyph> Decode(std::string_view text) {
  std::vector<Glyph> glyphs;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = CharLengthAt(text, i);
    char32_t code = lead;
    bool valid = lead < 0x80 || length > 1;
    if (length > 1) {
      code = lead & (0xFF >> (length + 1));
      for (std::size_t k = 1; k < length; ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (!valid) {
      glyphs.push_back({std::string(kReplacement), 0xFFFD});
    } else if (code < 0x20 || code == 0x7F) {
      glyphs.push_back({" ", U' '});  // a tab or control character is a space
    } else {
      glyphs.push_back({std::string(text.substr(i, length)), code});
    }
    i += length;
  }
  return glyphs;
}

bool ZeroWidth(char32_t c) {
  return (c >= 0x300 && c <= 0x36F) || (c >= 0x200B && c <= 0x200F) ||
         (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF);
}

// Wide scripts and emoji: each character is a place to wrap.
bool WrapsAnywhere(char32_t c) {
  return c >= 0x2E80 && !ZeroWidth(c);
}

// Wide punctuation that closes what comes before it: it never starts a line,
// so it travels to the next line with the character it follows.
bool ClosesText(char32_t c) {
  return std::u32string_view(U"，。、！？；：）」』】》〉”’…～").find(c) !=
         std::u32string_view::npos;
}

// Hundredths of the font size, on the wide side of the font's real advances.
int Advance(char32_t c) {
  if (ZeroWidth(c)) return 0;
  if (c == U' ') return 35;
  if (c >= 0x80) return 100;
  if (c == U'M' || c == U'W' || c == U'm' || c == U'w' || c == U'@' || c == U'%') return 95;
  if ((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9')) return 72;
  return 62;
}

int Width(const std::vector<Glyph>& glyphs, int fontSize) {
  int hundredths = 0;
  for (const Glyph& glyph : glyphs) hundredths += Advance(glyph.code);
  return (hundredths * fontSize + 99) / 100;
}

std::string Join(const std::vector<Glyph>& glyphs) {
  std::string text;
  for (const Glyph& glyph : glyphs) text += glyph.bytes;
  return text;
}

// The pieces a line is never broken inside: a word of a narrow script, one
// wide character, or one space; zero-width marks and closing punctuation stay
// with what they follow.
std::vector<std::vector<Glyph>> Pieces(const std::vector<Glyph>& glyphs) {
  std::vector<std::vector<Glyph>> pieces;
  bool open = false;  // the last piece is a word that may grow
  for (const Glyph& glyph : glyphs) {
    if ((ZeroWidth(glyph.code) || ClosesText(glyph.code)) && !pieces.empty()) {
      pieces.back().push_back(glyph);
      open = open && ZeroWidth(glyph.code);
      continue;
    }
    const bool letter = glyph.code != U' ' && !WrapsAnywhere(glyph.code);
    if (letter && open) {
      pieces.back().push_back(glyph);
    } else {
      pieces.push_back({glyph});
    }
    open = letter;
  }
  return pieces;
}

void TrimTrailingSpaces(std::vector<Glyph>& line) {
  while (!line.empty() && line.back().code == U' ') line.pop_back();
}

// Greedy filling of lines no wider than kTitleMaxWidth at `fontSize`.
std::vector<std::vector<Glyph>> Wrap(const std::vector<Glyph>& paragraph, int fontSize) {
  std::vector<std::vector<Glyph>> lines(1);
  for (std::vector<Glyph>& piece : Pieces(paragraph)) {
    std::vector<Glyph>& line = lines.back();
    if (piece.front().code == U' ' && line.empty()) continue;
    std::vector<Glyph> joined = line;
    joined.insert(joined.end(), piece.begin(), piece.end());
    if (Width(joined, fontSize) <= kTitleMaxWidth) {
      line = std::move(joined);
      continue;
    }
    TrimTrailingSpaces(line);
    if (piece.front().code == U' ') continue;
    if (!line.empty()) lines.emplace_back();
    // A word wider than a line is cut where it overflows.
    for (const Glyph& glyph : piece) {
      std::vector<Glyph> next = lines.back();
      next.push_back(glyph);
      if (Width(next, fontSize) > kTitleMaxWidth && !lines.back().empty()) lines.push_back({});
      lines.back().push_back(glyph);
    }
  }
  TrimTrailingSpaces(lines.back());
  return lines;
}

std::vector<std::vector<Glyph>> WrapAll(std::string_view title, int fontSize) {
  std::vector<std::vector<Glyph>> lines;
  for (const std::string& paragraph : SplitText(title, "\n")) {
    std::vector<std::vector<Glyph>> wrapped = Wrap(Decode(paragraph), fontSize);
    lines.insert(lines.end(), wrapped.begin(), wrapped.end());
  }
  // Blank paragraphs at either end would only push the title off its anchor.
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
  return lines;
}

// The height a line takes: the font's own line height (generous for CJK
// fonts) and the spacing the filter adds.
int LineSpacing(int fontSize) {
  return fontSize / 4;
}
int LineHeight(int fontSize) {
  return fontSize * 3 / 2 + LineSpacing(fontSize);
}

}  // namespace

std::optional<TitleStyle> ParseTitleStyle(std::string_view name) {
  return kStyleNames.Parse(name);
}

std::string_view TitleStyleName(TitleStyle style) {
  return kStyleNames.NameOf(style);
}

std::vector<std::string> TitleStyleNames() {
  return kStyleNames.Names();
}

std::vector<std::string> ParseTitleList(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::string> titles;
  std::set<std::string> seen;
  for (std::string line : SplitText(text, "\n")) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = ReplacePairs(line, {{"\\n", "\n"}}, {.matchCase = true});
    if (line.find_first_not_of(" \t\n\r\f\v") == std::string::npos) continue;
    if (seen.insert(line).second) titles.push_back(std::move(line));
  }
  return titles;
}

bool ReadTitleList(const std::filesystem::path& file, std::vector<std::string>& titles) {
  // A folder opens as a stream on this system but fails on the first read.
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  titles = ParseTitleList(text.str());
  return true;
}

std::string TitleProblem(const TitleOptions& options, const std::vector<std::string>& titles) {
  if (options.enabled && titles.empty()) return "已开启加文案，但文案列表是空的";
  return {};
}

int EstimatedWidth(std::string_view text, int fontSize) {
  return Width(Decode(text), fontSize);
}

TitleLayout LayOutTitle(std::string_view title) {
  int size = kTitleLargestSize;
  std::vector<std::vector<Glyph>> lines = WrapAll(title, size);
  while (size > kTitleSmallestSize &&
         static_cast<int>(lines.size()) * LineHeight(size) > kTitleMaxHeight) {
    size -= 4;
    lines = WrapAll(title, size);
  }
  const auto fitting = static_cast<std::size_t>(std::max(1, kTitleMaxHeight / LineHeight(size)));
  if (lines.size() > fitting) {
    lines.resize(fitting);
    std::vector<Glyph>& last = lines.back();
    const std::vector<Glyph> ellipsis = Decode(kEllipsis);
    auto withEllipsis = [&] {
      std::vector<Glyph> line = last;
      line.insert(line.end(), ellipsis.begin(), ellipsis.end());
      return line;
    };
    while (!last.empty() && Width(withEllipsis(), size) > kTitleMaxWidth) last.pop_back();
    TrimTrailingSpaces(last);
    last = withEllipsis();
  }
  TitleLayout layout;
  layout.fontSize = size;
  layout.lines = static_cast<int>(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) layout.text += '\n';
    layout.text += Join(lines[i]);
  }
  return layout;
}

std::string TitleFilter(const TitleOptions& options, int baseFontSize, const CjkFont& font,
                        const std::filesystem::path& textFile, const Canvas& canvas) {
  const int fontSize = ScaledPixels(canvas, baseFontSize);
  std::string style =
      options.style == TitleStyle::kBox
          ? ":box=1:boxcolor=black@0.5:boxborderw=" + std::to_string(fontSize / 3)
          : ":borderw=" + std::to_string(std::max(2, fontSize / 14)) + ":bordercolor=black@0.85";
  return "drawtext=font=" + EscapeFilterPath(font.family) +
         ":textfile=" + EscapeFilterPath(ToolPath(textFile)) +
         ":expansion=none:fontsize=" + std::to_string(fontSize) +
         ":line_spacing=" + std::to_string(LineSpacing(fontSize)) + ":fontcolor=white" + style +
         AnchoredPlace(options.position, ScaledPixels(canvas, kSideMargin),
                       ScaledPixels(canvas, kEdgeMargin));
}

}  // namespace mivora
