// SplitEffectCode and PickEffectLine over any effect code. Fields: the tick
// of the random source (first four bytes), then the code. The lines hold no
// line break and give the code back; the pick is repeatable for a fixed tick,
// ends in "&&&" and one of the non-empty lines, and a line made only of
// catalogue names becomes, name by name, a line of their durations.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "effects/effect_catalogue.h"
#include "effects/effect_code.h"
#include "effects/random_source.h"
#include "fuzz_input.h"
#include "runner/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t tick = 0;
  std::memcpy(&tick, data, std::min<std::size_t>(size, sizeof tick));
  std::size_t skip = std::min<std::size_t>(size, sizeof tick);
  std::string_view code(reinterpret_cast<const char*>(data) + skip, size - skip);

  std::vector<std::string> lines = mivora::SplitEffectCode(code);
  std::string normalized = mivora::ReplacePairs(code, {{"\r\n", "\n"}});
  std::string joined = mivora::fuzz::Join(lines, "\n");
  FUZZ_CHECK(joined == normalized || joined + "\n" == normalized);
  for (const std::string& line : lines) FUZZ_CHECK(line.find('\n') == std::string::npos);
  if (lines.empty()) return 0;

  mivora::RandomSource random(tick);
  std::string combined = mivora::PickEffectLine(lines, random);
  mivora::RandomSource again(tick);
  FUZZ_CHECK(mivora::PickEffectLine(lines, again) == combined);

  const std::string* picked = nullptr;
  int matches = 0;
  for (const std::string& line : lines) {
    std::string tail = "&&&" + line;
    if (!line.empty() && combined.size() >= tail.size() &&
        combined.compare(combined.size() - tail.size(), tail.size(), tail) == 0) {
      picked = &line;
      ++matches;
    }
  }
  if (picked == nullptr) {
    for (const std::string& line : lines) FUZZ_CHECK(line.empty());
    FUZZ_CHECK(combined == "&&&");
    return 0;
  }
  // A line that ends in "&&&" and another line leaves the pick ambiguous.
  if (matches > 1) return 0;

  std::vector<std::string> names = mivora::SplitText(*picked, "-");
  std::vector<std::string> wanted;
  for (const std::string& name : names) {
    if (name.empty()) {
      wanted.push_back(name);
      continue;
    }
    std::string duration = mivora::EffectDuration(name);
    if (duration.empty()) return 0;
    wanted.push_back(duration);
  }
  std::string durations = combined.substr(0, combined.size() - picked->size() - 3);
  std::string expected = mivora::fuzz::Join(wanted, "-");
  FUZZ_CHECK(durations == expected || durations == expected + "-");
  return 0;
}
