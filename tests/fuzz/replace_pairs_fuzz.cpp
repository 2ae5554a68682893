// ReplacePairs over any text, pairs and options. Fields: options (first byte:
// bit 0 match case, bits 1-3 the count limit, 7 meaning none; second byte: the
// start), text, then up to five find/replacement pairs. Passes compose: all
// pairs at once equal one pair at a time; the text before the start is kept;
// the length changes by whole replacements, no more often than allowed; an
// empty find, a zero limit or a find replaced by itself change nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "runner/text.h"

namespace {

using mivora::ReplaceOptions;
using mivora::ReplacePair;
using mivora::ReplacePairs;

std::string ApplyAll(std::string_view text, const std::vector<ReplacePair>& pairs,
                     ReplaceOptions options) {
  switch (pairs.size()) {
    case 0:
      return ReplacePairs(text, {}, options);
    case 1:
      return ReplacePairs(text, {pairs[0]}, options);
    case 2:
      return ReplacePairs(text, {pairs[0], pairs[1]}, options);
    case 3:
      return ReplacePairs(text, {pairs[0], pairs[1], pairs[2]}, options);
    case 4:
      return ReplacePairs(text, {pairs[0], pairs[1], pairs[2], pairs[3]}, options);
    default:
      return ReplacePairs(text, {pairs[0], pairs[1], pairs[2], pairs[3], pairs[4]}, options);
  }
}

void CheckOnePair(std::string_view text, ReplacePair pair, ReplaceOptions options) {
  std::string result = ReplacePairs(text, {pair}, options);
  std::size_t skipped = options.start == 0 ? 0 : options.start - 1;
  if (pair.find.empty() || options.maxCount == 0 || skipped >= text.size()) {
    FUZZ_CHECK(result == text);
    return;
  }
  FUZZ_CHECK(result.compare(0, skipped, text, 0, skipped) == 0);
  if (pair.find.size() != pair.replacement.size()) {
    auto grown = static_cast<long long>(result.size()) - static_cast<long long>(text.size());
    auto step =
        static_cast<long long>(pair.replacement.size()) - static_cast<long long>(pair.find.size());
    FUZZ_CHECK(grown % step == 0);
    long long count = grown / step;
    FUZZ_CHECK(count >= 0 && count <= static_cast<long long>(text.size() / pair.find.size()));
    FUZZ_CHECK(options.maxCount < 0 || count <= options.maxCount);
  }
  if (options.matchCase) {
    FUZZ_CHECK(ReplacePairs(text, {{pair.find, pair.find}}, options) == text);
  }
}

// Results larger than this are not built.
constexpr std::size_t kMaxResultBytes = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto fields = mivora::fuzz::Fields(data, size, 12);
  std::string_view flags = fields[0];
  ReplaceOptions options;
  if (!flags.empty()) {
    auto bits = static_cast<unsigned char>(flags[0]);
    options.matchCase = (bits & 1) != 0;
    int limit = (bits >> 1) & 7;
    options.maxCount = limit == 7 ? -1 : limit;
  }
  if (flags.size() > 1) options.start = static_cast<unsigned char>(flags[1]);
  std::string_view text = fields[1];

  std::vector<ReplacePair> pairs;
  for (std::size_t i = 2; i + 1 < fields.size() && pairs.size() < 5; i += 2) {
    if (i > 2 && fields[i].empty() && fields[i + 1].empty()) break;
    pairs.push_back({fields[i], fields[i + 1]});
  }

  // Each pair may multiply the text's length by its replacement's length;
  // five of them chained grow without bound, which is the inputs' doing, not
  // a fault. Such inputs are passed over.
  std::size_t bound = text.size();
  for (const ReplacePair& pair : pairs) {
    if (pair.find.empty()) continue;
    bound += bound / pair.find.size() * pair.replacement.size();
    if (bound > kMaxResultBytes) return 0;
  }

  std::string all = ApplyAll(text, pairs, options);
  std::string stepwise(text);
  for (const ReplacePair& pair : pairs) stepwise = ReplacePairs(stepwise, {pair}, options);
  FUZZ_CHECK(all == stepwise);

  if (!pairs.empty()) CheckOnePair(text, pairs[0], options);
  return 0;
}
