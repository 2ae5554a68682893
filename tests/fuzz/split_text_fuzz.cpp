// SplitText and FindText over any separator and text (fields: separator,
// text). The pieces joined by the separator give the text back, minus one
// final separator; no piece holds the separator where a search would find it;
// a search that folds case never finds a later match than one that does not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_input.h"
#include "runner/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using mivora::FindText;
  auto fields = mivora::fuzz::Fields(data, size, 2);
  std::string_view separator = fields[0];
  std::string_view text = fields[1];

  std::vector<std::string> pieces = mivora::SplitText(text, separator);
  if (text.empty()) {
    FUZZ_CHECK(pieces.empty());
    return 0;
  }
  if (separator.empty()) {
    FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text);
    return 0;
  }
  std::string joined = mivora::fuzz::Join(pieces, separator);
  FUZZ_CHECK(joined == text || joined + std::string(separator) == text);
  for (const std::string& piece : pieces) {
    FUZZ_CHECK(FindText(piece, separator) == std::string_view::npos);
  }

  std::size_t exact = FindText(text, separator);
  std::size_t folded = FindText(text, separator, 0, false);
  FUZZ_CHECK(folded <= exact);
  if (exact != std::string_view::npos) {
    FUZZ_CHECK(text.substr(exact, separator.size()) == separator);
    FUZZ_CHECK(pieces[0].size() == exact);
  }
  if (folded != std::string_view::npos) {
    FUZZ_CHECK(mivora::EqualsIgnoreAsciiCase(text.substr(folded, separator.size()), separator));
    // A search from a later start never reports an earlier position.
    FUZZ_CHECK(FindText(text, separator, folded + 1, false) > folded);
  }
  return 0;
}
