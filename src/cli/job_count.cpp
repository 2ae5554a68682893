#include "cli/job_count.h"

#include <algorithm>
#include <charconv>

namespace mivora {

int AutoJobCount(unsigned cores) {
  // The encoder already spreads one item over two cores; a second item at
  // once only fills the gaps the first leaves.
  return static_cast<int>(std::max(1u, cores / 2));
}

int ParseJobCount(std::string_view text, unsigned cores) {
  if (text == "auto") return AutoJobCount(cores);
  int count = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count < 1) return 0;
  return count;
}

}  // namespace mivora
