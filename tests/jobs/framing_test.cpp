// Framing without the encoder: mode names, which pictures are framed, and how
// the graph links into a larger one.
#include "jobs/framing.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <regex>

namespace mivora {
namespace {

TEST(FitMode, NamesRoundTripAndOthersAreRejected) {
  for (FitMode mode : {FitMode::kBlur, FitMode::kCover, FitMode::kStretch}) {
    EXPECT_EQ(ParseFitMode(FitModeName(mode)), mode);
  }
  EXPECT_EQ(FitModeName(kDefaultFitMode), "blur");
  for (const char* other : {"", "Blur", "fill", "blur ", "cover,"}) {
    EXPECT_FALSE(ParseFitMode(other).has_value()) << other;
  }
}

TEST(NeedsFraming, OnlyShapesMoreThanTwoPercentFromNineBySixteen) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  struct Case {
    double aspect;
    bool framed;
  } cases[] = {
      {720.0 / 1280, false}, {0.57, false},      {0.553, false}, {0.575, true}, {0.55, true},
      {16.0 / 9, true},      {1, true},          {0.3, true},    {0, false},    {-0.5625, false},
      {kNaN, false},         {kInfinity, false},
  };
  for (const Case& c : cases) EXPECT_EQ(NeedsFraming(c.aspect), c.framed) << c.aspect;
}

TEST(FramingGraph, ReadsItsInputWritesItsOutputAndKeepsToItsPrefix) {
  const std::regex label(R"(\[([^\]]*)\])");
  for (FitMode mode : {FitMode::kBlur, FitMode::kCover, FitMode::kStretch}) {
    SCOPED_TRACE(FitModeName(mode));
    std::string graph = FramingGraph(mode, "2:v", "framed2", "fit2_");
    std::vector<std::string> labels;
    for (auto it = std::sregex_iterator(graph.begin(), graph.end(), label);
         it != std::sregex_iterator(); ++it) {
      labels.push_back((*it)[1]);
    }
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(graph.rfind("[2:v]", 0), 0u);
    EXPECT_EQ(labels.back(), "framed2");
    EXPECT_TRUE(graph.ends_with("[framed2]"));
    // Each inner label is written once and read once, under the prefix.
    std::map<std::string, int> uses;
    for (std::size_t i = 1; i + 1 < labels.size(); ++i) {
      EXPECT_TRUE(labels[i].starts_with("fit2_")) << labels[i];
      ++uses[labels[i]];
    }
    for (const auto& [name, count] : uses) EXPECT_EQ(count, 2) << name;
  }
}

}  // namespace
}  // namespace mivora
