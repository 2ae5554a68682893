#include "jobs/version_picks.h"

#include <algorithm>
#include <numeric>
#include <set>

#include "effects/effect_code.h"

namespace mivora {
namespace {

// Below this many combinations all of them are shuffled; above, distinct
// draws are found by drawing again, which rarely repeats with at most 99
// versions.
constexpr std::uint64_t kShuffledSpace = 4096;

// splitmix64: a fixed stream of numbers from a seed, the same on every
// machine and library.
struct Stream {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t x = (state += 0x9E3779B97F4A7C15ULL);
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
  }
  std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
};

const std::vector<std::string>& OverlayList(const FrontChoices& choices) {
  return choices.blackScreen ? choices.blackScreens : choices.greenScreens;
}

std::uint64_t Count(bool used, const std::vector<std::string>& list) {
  return used && !list.empty() ? list.size() : 1;
}

// Takes the next index of one part out of the combination.
std::size_t Part(std::uint64_t& combination, std::uint64_t size) {
  std::size_t index = static_cast<std::size_t>(combination % size);
  combination /= size;
  return index;
}

std::string Entry(bool used, const std::vector<std::string>& list, std::size_t index) {
  return used && !list.empty() ? list[index] : std::string();
}

}  // namespace

PickSpace SpaceOf(const FrontChoices& choices, const std::vector<std::string>& effectLines) {
  PickSpace space;
  space.lines = std::max<std::uint64_t>(1, DistinctEffectLines(effectLines).size());
  space.intros = Count(choices.intro, choices.intros);
  space.outros = Count(choices.outro, choices.outros);
  space.overlays = Count(true, OverlayList(choices));
  space.audios = Count(true, choices.audios);
  return space;
}

std::uint64_t VersionCombination(std::uint64_t combinations, std::uint32_t seed, int variant) {
  Stream stream{seed};
  const std::uint64_t k = static_cast<std::uint64_t>(std::max(variant, 1) - 1) % combinations;
  if (combinations <= kShuffledSpace) {
    std::vector<std::uint64_t> order(combinations);
    std::iota(order.begin(), order.end(), 0);
    for (std::uint64_t i = 0; i <= k; ++i)
      std::swap(order[i], order[i + stream.Below(combinations - i)]);
    return order[k];
  }
  std::set<std::uint64_t> drawn;
  for (;;) {
    std::uint64_t next = stream.Below(combinations);
    if (!drawn.insert(next).second) continue;
    if (drawn.size() == k + 1) return next;
  }
}

VersionPicks DrawVersion(const FrontChoices& choices, const std::vector<std::string>& effectLines,
                         std::uint32_t seed, int variant) {
  const PickSpace space = SpaceOf(choices, effectLines);
  std::uint64_t combination = VersionCombination(space.Combinations(), seed, variant);
  const std::vector<std::string> lines = DistinctEffectLines(effectLines);
  VersionPicks picks;
  std::size_t line = Part(combination, space.lines);
  picks.effectLine = ExpandEffectLine(lines.empty() ? std::string() : lines[line]);
  AssemblyPicks& clips = picks.clips;
  clips.intro = Entry(choices.intro, choices.intros, Part(combination, space.intros));
  clips.outro = Entry(choices.outro, choices.outros, Part(combination, space.outros));
  clips.blackScreen = choices.blackScreen;
  clips.overlay = Entry(true, OverlayList(choices), Part(combination, space.overlays));
  clips.audio = Entry(true, choices.audios, Part(combination, space.audios));
  return picks;
}

}  // namespace mivora
