// What the versions of one source are made with. Each version draws a tuple
// (effect line, intro, outro, overlay clip, audio, title) from the combinations the
// effect code and the clip lists allow; the versions of a source never repeat
// a tuple until every combination has been used. A version's tuple depends
// only on the source's seed, its number and the lists, so the same seed gives
// the same versions whatever runs beside it or in which order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/item_plan.h"
#include "jobs/job_inputs.h"

namespace mivora {

// How many choices each part of the tuple has (at least one: an empty list or
// a switched-off part is one choice, "none").
struct PickSpace {
  std::uint64_t lines = 1;
  std::uint64_t intros = 1;
  std::uint64_t outros = 1;
  std::uint64_t overlays = 1;
  std::uint64_t audios = 1;
  std::uint64_t titles = 1;

  // Without titles: the choices of the clips and lines.
  std::uint64_t ClipCombinations() const { return lines * intros * outros * overlays * audios; }
  std::uint64_t Combinations() const { return ClipCombinations() * titles; }
};

// `titled`: the run's options turn titles on, so the title list counts.
PickSpace SpaceOf(const FrontChoices& choices, bool titled,
                  const std::vector<std::string>& effectLines);

// The combination (0 .. Combinations()-1) of version `variant` (1-based): the
// first Combinations() versions are pairwise different, later ones repeat.
std::uint64_t VersionCombination(std::uint64_t combinations, std::uint32_t seed, int variant);

// One version's effect line (expanded, as PickEffectLine gives it) and clips.
struct VersionPicks {
  std::string effectLine;
  AssemblyPicks clips;  // everything but the output folder
};

VersionPicks DrawVersion(const FrontChoices& choices, bool titled,
                         const std::vector<std::string>& effectLines, std::uint32_t seed,
                         int variant);

}  // namespace mivora
