#include "jobs/version_picks.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <utility>

#include "effects/effect_code.h"

namespace mivora {
namespace {

// Below this many combinations all of them are shuffled; above, distinct
// draws are found by drawing again, which rarely repeats with at most 99
// versions.
constexpr std::uint64_t kShuffledSpace = 4096;

// Mixed into the seed for the order of the titles.
constexpr std::uint32_t kTitleStream = 0x7469746CU;

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

// The title's turn and the clips' turn of version `k` (0-based) when `titles`
// titles combine with `clips` combinations: the titles go round fastest, so
// the first `titles` versions draw different titles, and every block of
// lcm(titles, clips) versions shifts the clips' turn by one, so the first
// titles * clips versions are all the pairs. Without titles the clips' turn
// is k itself.
std::pair<std::uint64_t, std::uint64_t> Turns(std::uint64_t k, std::uint64_t titles,
                                              std::uint64_t clips) {
  const std::uint64_t common = std::gcd(titles, clips);
  const std::uint64_t lcm = clips / common * titles;
  // Past every pair the versions repeat; a product beyond 64 bits is never
  // reached by a version number.
  if (std::uint64_t pairs = 0; !__builtin_mul_overflow(lcm, common, &pairs)) k %= pairs;
  return {k % titles, (k + (k / lcm) % common) % clips};
}

std::string Entry(bool used, const std::vector<std::string>& list, std::size_t index) {
  return used && !list.empty() ? list[index] : std::string();
}

}  // namespace

PickSpace SpaceOf(const FrontChoices& choices, bool titled,
                  const std::vector<std::string>& effectLines) {
  PickSpace space;
  space.lines = std::max<std::uint64_t>(1, DistinctEffectLines(effectLines).size());
  space.intros = Count(choices.intro, choices.intros);
  space.outros = Count(choices.outro, choices.outros);
  space.overlays = Count(true, OverlayList(choices));
  space.audios = Count(true, choices.audios);
  space.titles = Count(titled, choices.titles);
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

VersionPicks DrawVersion(const FrontChoices& choices, bool titled,
                         const std::vector<std::string>& effectLines, std::uint32_t seed,
                         int variant) {
  const PickSpace space = SpaceOf(choices, titled, effectLines);
  const auto [titleTurn, clipTurn] = Turns(static_cast<std::uint64_t>(std::max(variant, 1) - 1),
                                           space.titles, space.ClipCombinations());
  std::uint64_t combination =
      VersionCombination(space.ClipCombinations(), seed, static_cast<int>(clipTurn) + 1);
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
  if (titled) {
    // The titles are shuffled by a stream of their own, so that adding a
    // title list leaves the order of the other parts as it was.
    const std::uint64_t title =
        VersionCombination(space.titles, seed ^ kTitleStream, static_cast<int>(titleTurn) + 1);
    clips.title = Entry(true, choices.titles, title);
  }
  return picks;
}

}  // namespace mivora
