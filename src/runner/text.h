// Text helpers shared by every part of the program: cutting a text at a
// separator and filling placeholders. Texts are UTF-8 bytes; a match never
// starts inside a multi-byte character, and case folding is ASCII only.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// Cuts `text` at every occurrence of `separator`. Empty pieces before the first
// separator and between two separators stay; no piece follows a final
// separator; an empty text gives no pieces.
std::vector<std::string> SplitText(std::string_view text, std::string_view separator);

struct ReplacePair {
  std::string_view find;
  std::string_view replacement;
};

struct ReplaceOptions {
  std::size_t start = 1;   // 1-based; 0 counts as 1
  int maxCount = -1;       // per pair; negative means every occurrence
  bool matchCase = false;  // false: ASCII letters match without regard to case
};

// Applies up to five pairs in order, each pass over the result of the one
// before. A replacement is never scanned again within its own pass.
std::string ReplacePairs(std::string_view text, std::initializer_list<ReplacePair> pairs,
                         ReplaceOptions options = {});

// Byte length of the UTF-8 character that starts at `pos` (1 for a stray byte).
std::size_t CharLengthAt(std::string_view text, std::size_t pos);

// Position of the first occurrence of `needle` at or after `from` that starts
// on a character boundary, or npos. `matchCase` false folds ASCII letters.
std::size_t FindText(std::string_view haystack, std::string_view needle, std::size_t from = 0,
                     bool matchCase = true);

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
bool EndsWithIgnoreAsciiCase(std::string_view text, std::string_view suffix);

}  // namespace mivora
