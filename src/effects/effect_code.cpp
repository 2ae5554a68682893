// Picking and expanding an effect line.
#include "effects/effect_code.h"

#include <algorithm>
#include <cassert>

#include "effects/effect_catalogue.h"
#include "runner/text.h"

namespace mivora {

std::vector<std::string> SplitEffectCode(std::string_view code) {
  return SplitText(ReplacePairs(code, {{"\r\n", "\n"}}), "\n");
}

std::string PickEffectLine(const std::vector<std::string>& effectLines, RandomSource& random) {
  assert(!effectLines.empty() && "an empty effect code never starts a run");
  random.Reseed();
  // An empty line would give the item no effect at all, so it is only taken
  // when there is nothing else.
  std::vector<const std::string*> candidates;
  for (const std::string& line : effectLines) {
    if (!line.empty()) candidates.push_back(&line);
  }
  if (candidates.empty()) return "&&&";
  return ExpandEffectLine(
      *candidates[static_cast<std::size_t>(random.PickIndex(static_cast<int>(candidates.size())))]);
}

std::string ExpandEffectLine(const std::string& names) {
  if (names.empty()) return "&&&";
  std::string durations = names;
  ReplaceOptions once;
  once.maxCount = 1;
  for (const std::string& name : SplitText(names, "-")) {
    std::string duration = EffectDuration(name);
    durations = ReplacePairs(durations, {{name, duration}}, once);
  }
  return durations + "&&&" + names;
}

std::vector<std::string> DistinctEffectLines(const std::vector<std::string>& effectLines) {
  std::vector<std::string> lines;
  for (const std::string& line : effectLines) {
    if (!line.empty() && std::find(lines.begin(), lines.end(), line) == lines.end())
      lines.push_back(line);
  }
  return lines;
}

std::optional<std::string> FirstUnknownEffect(const std::vector<std::string>& effectLines) {
  for (const std::string& line : effectLines) {
    if (line.empty()) continue;
    for (const std::string& name : SplitText(line, "-")) {
      if (EffectDuration(name).empty()) return name;
    }
  }
  return std::nullopt;
}

EffectPick SplitPick(const std::string& combined) {
  std::vector<std::string> pieces = SplitText(combined, "&&&");
  EffectPick pick;
  if (!pieces.empty()) pick.durations = pieces[0];
  if (pieces.size() > 1) pick.names = pieces[1];
  return pick;
}

}  // namespace mivora
