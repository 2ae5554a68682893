// The generator: known values for known seeds, and the seed counter.
#include "effects/random_source.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(RandomSource, LinearCongruentialValues) {
  RandomSource zero(0);
  zero.Reseed();  // seed 0; the counter becomes 100
  EXPECT_EQ(zero.Next(), 38);
  EXPECT_EQ(zero.Next(), 7719);
  EXPECT_EQ(zero.Next(), 21238);

  RandomSource five(5);
  five.Reseed();  // seed 5, counter 105
  EXPECT_EQ(five.Next(), 54);
  EXPECT_EQ(five.Next(), 28693);
  five.Reseed();  // the same tick: seed 5 + 105
  EXPECT_EQ(five.Next(), 397);
  EXPECT_EQ(five.Next(), 10396);

  RandomSource wraps(0xFFFFFFFFu);
  wraps.Reseed();
  EXPECT_EQ(wraps.Next(), 35);
  EXPECT_EQ(wraps.Next(), 29739);
}

TEST(RandomSource, PickIndexDrawsOnlyWhenThereIsAChoice) {
  RandomSource picked(1000);
  RandomSource reference(1000);
  picked.Reseed();
  reference.Reseed();
  EXPECT_EQ(picked.PickIndex(1), 0);
  EXPECT_EQ(picked.PickIndex(0), 0);
  EXPECT_EQ(picked.PickIndex(7), reference.Next() % 7);  // 3304 % 7
  EXPECT_EQ(picked.Next(), reference.Next());
}

TEST(RandomSource, ClockTicksSeedDifferentlyEvenWithinOneMillisecond) {
  RandomSource& shared = RandomSource::Shared();
  EXPECT_EQ(&shared, &RandomSource::Shared());
  int first[3];
  int second[3];
  shared.Reseed();
  for (int& value : first) value = shared.Next();
  shared.Reseed();
  for (int& value : second) value = shared.Next();
  // Equal only if both seeds were equal, which the counter rules out.
  EXPECT_FALSE(first[0] == second[0] && first[1] == second[1] && first[2] == second[2]);
}

}  // namespace
}  // namespace mivora
