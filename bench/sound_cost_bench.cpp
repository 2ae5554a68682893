// What keeping the source's sound costs: one item end to end through
// mivora-cli with the music alone (the reference) and with "--sound both
// --duck" (the source's sound per piece, evened out in loudness, the music
// ducked under it), in both engines, two rounds with the order turned round,
// the better of each counting. CPU seconds are shown beside the wall time.

#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

int main() {
  using namespace mivora;
  test::TempDir home;
  test::TempDir audio;
  if (!test::MakeClip(home / "测试视频剪辑" / "s1.mp4",
                      {.seconds = 8, .width = 640, .height = 360}) ||
      !test::MakeTone(audio / "a.mp3", 5)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  bool ok = true;
  for (const char* engine : {"onepass", "steps"}) {
    std::vector<std::string> base =
        bench::CliRunArgs(home.path(), audio.path(), "特效12-特效29-特效38-特效66");
    base.insert(base.end(), {"--engine", engine});
    const std::array<bench::Usage, 2> best = bench::BetterOfTwoRounds(
        [&base](int which) {
          std::vector<std::string> args = base;
          if (which == 1) args.insert(args.end(), {"--sound", "both", "--duck"});
          return args;
        },
        ok);
    std::printf(
        "%-8s music only: %6.2f s (%6.2f s CPU)   both, ducked: %6.2f s (%6.2f s CPU)   "
        "%.3fx wall, %.3fx CPU\n",
        engine, best[0].wallSeconds, best[0].cpuSeconds, best[1].wallSeconds, best[1].cpuSeconds,
        best[1].wallSeconds / best[0].wallSeconds, best[1].cpuSeconds / best[0].cpuSeconds);
  }
  if (!ok) {
    std::fprintf(stderr, "a run of mivora-cli failed\n");
    return 1;
  }
  return 0;
}
