// A fixed table of a choice's values and the names fronts use for them
// (command-line words, saved settings): one table, read both ways.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mivora {

template <typename Value, std::size_t Count>
class NameTable {
 public:
  constexpr explicit NameTable(std::array<std::pair<Value, std::string_view>, Count> entries)
      : entries_(entries) {}

  constexpr std::optional<Value> Parse(std::string_view name) const {
    for (const auto& [value, text] : entries_) {
      if (text == name) return value;
    }
    return std::nullopt;
  }

  constexpr std::string_view NameOf(Value value) const {
    for (const auto& [candidate, text] : entries_) {
      if (candidate == value) return text;
    }
    return {};
  }

  // Every name, in the table's order.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : entries_) names.emplace_back(entry.second);
    return names;
  }

 private:
  std::array<std::pair<Value, std::string_view>, Count> entries_;
};

}  // namespace mivora
