// What a title costs: one item end to end through mivora-cli, plain (the
// reference) and with a long title, in both engines, two rounds with the
// order turned round, the better of each counting. CPU seconds are shown
// beside the wall time: on a machine shared with other work they tell the
// title's own cost where the wall time is blurred by the load.

#include <cstdio>
#include <fstream>
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
  std::ofstream(home / "文案.txt") << "今天上新的夏季连衣裙限时八折，下单再送精美小礼品，"
                                      "数量有限先到先得\\n点击左下角了解更多\n";
  bool ok = true;
  for (const char* engine : {"onepass", "steps"}) {
    std::vector<std::string> base =
        bench::CliRunArgs(home.path(), audio.path(), "特效12-特效29-特效38-特效66");
    base.insert(base.end(), {"--engine", engine});
    const std::array<bench::Usage, 2> best = bench::BetterOfTwoRounds(
        [&base](int which) {
          std::vector<std::string> args = base;
          if (which == 1) args.push_back("--add-titles");
          return args;
        },
        ok);
    std::printf(
        "%-8s plain item: %6.2f s (%6.2f s CPU)   with a title: %6.2f s (%6.2f s CPU)   "
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
