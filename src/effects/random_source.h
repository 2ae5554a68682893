// The program's pseudo-random picks: a linear congruential generator reseeded
// before each use from a millisecond tick count plus a seed counter, so two
// seedings in the same millisecond still differ.
#pragma once

#include <cstdint>

namespace mivora {

class RandomSource {
 public:
  // Ticks from the system's monotonic millisecond clock.
  RandomSource();
  // A fixed tick: the picks become repeatable (the command line's --seed).
  explicit RandomSource(std::uint32_t fixedTick);

  // The window's one source, shared by every pick of the program.
  static RandomSource& Shared();

  // seed = tick + counter; counter += seed mod 256 + 100; state = seed.
  void Reseed();
  // state = state * 214013 + 2531011 (mod 2^32); yields (state >> 16) & 0x7FFF.
  int Next();
  // 0 without drawing when count is 1 or less, else Next() mod count.
  int PickIndex(int count);

 private:
  bool fixed_ = false;
  std::uint32_t fixedTick_ = 0;
  std::uint32_t counter_ = 0;
  std::uint32_t state_ = 0;
};

}  // namespace mivora
