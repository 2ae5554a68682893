// The walk along a source: which stretch becomes which segment file and which
// effect renders it. Pure decisions; an engine carries them out.
#pragma once

#include <string>
#include <vector>

namespace mivora {

struct WalkStep {
  enum class Kind { kCut, kRender };
  Kind kind = Kind::kCut;
  int segment = 0;        // 1-based number of the segment file
  int startSeconds = 0;   // cuts only
  int lengthSeconds = 0;  // cuts only
  std::string effect;     // renders only; may be a name outside the catalogue
};

// The steps for a source of `sourceSeconds` and an effect line. Entries are
// taken in order while they fit; an effect that would run past the end gets
// the rest of the source and ends the walk; source left after the last entry
// becomes one more plain segment. Durations are read as their leading digits
// (an empty entry is 0). Without `render` only cuts are planned.
std::vector<WalkStep> PlanWalk(int sourceSeconds, const std::vector<std::string>& durations,
                               const std::vector<std::string>& names, bool render);

}  // namespace mivora
