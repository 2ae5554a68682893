// Reading one string from a settings file in the INI form QSettings writes,
// for programs that link no Qt. Only what QSettings writes for a string is
// understood: UTF-8 text, double-quoted stretches, backslash escapes
// (\n, \t, \", \\, \xHH, octal, ...) and "@@" for a leading "@".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mivora {

// The value of `key` in `[section]` of the file text, unescaped; nothing when
// the key is missing or holds no single string (a list, or a typed
// "@Type(...)" value). Of repeated keys the last counts.
std::optional<std::string> IniStringValue(std::string_view fileText, std::string_view section,
                                          std::string_view key);

}  // namespace mivora
