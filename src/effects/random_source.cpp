// The program's linear congruential generator and its seeding.
#include "effects/random_source.h"

#include <chrono>

namespace mivora {

RandomSource::RandomSource() = default;

RandomSource::RandomSource(std::uint32_t fixedTick) : fixed_(true), fixedTick_(fixedTick) {}

RandomSource& RandomSource::Shared() {
  static RandomSource shared;
  return shared;
}

void RandomSource::Reseed() {
  std::uint32_t tick = fixedTick_;
  if (!fixed_) {
    auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    // A millisecond count that wraps like a 32-bit tick counter.
    tick = static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
  }
  std::uint32_t seed = tick + counter_;
  counter_ += seed % 256 + 100;
  state_ = seed;
}

int RandomSource::Next() {
  state_ = state_ * 214013u + 2531011u;
  return static_cast<int>((state_ >> 16) & 0x7FFF);
}

int RandomSource::PickIndex(int count) {
  if (count <= 1) return 0;
  return Next() % count;
}

}  // namespace mivora
