// BuildCommand over any template and placeholders. Fields: template, two
// find/value pairs, a list placeholder and its two arguments. The argument
// count follows from the split template; an argument where no placeholder can
// be found stays as it was; filling never searches a filled-in value again,
// so each argument stays within the size of every match replaced by the
// longest value.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "runner/command_line.h"
#include "runner/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using mivora::FindText;
  auto fields = mivora::fuzz::Fields(data, size, 8);
  std::vector<mivora::Placeholder> fills = {{std::string(fields[1]), std::string(fields[2])},
                                            {std::string(fields[3]), std::string(fields[4])}};
  std::vector<mivora::ListPlaceholder> lists = {
      {std::string(fields[5]), {std::string(fields[6]), std::string(fields[7])}}};

  std::vector<std::string> args = mivora::BuildCommand(fields[0], fills, lists);

  std::vector<std::string> pieces = mivora::SplitCommandLine(fields[0]);
  if (!pieces.empty() && pieces.back() == "2>&1") pieces.pop_back();
  std::size_t longest = std::max({std::size_t{1}, fills[0].value.size(), fills[1].value.size()});
  std::size_t shortest =
      std::max<std::size_t>(1, std::min(fills[0].find.empty() ? SIZE_MAX : fills[0].find.size(),
                                        fills[1].find.empty() ? SIZE_MAX : fills[1].find.size()));
  std::size_t next = 0;
  for (const std::string& piece : pieces) {
    if (mivora::EqualsIgnoreAsciiCase(piece, lists[0].find)) {
      FUZZ_CHECK(next + 2 <= args.size());
      FUZZ_CHECK(args[next] == lists[0].arguments[0] && args[next + 1] == lists[0].arguments[1]);
      next += 2;
      continue;
    }
    FUZZ_CHECK(next < args.size());
    const std::string& arg = args[next++];
    bool none = std::all_of(fills.begin(), fills.end(), [&](const mivora::Placeholder& fill) {
      return FindText(piece, fill.find, 0, false) == std::string_view::npos;
    });
    if (none) FUZZ_CHECK(arg == piece);
    FUZZ_CHECK(arg.size() <= piece.size() + (piece.size() / shortest) * longest);
  }
  FUZZ_CHECK(next == args.size());
  return 0;
}
