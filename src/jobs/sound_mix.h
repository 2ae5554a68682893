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
  int input = -1;       // the encoder input it is read from; -1: silence
  double start = 0;     // where in that input it begins, seconds
  double used = 0;      // how much of that input it takes
  double onScreen = 0;  // how long it lasts in the finished video
};

// The filter chains that make the finished sound under `label` from the
// pieces (each padded with silence or cut to its length on screen), evened
// out in loudness; with kBoth the looping music of input `musicInput` is laid
// under it at the options' volume, ducked when asked. Empty with kMusic or
// without pieces: the music is then mapped as it is.
std::string SoundGraph(const std::vector<SoundPiece>& pieces, int musicInput,
                       const SoundOptions& options, const std::string& label);

}  // namespace mivora
