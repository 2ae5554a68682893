// ParseDuration over any captured text, as it is and inside the field it
// looks for. Without the field the result is 0; the seconds never overflow;
// a field of plain digits "h:m:s.f" gives h*3600 + m*60 + s, or 0 when that
// does not fit an int.
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "fuzz_input.h"
#include "runner/text.h"
#include "runner/tool.h"

namespace {

std::optional<long long> Digits(std::string_view text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The whole seconds of a plain "h:m:s" or "h:m:s.f" field (f up to two digits).
std::optional<long long> PlainSeconds(std::string_view field) {
  std::size_t first = field.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  std::size_t second = field.find(':', first + 1);
  if (second == std::string_view::npos) return std::nullopt;
  std::string_view secondsText = field.substr(second + 1);
  std::size_t dot = secondsText.find('.');
  if (dot != std::string_view::npos) {
    std::string_view fraction = secondsText.substr(dot + 1);
    if (fraction.size() > 2 || (!fraction.empty() && !Digits(fraction))) return std::nullopt;
    secondsText = secondsText.substr(0, dot);
  }
  auto hours = Digits(field.substr(0, first));
  auto minutes = Digits(field.substr(first + 1, second - first - 1));
  auto seconds = Digits(secondsText);
  if (!hours || !minutes || !seconds) return std::nullopt;
  return *hours * 3600 + *minutes * 60 + *seconds;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  int raw = mivora::ParseDuration(text);
  if (mivora::FindText(text, "Duration: ") == std::string_view::npos) FUZZ_CHECK(raw == 0);

  int wrapped = mivora::ParseDuration("  Duration: " + std::string(text) + ", start: 0.000000");
  if (text.find(", start") == std::string_view::npos &&
      text.find("Duration: ") == std::string_view::npos) {
    if (auto expected = PlainSeconds(text)) {
      FUZZ_CHECK(wrapped == (*expected <= INT_MAX ? *expected : 0));
    }
  }
  return 0;
}
