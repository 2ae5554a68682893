// What the large canvas costs: one item end to end through mivora-cli at
// 720x1280 (the reference) and at 1080x1920, in both engines, two rounds
// with the order turned round, the better of each counting. The large
// canvas has 2.25 times the pixels; CPU seconds are shown beside the wall
// time, which the load of a shared machine blurs.

#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"
#include "effects/output_format.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

int main() {
  using namespace mivora;
  test::TempDir home;
  test::TempDir audio;
  if (!test::MakeClip(home / "测试视频剪辑" / "s1.mp4", {.seconds = 20}) ||
      !test::MakeTone(audio / "a.mp3", 5)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  const Canvas canvases[] = {kBaseCanvas, kLargeCanvas};
  bool ok = true;
  for (const char* engine : {"onepass", "steps"}) {
    const std::array<bench::Usage, 2> best = bench::BetterOfTwoRounds(
        [engine, &home, &audio, &canvases](int which) {
          std::vector<std::string> args = bench::CliRunArgs(
              home.path(), audio.path(), "特效12-特效29-特效38-特效66-特效63-特效64");
          args.insert(args.end(), {"--engine", engine, "--size", FrameSize(canvases[which])});
          return args;
        },
        ok);
    std::printf(
        "%-8s 720x1280: %6.2f s (%6.2f s CPU)   1080x1920: %6.2f s (%6.2f s CPU)   "
        "%.3fx wall, %.3fx CPU   outputs per hour %.0f / %.0f\n",
        engine, best[0].wallSeconds, best[0].cpuSeconds, best[1].wallSeconds, best[1].cpuSeconds,
        best[1].wallSeconds / best[0].wallSeconds, best[1].cpuSeconds / best[0].cpuSeconds,
        3600 / best[0].wallSeconds, 3600 / best[1].wallSeconds);
  }
  if (!ok) {
    std::fprintf(stderr, "a run of mivora-cli failed\n");
    return 1;
  }
  return 0;
}
