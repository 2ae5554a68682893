// The sound of a finished video: the looping music alone, the source's own
// sound in step with its pictures, or both with the music under it. Pure text
// work: the audio half of an encoder's filter graph, for both engines.
#pragma once

#include <string>
#include <vector>

#include "jobs/name_table.h"

namespace mivora {

enum class SoundMode {
  kMusic,   // the looping music alone (the source's sound is dropped)
  kSource,  // the source's own sound; intro and outro keep theirs
  kBoth,    // the source's sound with the music under it
};

inline constexpr NameTable<SoundMode, 3> kSoundNames({{
    {SoundMode::kMusic, "music"},
    {SoundMode::kSource, "source"},
    {SoundMode::kBoth, "both"},
}});

struct SoundOptions {
  SoundMode mode = SoundMode::kMusic;
  double musicVolume = 0.3;  // the music's gain under the source's sound
  bool duck = false;         // the music is pressed down while the source sounds
};

// Whether a music volume is one the mix takes (0..1).
constexpr bool MusicVolumeInRange(double volume) {
  return volume >= 0 && volume <= 1;
}

// One stretch of the finished video's sound, in the order they play.
struct SoundPiece {
  std::string file;     // the file it is read from; empty: silence
  double start = 0;     // where in that file it begins, seconds
  double used = 0;      // how much of that file it takes
  double onScreen = 0;  // how long it lasts in the finished video
};

// The encoder inputs (each piece opened at its own start, which is exact to
// the sample; one decoded stream split between several padded pieces fails
// in the encoder's filters) and the filter chains that make the finished
// sound under `label`: each piece padded with silence or cut to its length
// on screen, evened out in loudness; with kBoth the looping music of input
// `musicInput` is laid under it at the options' volume, ducked when asked.
struct SoundMix {
  std::vector<std::string> inputs;  // to follow every other input of the command
  std::string graph;                // empty with kMusic or without pieces
};

// `firstInput` is the number the first of `inputs` will have.
SoundMix MixSound(const std::vector<SoundPiece>& pieces, int firstInput, int musicInput,
                  const SoundOptions& options, const std::string& label);

}  // namespace mivora
