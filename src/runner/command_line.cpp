#include "runner/command_line.h"

#include "runner/text.h"

namespace mivora {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string FillArgument(std::string_view argument, const std::vector<Placeholder>& fills) {
  std::string out;
  std::size_t pos = 0;
  while (pos < argument.size()) {
    const Placeholder* hit = nullptr;
    for (const Placeholder& fill : fills) {
      if (!fill.find.empty() && argument.size() - pos >= fill.find.size() &&
          EqualsIgnoreAsciiCase(argument.substr(pos, fill.find.size()), fill.find)) {
        hit = &fill;
        break;
      }
    }
    if (hit) {
      out += hit->value;
      pos += hit->find.size();
      continue;
    }
    std::size_t len = CharLengthAt(argument, pos);
    out.append(argument.substr(pos, len));
    pos += len;
  }
  return out;
}

std::string EscapeChars(std::string_view text, std::string_view special) {
  std::string out;
  for (char c : text) {
    if (special.find(c) != std::string_view::npos) out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t count = 0;
        while (i < line.size() && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        quoted = !quoted;
        ++i;
        continue;
      }
      arg.push_back(line[i]);
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::vector<std::string> BuildCommand(std::string_view commandTemplate,
                                      const std::vector<Placeholder>& fills,
                                      const std::vector<ListPlaceholder>& lists) {
  std::vector<std::string> pieces = SplitCommandLine(commandTemplate);
  if (!pieces.empty() && pieces.back() == "2>&1") pieces.pop_back();
  std::vector<std::string> args;
  for (const std::string& piece : pieces) {
    const ListPlaceholder* list = nullptr;
    for (const ListPlaceholder& candidate : lists) {
      if (EqualsIgnoreAsciiCase(piece, candidate.find)) list = &candidate;
    }
    if (list) {
      args.insert(args.end(), list->arguments.begin(), list->arguments.end());
    } else {
      args.push_back(FillArgument(piece, fills));
    }
  }
  return args;
}

std::string ShellLine(const std::vector<std::string>& args) {
  auto plain = [](unsigned char c) {
    return c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') ||
           std::string_view("_@%+=:,./-").find(c) != std::string_view::npos;
  };
  std::string line;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    bool quote = arg.empty();
    for (char c : arg) quote = quote || !plain(static_cast<unsigned char>(c));
    if (i > 0) line += ' ';
    line += quote ? "'" + ReplacePairs(arg, {{"'", "'\\''"}}) + "'" : arg;
  }
  return line;
}

std::string ToolPath(const std::filesystem::path& path) {
  if (path.empty()) return {};
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path.string() : full.string();
}

std::string EscapeFilterPath(std::string_view path) {
  // Blanks are escaped too: both levels trim unescaped white space at the ends.
  std::string optionLevel = EscapeChars(path, "\\':= \t\n\r");
  return EscapeChars(optionLevel, "\\'[],; \t\n\r");
}

}  // namespace mivora
