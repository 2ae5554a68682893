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
#include "jobs/clip_jobs.h"
#include "jobs/video_fingerprint.h"
#include "media/work_folders.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace {

using namespace mivora;
constexpr int kRounds = 3;

struct Home {
  test::TempDir dir;
  std::filesystem::path source = dir / "测试视频剪辑/source.mp4";
  std::filesystem::path intro = dir / "片头/intro.mp4";
  std::filesystem::path overlay = dir / "黑幕特效/k.mp4";
  std::filesystem::path audio = dir / "audio/a.mp3";
  std::filesystem::path output = dir / "生成视频剪辑/source.mp4";
};

bool RunItem(const Home& home) {
  JobInputs inputs;
  inputs.runDir = home.dir.path();
  inputs.items = {{1, home.source.string(), home.source.filename().string()}};
  inputs.effectLines = {"特效12-特效29-特效38-特效66-特效63-特效64"};
  inputs.choices.intro = true;
  inputs.choices.intros = {home.intro.string()};
  inputs.choices.blackScreens = {home.overlay.string()};
  inputs.choices.audios = {home.audio.string()};
  inputs.options.engine = EngineKind::kOnePass;
  inputs.seed = 1;
  JobSink quiet;
  RunToken token;
  return RunItems(inputs, quiet, token).at(0).ok();
}

bool Fingerprint(const Home& home) {
  RunToken token;
  return !FingerprintVideo(ToolEnv{home.dir.path(), token}, home.output).empty();
}

}  // namespace

int main() {
  Home home;
  if (!test::MakeClip(home.source, {.seconds = 20}) ||
      !test::MakeClip(home.intro, {.seconds = 1, .width = 1080, .height = 1920, .fps = 25}) ||
      !test::MakeClip(home.overlay, {.seconds = 20, .audio = false, .source = "color=c=black"}) ||
      !test::MakeTone(home.audio, 7)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  PrepareWorkFolders(home.dir.path());
  bench::PrintLoad();
  double bestWall = 1e9;
  double bestCpu = 1e9;
  for (int round = 1; round <= kRounds; ++round) {
    bench::Usage item = bench::Measure([&home] { return RunItem(home); });
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
