// SplitCommandLine over any command line. Every argument it yields, quoted
// again the way the same rules read it, splits back to itself; a blank inside
// an argument needs a double quote in the line; a line without quotes and
// backslashes splits at blanks alone.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "runner/command_line.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Quotes one argument: a run of backslashes is doubled before a quote and
// before the closing quote, where it would otherwise escape it.
std::string Quote(const std::string& argument) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, '\\');
  quoted.push_back('"');
  return quoted;
}

std::vector<std::string> SplitAtBlanks(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (char c : line) {
    if (IsBlank(c)) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word.push_back(c);
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args = mivora::SplitCommandLine(line);

  std::string requoted;
  for (const std::string& arg : args) requoted += (requoted.empty() ? "" : " ") + Quote(arg);
  FUZZ_CHECK(mivora::SplitCommandLine(requoted) == args);

  bool hasQuote = line.find('"') != std::string_view::npos;
  for (const std::string& arg : args) {
    FUZZ_CHECK(hasQuote ||
               (arg.find(' ') == std::string::npos && arg.find('\t') == std::string::npos));
    FUZZ_CHECK(arg.size() <= line.size());
  }
  if (!hasQuote && line.find('\\') == std::string_view::npos) {
    FUZZ_CHECK(args == SplitAtBlanks(line));
  }
  return 0;
}
