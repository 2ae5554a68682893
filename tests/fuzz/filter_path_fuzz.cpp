// EscapeFilterPath over any file name. The encoder reads a filter argument
// twice, first as graph text up to an unescaped "[],;" and then as an option
// value up to an unescaped ":" or "="; both readings drop unescaped blanks at
// the ends, take the character after a backslash as it is, and take text
// between single quotes as it is. Read back that way, the escaped text must
// be the whole argument at each level and give the name back exactly.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "runner/command_line.h"

namespace {

constexpr std::string_view kWhiteSpace = " \n\t\r";

// One token from the front of `text`; `text` is left at its terminator.
std::string ReadToken(std::string_view& text, std::string_view terminators) {
  std::size_t pos = 0;
  while (pos < text.size() && kWhiteSpace.find(text[pos]) != std::string_view::npos) ++pos;
  std::string token;
  std::size_t kept = 0;  // the length trailing blanks may not be trimmed below
  while (pos < text.size() && terminators.find(text[pos]) == std::string_view::npos) {
    char c = text[pos++];
    if (c == '\\' && pos < text.size()) {
      token.push_back(text[pos++]);
      kept = token.size();
    } else if (c == '\'') {
      while (pos < text.size() && text[pos] != '\'') token.push_back(text[pos++]);
      if (pos < text.size()) ++pos;
      kept = token.size();
    } else {
      token.push_back(c);
    }
  }
  while (token.size() > kept && kWhiteSpace.find(token.back()) != std::string_view::npos) {
    token.pop_back();
  }
  text.remove_prefix(pos);
  return token;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view name(reinterpret_cast<const char*>(data), size);
  // The encoder reads its arguments as C strings, and no file name holds a NUL.
  if (name.find('\0') != std::string_view::npos) return 0;

  std::string escaped = mivora::EscapeFilterPath(name);
  std::string_view graph = escaped;
  std::string option = ReadToken(graph, "[],;");
  FUZZ_CHECK(graph.empty());
  std::string_view value = option;
  FUZZ_CHECK(ReadToken(value, ":=") == name);
  FUZZ_CHECK(value.empty());
  return 0;
}
