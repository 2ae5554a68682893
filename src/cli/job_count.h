// How many items a run works on at once (`-j`): a number, or "auto" for what
// the measurements on this kind of machine found best (docs/performance.md).
#pragma once

#include <string_view>

namespace mivora {

// What "auto" means on a machine with `cores` processor cores (0: unknown).
int AutoJobCount(unsigned cores);

// The count `text` asks for: a positive whole number as written, or "auto";
// 0 when it is neither.
int ParseJobCount(std::string_view text, unsigned cores);

}  // namespace mivora
