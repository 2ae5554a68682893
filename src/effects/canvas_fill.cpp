// Which numbers of a template are pixel amounts is read from where they stand:
// the filter they belong to, the call they are an argument of, and what they
// are multiplied or divided with.
#include "effects/canvas_fill.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

namespace mivora {
namespace {

// Filters whose numbers are never amounts of the canvas: angles, frame counts,
// colour and level values, matrix sizes, plane orders, copy counts, files.
const std::set<std::string_view> kNoPixels = {
    "rotate",        "fade",  "lutyuv", "hue",    "eq",     "edgedetect", "unsharp",
    "shuffleplanes", "split", "fps",    "format", "setpts", "movie",      "amix",
    "trim",          "tpad",  "settb",  "atrim",  "volume", "aloop",      "nullsink"};

// Names standing for a picture's own size, or for pi: a number multiplied or
// divided with one of them is a ratio or an angle, never a pixel amount.
const std::set<std::string_view> kRelativeNames = {
    "iw",   "ih",   "w",      "h",      "W",         "H",         "ow", "oh",
    "in_w", "in_h", "main_w", "main_h", "overlay_w", "overlay_h", "PI"};

enum class Kind { kWhole, kSize, kName, kSpace, kOther };

struct Token {
  Kind kind;
  std::string text;
};

bool IsNameStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsNameChar(char c) {
  return IsNameStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::size_t DigitsEnd(std::string_view text, std::size_t at) {
  while (at < text.size() && IsDigit(text[at])) ++at;
  return at;
}

// Whole numbers, sizes (width "x" height) and names; decimals, hexadecimal
// and numbers glued to letters (a bit rate's "k") are kOther, so they never
// change.
std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t start = at;
    const char c = text[at];
    Kind kind = Kind::kOther;
    if (IsDigit(c)) {
      at = DigitsEnd(text, at);
      kind = Kind::kWhole;
      if (at + 1 < text.size() && text[at] == 'x' && IsDigit(text[at + 1]) && text[start] != '0') {
        at = DigitsEnd(text, at + 1);
        kind = Kind::kSize;
      } else if (at + 1 < text.size() && text[at] == '.' && IsDigit(text[at + 1])) {
        at = DigitsEnd(text, at + 1);
        kind = Kind::kOther;
      }
      if (at < text.size() && IsNameChar(text[at])) {
        while (at < text.size() && IsNameChar(text[at])) ++at;
        kind = Kind::kOther;
      }
    } else if (IsNameStart(c)) {
      while (at < text.size() && IsNameChar(text[at])) ++at;
      kind = Kind::kName;
    } else {
      ++at;
      kind = c == ' ' ? Kind::kSpace : Kind::kOther;
    }
    tokens.push_back({kind, std::string(text.substr(start, at - start))});
  }
  return tokens;
}

// The numbers of one filter's arguments and the context each stands in.
class FilterArgs {
 public:
  FilterArgs(std::string_view filter, std::string_view args, double factor)
      : filter_(filter), tokens_(Tokenize(args)), factor_(factor), frozen_(tokens_.size()) {
    FreezeCallsOnTimeAndFrames();
  }

  std::string Scaled() const {
    std::string text;
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      const Token& token = tokens_[i];
      if (token.kind == Kind::kSize) {
        std::size_t x = token.text.find('x');
        text += Scale(token.text.substr(0, x)) + "x" + Scale(token.text.substr(x + 1));
      } else if (token.kind == Kind::kWhole && IsPixelAmount(i)) {
        text += filter_ == "gblur" ? ScaleExact(token.text) : Scale(token.text);
      } else {
        text += token.text;
      }
    }
    return text;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  bool Is(std::size_t i, std::string_view text) const {
    return i != kNone && tokens_[i].text == text;
  }

  // Neighbours, over blanks and quotes, which do not part operands here.
  std::size_t Prev(std::size_t i) const {
    while (i-- > 0) {
      if (tokens_[i].kind != Kind::kSpace && tokens_[i].text != "'" && tokens_[i].text != "\"")
        return i;
    }
    return kNone;
  }
  std::size_t Next(std::size_t i) const {
    while (++i < tokens_.size()) {
      if (tokens_[i].kind != Kind::kSpace && tokens_[i].text != "'" && tokens_[i].text != "\"")
        return i;
    }
    return kNone;
  }

