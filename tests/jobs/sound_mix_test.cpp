// The sound mix as text: which inputs it opens, how each piece is made its
// length on screen, and how the music goes under the source's sound.
#include "jobs/sound_mix.h"

#include <gtest/gtest.h>

namespace mivora {
namespace {

TEST(MixSound, PiecesJoinInOrderAndTheMusicGoesUnder) {
  const std::vector<SoundPiece> walk = {
      {"", 0, 1.5, 1.5}, {"/s.mp4", 3, 2, 2}, {"/s.mp4", 5, 2, 3.25}, {"/o.mp4", 0, 0.75, 0.75}};
  // Each piece with sound is opened at its own stretch, after inputs 0 and 1.
  const std::vector<std::string> opened = {"-vn", "-ss", "3.000", "-t", "2.000", "-i", "/s.mp4",
                                           "-vn", "-ss", "5.000", "-t", "2.000", "-i", "/s.mp4",
                                           "-vn", "-ss", "0.000", "-t", "0.750", "-i", "/o.mp4"};
  struct Case {
    std::vector<SoundPiece> pieces;
    SoundOptions options;
    int music;
    std::vector<std::string> present;  // in this order
    std::vector<std::string> absent;
  } cases[] = {
      // Music alone is mapped as it is, without a graph.
      {walk, {SoundMode::kMusic, 0.3, true}, 1, {}, {}},
      {{}, {SoundMode::kBoth, 0.3, true}, 1, {}, {}},
      {walk,
       {SoundMode::kSource, 0.3, false},
       -1,
       {"anullsrc=r=48000:cl=stereo,atrim=0:1.500[snd1]", "[2:a]asetpts=PTS-STARTPTS,",
        "apad=whole_dur=2.000,atrim=0:2.000[snd2]",
        // An effect longer than its stretch: the stretch, then silence.
        "[3:a]asetpts=PTS-STARTPTS,", "apad=whole_dur=3.250,atrim=0:3.250[snd3]", "[4:a]asetpts",
        "atrim=0:0.750[snd4]", "[snd1][snd2][snd3][snd4]concat=n=4:v=0:a=1,",
        "loudnorm=I=-16:TP=-1.5:LRA=11,aresample=48000,", "[out]"},
       {"amix", "volume", "sidechaincompress", "[1:a]", "[5:a]"}},
      {walk,
       {SoundMode::kBoth, 0.5, false},
       1,
       {"concat=n=4:v=0:a=1,loudnorm", "[voice]", "[1:a]aformat=", ",volume=0.50[music]",
        "[voice][music]amix=inputs=2:duration=first:normalize=0[out]"},
       {"sidechaincompress", "asplit"}},
      {walk,
       {SoundMode::kBoth, 0.3, true},
       1,
       {"volume=0.30[music]", "[voice]asplit=2[spoken][key]", "[music][key]sidechaincompress=",
        "[ducked]", "[spoken][ducked]amix=inputs=2:duration=first:normalize=0[out]"},
       {}},
      // Both without a music input: the source's sound alone.
      {walk, {SoundMode::kBoth, 0.3, true}, -1, {"loudnorm", "[out]"}, {"amix", "[voice]"}},
  };
  for (const Case& c : cases) {
    SoundMix mix = MixSound(c.pieces, 2, c.music, c.options, "[out]");
    const std::string& graph = mix.graph;
    SCOPED_TRACE(graph);
    if (c.present.empty()) {
      EXPECT_EQ(graph, "");
      EXPECT_TRUE(mix.inputs.empty());
      continue;
    }
    EXPECT_EQ(mix.inputs, opened);
    std::size_t at = 0;
    for (const std::string& piece : c.present) {
      std::size_t found = graph.find(piece, at);
      ASSERT_NE(found, std::string::npos) << piece;
      at = found + piece.size();
    }
    EXPECT_EQ(graph.substr(graph.size() - 5), "[out]");
    for (const std::string& piece : c.absent)
      EXPECT_EQ(graph.find(piece), std::string::npos) << piece;
  }
}

}  // namespace
}  // namespace mivora
