// What every text fuzz target shares: the input cut into texts at NUL bytes,
// so a seed file is plain text with NULs between its fields, and a check that
// stops the run with a message when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace mivora::fuzz {

// The first `count - 1` fields end at a NUL byte; the last takes the rest,
// NULs included. Missing fields are empty.
inline std::vector<std::string_view> Fields(const std::uint8_t* data, std::size_t size,
                                            std::size_t count) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> fields;
  while (fields.size() + 1 < count) {
    std::size_t nul = rest.find('\0');
    fields.push_back(rest.substr(0, nul));
    rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
  }
  fields.push_back(rest);
  return fields;
}

inline std::string Join(const std::vector<std::string>& pieces, std::string_view separator) {
  std::string joined;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) joined += separator;
    joined += pieces[i];
  }
  return joined;
}

[[noreturn]] inline void Fail(const char* property, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, property);
  std::abort();
}

}  // namespace mivora::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::mivora::fuzz::Fail(#condition, __FILE__, __LINE__))
