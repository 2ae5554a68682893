// The effect code: lines of effect names joined by "-". A job picks one line
// per item and expands it into the durations line it cuts by and the names
// line it renders by.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effects/random_source.h"

namespace mivora {

// The effect code a run starts with: the window's default text, which the
// command line uses when no other code is given.
inline constexpr char kDefaultEffectCode[] =
    "特效12-特效29-特效38-特效66-特效63-特效64\r\n特效24-特效29-特效38-特效12-特效63-特效64";

// The effect code box's text cut into lines at "\n" or "\r\n". Empty lines
// between others stay; a final line break gives no empty last line; an empty
// text gives no lines.
std::vector<std::string> SplitEffectCode(std::string_view code);

// Reseeds `random`, picks one line at random among the non-empty lines (no
// value is drawn when there is only one) and returns durations line + "&&&" +
// names line. Each name in turn replaces the first occurrence of itself in the
// working text (ASCII case folded) by its duration; a name outside the
// catalogue thus removes itself, or an earlier digit equal to it. When every
// line is empty the result is "&&&". `effectLines` must hold a line.
std::string PickEffectLine(const std::vector<std::string>& effectLines, RandomSource& random);

// One line expanded as PickEffectLine does, without drawing: durations line +
// "&&&" + names line; "&&&" for an empty line.
std::string ExpandEffectLine(const std::string& names);

// The different non-empty lines, in their order: what versions of one source
// choose among.
std::vector<std::string> DistinctEffectLines(const std::vector<std::string>& effectLines);

// The first name of a non-empty line that is not one of the catalogue's,
// the empty text for an empty name (two "-" in a row, or one at a line's
// start; one at its end is no name); nothing when every name is known. Such a name would cut the
// item without its effect, or fail it without saying why.
std::optional<std::string> FirstUnknownEffect(const std::vector<std::string>& effectLines);

struct EffectPick {
  std::string durations;
  std::string names;
};

// Splits a combined text at "&&&"; a missing piece is an empty line.
EffectPick SplitPick(const std::string& combined);

}  // namespace mivora
