// Command templates: text written for the Windows command line, split into an
// argument vector once, then filled placeholder by placeholder inside single
// arguments. A path stays one argument whatever characters it holds.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// Splits a command line the way the Microsoft C runtime does: blanks and tabs
// separate arguments outside double quotes; a double quote toggles quoting and
// is removed; 2n backslashes before a quote give n backslashes (the quote
// toggles), 2n+1 give n backslashes and a literal quote; other backslashes are
// literal.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// A placeholder filled inside an argument (matched without regard to ASCII case).
struct Placeholder {
  std::string find;
  std::string value;
};

// A placeholder that stands as a whole argument and becomes several arguments.
struct ListPlaceholder {
  std::string find;
  std::vector<std::string> arguments;
};

// Splits `commandTemplate`, drops a trailing "2>&1", expands list placeholders
// and fills the others. All placeholders of an argument are filled in one scan,
// so a filled-in value is never searched again.
std::vector<std::string> BuildCommand(std::string_view commandTemplate,
                                      const std::vector<Placeholder>& fills,
                                      const std::vector<ListPlaceholder>& lists = {});

// The arguments as one line that a POSIX shell splits back into the same
// arguments: each one holding anything but letters, digits, UTF-8 text and
// "_@%+=:,./-" goes in single quotes. For showing a command to a person.
std::string ShellLine(const std::vector<std::string>& args);

// A path as an encoder argument: absolute, so a file name can be mistaken
// neither for an option ("-x.mp4") nor for a protocol ("concat:a.mp4").
// An empty path stays empty.
std::string ToolPath(const std::filesystem::path& path);

// Escapes a path for a `movie=` source inside a filter graph: first as an
// option value, then as part of the graph text, so that any file name is read
// back exactly.
std::string EscapeFilterPath(std::string_view path);

}  // namespace mivora
