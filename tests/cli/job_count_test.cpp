// -j: a positive number as written, "auto" by the core count, nothing else.
#include "cli/job_count.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(JobCount, NumbersAndAuto) {
  struct Case {
    const char* text;
    unsigned cores;
    int expected;
  };
  const Case cases[] = {
      {"1", 2, 1},  {"3", 2, 3},    {"16", 1, 16},         {"auto", 2, AutoJobCount(2)},
      {"0", 2, 0},  {"-1", 2, 0},   {"2x", 2, 0},          {"", 2, 0},
      {" 2", 2, 0}, {"Auto", 2, 0}, {"99999999999", 2, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseJobCount(c.text, c.cores), c.expected) << c.text;
}

TEST(JobCount, AutoIsAtLeastOneAndGrowsWithTheCores) {
  EXPECT_EQ(AutoJobCount(0), 1);
  EXPECT_EQ(AutoJobCount(1), 1);
  int previous = 1;
  for (unsigned cores = 1; cores <= 64; ++cores) {
    EXPECT_GE(AutoJobCount(cores), previous) << cores;
    EXPECT_LE(AutoJobCount(cores), static_cast<int>(cores)) << cores;
    previous = AutoJobCount(cores);
  }
  EXPECT_GT(AutoJobCount(64), AutoJobCount(2));
}

}  // namespace
}  // namespace mivora
