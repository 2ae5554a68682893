// Framing without the encoder: mode names, which pictures are framed, and the
// shape of the graph and of the framing encode.
#include "jobs/framing.h"

#include <gtest/gtest.h>

#include <algorithm>
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
  struct Case {
    double aspect;
    bool framed;
  } cases[] = {
      {720.0 / 1280, false},
      {1080.0 / 1920, false},
      {0.57, false},   // 1.3% wider
      {0.553, false},  // 1.7% narrower
      {0.575, true},   // 2.2% wider
      {0.55, true},    // 2.2% narrower
      {16.0 / 9, true},
      {1, true},
      {4.0 / 3, true},
      {0.3, true},
      {0, false},
      {-0.5625, false},
      {std::numeric_limits<double>::quiet_NaN(), false},
      {std::numeric_limits<double>::infinity(), false},
  };
  for (const Case& c : cases) EXPECT_EQ(NeedsFraming(c.aspect), c.framed) << c.aspect;
}

// Every label the graph reads or writes, in order.
std::vector<std::string> Labels(const std::string& graph) {
  std::vector<std::string> labels;
  std::regex label(R"(\[([^\]]*)\])");
  for (auto it = std::sregex_iterator(graph.begin(), graph.end(), label);
       it != std::sregex_iterator(); ++it) {
    labels.push_back((*it)[1]);
  }
  return labels;
}

TEST(FramingGraph, ReadsItsInputWritesItsOutputAndKeepsToItsPrefix) {
  for (FitMode mode : {FitMode::kBlur, FitMode::kCover, FitMode::kStretch}) {
    SCOPED_TRACE(FitModeName(mode));
    std::string graph = FramingGraph(mode, "2:v", "framed2", "fit2_");
    std::vector<std::string> labels = Labels(graph);
    ASSERT_GE(labels.size(), 2u);
    EXPECT_EQ(graph.rfind("[2:v]", 0), 0u);
    EXPECT_EQ(graph.substr(graph.size() - 9), "[framed2]");
    // Each inner label is written once and read once, under the prefix.
    std::map<std::string, int> uses;
    for (std::size_t i = 1; i + 1 < labels.size(); ++i) {
      EXPECT_EQ(labels[i].rfind("fit2_", 0), 0u) << labels[i];
      ++uses[labels[i]];
    }
    for (const auto& [name, count] : uses) EXPECT_EQ(count, 2) << name;
    EXPECT_NE(graph.find("setsar=1"), std::string::npos);
  }
  EXPECT_EQ(FramingGraph(FitMode::kStretch, "in", "out", "p_"), "[in]scale=720:1280,setsar=1[out]");
}

TEST(FramingEncode, PlaceholderFirstAndPathsThatCannotBeOptions) {
  std::filesystem::path here = std::filesystem::current_path();
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string source;
    std::string output;
  } cases[] = {
      {"video", FramingEncodeArgs(FitMode::kCover, "-x.mp4", "/w/framed.mp4"),
       (here / "-x.mp4").string(), "/w/framed.mp4"},
      {"image", FramedImageArgs(FitMode::kBlur, "/p/a b.jpg", "concat:o.png"), "/p/a b.jpg",
       (here / "concat:o.png").string()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GE(c.args.size(), 6u);
    EXPECT_EQ(c.args.front(), "D:\\ffmpeg\\bin\\ffmpeg.exe");
    EXPECT_EQ(c.args.back(), c.output);
    auto input = std::find(c.args.begin(), c.args.end(), "-i");
    ASSERT_NE(input, c.args.end());
    EXPECT_EQ(*(input + 1), c.source);
    auto graph = std::find(c.args.begin(), c.args.end(), "-filter_complex");
    ASSERT_NE(graph, c.args.end());
    EXPECT_EQ(Labels(*(graph + 1)).back(), "framed");
    auto map = std::find(c.args.begin(), c.args.end(), "-map");
    ASSERT_NE(map, c.args.end());
    EXPECT_EQ(*(map + 1), "[framed]");
  }
}

}  // namespace
}  // namespace mivora
