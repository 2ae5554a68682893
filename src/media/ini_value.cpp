// Follows QSettings' own INI reading for strings, so whatever the window
// saved reads back the same here.
#include "media/ini_value.h"

#include <algorithm>
#include <cstdint>

namespace mivora {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

void AppendUtf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | ((code >> 12) & 0x0F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

int DigitValue(char c, int base) {
  int value = base;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// A numeric escape: digits of `base` from `pos` on, kept to one UTF-16 unit
// as QSettings keeps them.
std::uint32_t ReadNumber(std::string_view text, std::size_t& pos, int base) {
  std::uint32_t value = 0;
  for (int digit = 0; pos < text.size() && (digit = DigitValue(text[pos], base)) >= 0; ++pos) {
    value = (value * base + digit) & 0xFFFF;
  }
  return value;
}

// The character a letter after a backslash stands for; 0 for none.
char NamedEscape(char c) {
  constexpr std::string_view kLetters = "abfnrtv\"'?\\";
  constexpr std::string_view kMeanings = "\a\b\f\n\r\t\v\"'?\\";
  std::size_t at = kLetters.find(c);
  return at == std::string_view::npos ? 0 : kMeanings[at];
}

// The string a value text stands for; nothing for a list (a comma outside
// quotes). Blanks around unquoted text are dropped, quoted ones kept.
std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  std::size_t keep = 0;  // out up to here is quoted or escaped: never trimmed
  bool quoted = false;
  std::size_t pos = text.find_first_not_of(kBlanks);
  if (pos == std::string_view::npos) return out;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == '"') {
      quoted = !quoted;
      keep = out.size();
      if (!quoted) pos = std::min(text.find_first_not_of(kBlanks, pos), text.size());
    } else if (c == ',' && !quoted) {
      return std::nullopt;
    } else if (c != '\\') {
      out += c;
      if (quoted || (c != ' ' && c != '\t')) keep = out.size();
    } else if (pos < text.size()) {
      char next = text[pos++];
      if (char named = NamedEscape(next); named != 0) {
        out += named;
      } else if (next == 'x') {
        if (pos < text.size() && DigitValue(text[pos], 16) >= 0)
          AppendUtf8(out, ReadNumber(text, pos, 16));
      } else if (DigitValue(next, 8) >= 0) {
        --pos;
        AppendUtf8(out, ReadNumber(text, pos, 8));
      }  // any other escaped character is dropped, as QSettings does
      keep = out.size();
    }
  }
  out.resize(keep);
  return out;
}

}  // namespace

std::optional<std::string> IniStringValue(std::string_view fileText, std::string_view section,
                                          std::string_view key) {
  std::optional<std::string> found;
  bool inSection = false;
  std::size_t start = 0;
  while (start < fileText.size()) {
    std::size_t end = fileText.find('\n', start);
    if (end == std::string_view::npos) end = fileText.size();
    std::string_view line = fileText.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      std::size_t close = line.find(']');
      inSection = close != std::string_view::npos && Trim(line.substr(1, close - 1)) == section;
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inSection || equals == std::string_view::npos || Trim(line.substr(0, equals)) != key) {
      continue;
    }
    found = Unescape(line.substr(equals + 1));
  }
  if (!found || !found->starts_with('@')) return found;
  // "@@" stands for one "@"; "@Type(...)" is a value of another type.
  if (found->starts_with("@@")) return found->substr(1);
  if (found->ends_with(')')) return std::nullopt;
  return found;
}

}  // namespace mivora