  // The ')' that closes the '(' at `open` (or the '(' that opens the ')').
  std::size_t Match(std::size_t at, int step) const {
    int depth = 0;
    for (std::size_t i = at; i < tokens_.size(); i += static_cast<std::size_t>(step)) {
      if (tokens_[i].text == "(") depth += step;
      if (tokens_[i].text == ")") depth -= step;
      if (depth == 0) return i;
      if (step < 0 && i == 0) break;
    }
    return kNone;
  }

  bool HasRelativeName(std::size_t from, std::size_t to) const {
    for (std::size_t i = from; i <= to && i < tokens_.size(); ++i) {
      if (tokens_[i].kind == Kind::kName && kRelativeNames.contains(tokens_[i].text)) return true;
    }
    return false;
  }

  // Comparisons on the time or the frame number ("lte(t,2)",
  // "between (t,0,2)", "gte(n,8)", "mod(n,2)", "gte(mod(n,2),1)"): their
  // numbers are seconds and frame counts.
  void FreezeCallsOnTimeAndFrames() {
    for (std::size_t i = 0; i < tokens_.size(); ++i) {
      if (tokens_[i].kind != Kind::kName) continue;
      std::size_t open = Next(i);
      if (!Is(open, "(")) continue;
      std::size_t close = Match(open, 1);
      if (close == kNone) continue;
      std::string first;
      int depth = 0;
      for (std::size_t k = open + 1; k < close; ++k) {
        const std::string& text = tokens_[k].text;
        if (text == "(") ++depth;
        if (text == ")") --depth;
        if (text == "," && depth == 0) break;
        if (tokens_[k].kind != Kind::kSpace && text != "'") first += text;
      }
      if (first == "t" || first == "n" || first.starts_with("mod(n,")) {
        for (std::size_t k = open; k <= close; ++k) frozen_[k] = true;
      }
    }
  }

  // Whether the operands multiplied or divided with the number at `i` hold a
  // size name or pi ("iw*2", "H/2", "(W-w)/2", "2*PI*t", "PI/180").
  bool InRelativeProduct(std::size_t i) const {
    std::size_t start = i;
    if (std::size_t minus = Prev(start);
        Is(minus, "-") && (Is(Prev(minus), "*") || Is(Prev(minus), "/")))
      start = minus;
    for (std::size_t op = Prev(start); Is(op, "*") || Is(op, "/"); op = Prev(start)) {
      std::size_t end = Prev(op);
      if (end == kNone) break;
      if (Is(end, ")")) {
        std::size_t open = Match(end, -1);
        if (open == kNone) break;
        std::size_t callee = Prev(open);
        bool call = callee != kNone && tokens_[callee].kind == Kind::kName;
        if (!call && HasRelativeName(open, end)) return true;
        start = call ? callee : open;
      } else {
        if (tokens_[end].kind == Kind::kName && kRelativeNames.contains(tokens_[end].text))
          return true;
        start = end;
      }
    }
    std::size_t end = i;
    for (std::size_t op = Next(end); Is(op, "*") || Is(op, "/"); op = Next(end)) {
      std::size_t begin = Next(op);
      if (Is(begin, "-")) begin = Next(begin);
      if (begin == kNone) break;
      if (Is(begin, "(")) {
        std::size_t close = Match(begin, 1);
        if (close == kNone) break;
        if (HasRelativeName(begin, close)) return true;
        end = close;
      } else if (tokens_[begin].kind == Kind::kName) {
        std::size_t open = Next(begin);
        if (Is(open, "(")) {
          end = Match(open, 1);
          if (end == kNone) break;
        } else {
          if (kRelativeNames.contains(tokens_[begin].text)) return true;
          end = begin;
        }
      } else {
        end = begin;
      }
    }
    return false;
  }

