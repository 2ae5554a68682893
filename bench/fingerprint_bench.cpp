// What fingerprinting a finished video costs against making it: one item of
// the video job as the pipeline benchmark makes it (20-second source, a long
// effect line, intro, black-screen overlay, looped audio, one-pass engine),
// then the fingerprint of its output alone, three rounds in the same run. The
// item's figure includes its own fingerprint, so the share is of what a user
// waits for. The smallest share of the rounds counts, as the one least
// disturbed by other work; the goal is under 5%.
#include <algorithm>
#include <cstdio>
#include <string>

#include "child_usage.h"
#include "jobs/video_fingerprint.h"
#include "sample_item.h"

namespace {

using namespace mivora;
constexpr int kRounds = 3;

bool Fingerprint(const bench::SampleHome& home) {
  RunToken token;
  return !FingerprintVideo(ToolEnv{home.dir.path(), token}, home.output).empty();
}

}  // namespace

int main() {
  bench::SampleHome home;
  if (!bench::MakeSampleMedia(home)) return 1;
  bench::PrintLoad();
  double bestWall = 1e9;
  double bestCpu = 1e9;
  for (int round = 1; round <= kRounds; ++round) {
    bench::Usage item = bench::Measure([&home] {
      return bench::RunSampleItem(bench::SampleItemInputs(home, EngineKind::kOnePass));
    });
    bench::Usage print = bench::Measure([&home] { return Fingerprint(home); });
    if (!item.ok || !print.ok) {
      std::fprintf(stderr, "the item or its fingerprint failed\n");
      return 1;
    }
    std::printf("round %d: item %.1f s wall %.1f s CPU; fingerprint %.2f s wall %.2f s CPU\n",
                round, item.wallSeconds, item.cpuSeconds, print.wallSeconds, print.cpuSeconds);
    bestWall = std::min(bestWall, print.wallSeconds / item.wallSeconds);
    bestCpu = std::min(bestCpu, print.cpuSeconds / item.cpuSeconds);
  }
  bench::PrintLoad();
  std::printf(
      "fingerprint against its item, smallest of %d rounds: wall %.1f%%  CPU %.1f%% (goal "
      "under 5%%)\n",
      kRounds, 100 * bestWall, 100 * bestCpu);
  return 0;
}
