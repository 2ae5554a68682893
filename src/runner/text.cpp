#include "runner/text.h"

#include <cassert>

namespace mivora {
namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view text, std::size_t pos, std::string_view needle, bool matchCase) {
  if (text.size() - pos < needle.size()) return false;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    char a = text[pos + i];
    char b = needle[i];
    if (matchCase ? a != b : FoldAscii(a) != FoldAscii(b)) return false;
  }
  return true;
}

}  // namespace

std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
  auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t want = 1;
  if (lead >= 0xF0 && lead <= 0xF7) {
    want = 4;
  } else if (lead >= 0xE0) {
    want = lead <= 0xEF ? 3 : 1;
  } else if (lead >= 0xC0) {
    want = 2;
  }
  // Only real continuation bytes belong to the character, so a broken sequence
  // never swallows the start of the next one.
  std::size_t len = 1;
  while (len < want && pos + len < text.size() &&
         (static_cast<unsigned char>(text[pos + len]) & 0xC0) == 0x80) {
    ++len;
  }
  return len;
}

std::size_t FindText(std::string_view haystack, std::string_view needle, std::size_t from,
                     bool matchCase) {
  if (needle.empty()) return std::string_view::npos;
  for (std::size_t pos = from; pos < haystack.size(); pos += CharLengthAt(haystack, pos)) {
    if (MatchesAt(haystack, pos, needle, matchCase)) return pos;
  }
  return std::string_view::npos;
}

std::vector<std::string> SplitText(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t start = 0;
  for (std::size_t at = FindText(text, separator, 0); at != std::string_view::npos;
       at = FindText(text, separator, start)) {
    pieces.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return pieces;
}

std::string ReplacePairs(std::string_view text, std::initializer_list<ReplacePair> pairs,
                         ReplaceOptions options) {
  assert(pairs.size() <= 5);
  std::string result(text);
  std::size_t start = options.start == 0 ? 0 : options.start - 1;
  for (const ReplacePair& pair : pairs) {
    if (result.empty() || pair.find.empty() || start >= result.size()) continue;
    std::string next(result, 0, start);
    int count = 0;
    std::size_t pos = start;
    while (pos < result.size()) {
      if (options.maxCount >= 0 && count >= options.maxCount) break;
      if (MatchesAt(result, pos, pair.find, options.matchCase)) {
        next += pair.replacement;
        pos += pair.find.size();
        ++count;
        continue;
      }
      std::size_t len = CharLengthAt(result, pos);
      next.append(result, pos, len);
      pos += len;
    }
    next.append(result, pos, std::string::npos);
    result = std::move(next);
  }
  return result;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && MatchesAt(a, 0, b, false);
}

bool EndsWithIgnoreAsciiCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         MatchesAt(text, text.size() - suffix.size(), suffix, false);
}

}  // namespace mivora