  bool IsPixelAmount(std::size_t i) const {
    if (kNoPixels.contains(filter_) || frozen_[i]) return false;
    const std::size_t before = Prev(i);
    const std::size_t twoBefore = before == kNone ? kNone : Prev(before);
    const bool afterSign = Is(before, "-") || Is(before, "+");
    // geq reads neighbours by offsets ("p(X-4,Y-4)"); its other numbers are levels.
    if (filter_ == "geq") return afterSign && (Is(twoBefore, "X") || Is(twoBefore, "Y"));
    // boxblur's first number is its radius; the rest are powers.
    if (filter_ == "boxblur") return before == kNone;
    if (filter_ == "gblur") return Is(before, "=") && Is(twoBefore, "sigma");
    // "t-2": a moment, not a place.
    if (afterSign && Is(twoBefore, "t")) return false;
    // scale's -1 and -2 keep the shape; they are not sizes.
    if (filter_ == "scale" && Is(before, "-") &&
        (twoBefore == kNone || Is(twoBefore, ":") || Is(twoBefore, "=")))
      return false;
    return !InRelativeProduct(i);
  }

  std::string Scale(const std::string& whole) const {
    return std::to_string(std::lround(std::stod(whole) * factor_));
  }
  std::string ScaleExact(const std::string& whole) const {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::stod(whole) * factor_);
    return text;
  }

  std::string_view filter_;
  std::vector<Token> tokens_;
  double factor_;
  std::vector<bool> frozen_;
};

// Where a filter's arguments end: at the first ',' ';' or '[' outside
// quotes and parentheses.
std::size_t ArgsEnd(std::string_view graph, std::size_t at) {
  int depth = 0;
  bool quoted = false;
  for (; at < graph.size(); ++at) {
    const char c = graph[at];
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (depth <= 0 && (c == ',' || c == ';' || c == '[')) break;
  }
  return at;
}

// The arguments of a command line, as spans: blanks part them outside double quotes.
std::vector<std::string_view> CommandArgs(std::string_view text) {
  std::vector<std::string_view> args;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && text[at] == ' ') ++at;
    if (at == text.size()) break;
    const std::size_t start = at;
    bool quoted = false;
    for (; at < text.size() && (quoted || text[at] != ' '); ++at) {
      if (text[at] == '"') quoted = !quoted;
    }
    args.push_back(text.substr(start, at - start));
  }
  return args;
}

}  // namespace

std::string ScaleGraphPixels(std::string_view graph, double factor) {
  std::string text;
  std::size_t at = 0;
  while (at < graph.size()) {
    const char c = graph[at];
    if (c == '[') {
      std::size_t close = graph.find(']', at);
      close = close == std::string_view::npos ? graph.size() : close + 1;
      text += graph.substr(at, close - at);
      at = close;
    } else if (IsNameStart(c)) {
      std::size_t nameEnd = at;
      while (nameEnd < graph.size() && IsNameChar(graph[nameEnd])) ++nameEnd;
      std::string_view filter = graph.substr(at, nameEnd - at);
      text += filter;
      at = nameEnd;
      if (at < graph.size() && graph[at] == '=') {
        const std::size_t end = ArgsEnd(graph, ++at);
        text += "=" + FilterArgs(filter, graph.substr(at, end - at), factor).Scaled();
        at = end;
      }
    } else {
      text += c;
      ++at;
    }
  }
  return text;
}

std::string FitTemplateToCanvas(std::string_view templateText, const Canvas& canvas) {
  if (canvas == kBaseCanvas) return std::string(templateText);
  const double factor = CanvasFactor(canvas);
  const std::vector<std::string_view> args = CommandArgs(templateText);
  auto argAt = [&](std::size_t k, std::size_t back) {
    return k >= back ? args[k - back] : std::string_view();
  };
  std::string text;
  std::size_t copied = 0;
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string_view arg = args[k];
    const std::string_view option = argAt(k, 1);
    std::optional<std::string> filled;
    if (option == "-vf" || option == "-filter_complex" ||
        (option == "-i" && argAt(k, 3) == "-f" && argAt(k, 2) == "lavfi")) {
      filled = ScaleGraphPixels(arg, factor);
    } else if (option == "-s") {
      filled = arg.starts_with('"') ? "\"" + FrameSize(canvas) + "\"" : FrameSize(canvas);
    } else if (option == "-b:v") {
      filled = std::to_string(canvas.bitRateKbps) + "k";
    }
    if (!filled) continue;
    const std::size_t begin = static_cast<std::size_t>(arg.data() - templateText.data());
    text += templateText.substr(copied, begin - copied);
    text += *filled;
    copied = begin + arg.size();
  }
  text += templateText.substr(copied);
  return text;
}

}  // namespace mivora
