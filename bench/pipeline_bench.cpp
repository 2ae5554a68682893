// One item of the video job (20-second source, default effect line, intro,
// black-screen overlay, looped audio) with the step engine and with the
// one-pass engine, against a single plain encode of the same output (intro
// and source joined, the overlay keyed, the audio laid under it) at the same
// settings, all measured in the same run: three rounds of the one-pass engine
// and the plain encode, alternating which goes first, then one of the step
// engine. Each figure is a ratio against the plain encode; the smallest of
// the rounds counts, as the one least disturbed by other work.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"
#include "effects/output_format.h"
#include "runner/run_capture.h"
#include "sample_item.h"

namespace {

using namespace mivora;
constexpr int kRounds = 3;

bool RunItem(const bench::SampleHome& home, EngineKind engine) {
  return bench::RunSampleItem(bench::SampleItemInputs(home, engine));
}

std::vector<std::string> PlainEncode(const bench::SampleHome& home) {
  std::vector<std::string> args = {
      "ffmpeg",
      "-y",
      "-i",
      home.intro.string(),
      "-i",
      home.source.string(),
      "-i",
      home.overlay.string(),
      "-stream_loop",
      "-1",
      "-i",
      home.audio.string(),
      "-filter_complex",
      "[0:v]" + JoinShape(kBaseCanvas) + "[i];[1:v]scale=" + FrameSize(kBaseCanvas, ':') +
          ",setsar=1[s];[i][s]concat=n=2:v=1:a=0[j];[2:v]scale=" + FrameSize(kBaseCanvas) +
          ",colorkey=black:0.35:0.25[k];[j][k]overlay=x=0[out]",
      "-map",
      "[out]",
      "-map",
      "3:a"};
  std::vector<std::string> settings = bench::OutputSettings(21);
  args.insert(args.end(), settings.begin(), settings.end());
  args.push_back((home.dir / "plain.mp4").string());
  return args;
}

void PrintRun(const char* what, const bench::Usage& run, const bench::Usage& plain) {
  std::printf("  %-10s %6.1f s wall (%.2fx)  %6.1f s CPU (%.2fx)  %5ld MB peak (%.2fx)\n", what,
              run.wallSeconds, run.wallSeconds / plain.wallSeconds, run.cpuSeconds,
              run.cpuSeconds / plain.cpuSeconds, run.peakKb / 1024,
              static_cast<double>(run.peakKb) / static_cast<double>(plain.peakKb));
}

}  // namespace

int main() {
  bench::SampleHome home;
  if (!bench::MakeSampleMedia(home)) return 1;

  bench::PrintLoad();
  const std::vector<std::string> plainArgs = PlainEncode(home);
  double bestWall = 1e9;
  double bestCpu = 1e9;
  double bestPeak = 1e9;
  bench::Usage lastPlain;
  for (int round = 1; round <= kRounds; ++round) {
    bench::Usage plain;
    bench::Usage onePass;
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn + round) % 2 == 1) {
        plain = bench::MeasureEncode(plainArgs);
      } else {
        onePass = bench::Measure([&home] { return RunItem(home, EngineKind::kOnePass); });
      }
    }
    if (!plain.ok || !onePass.ok) return 1;
    std::printf("round %d:\n", round);
    PrintRun("plain", plain, plain);
    PrintRun("one-pass", onePass, plain);
    bestWall = std::min(bestWall, onePass.wallSeconds / plain.wallSeconds);
    bestCpu = std::min(bestCpu, onePass.cpuSeconds / plain.cpuSeconds);
    bestPeak = std::min(bestPeak, static_cast<double>(onePass.peakKb) / plain.peakKb);
    lastPlain = plain;
  }
  bench::Usage steps = bench::Measure([&home] { return RunItem(home, EngineKind::kSteps); });
  if (!steps.ok) return 1;
  std::printf("step engine, once:\n");
  PrintRun("steps", steps, lastPlain);
  bench::PrintLoad();
  std::printf("one-pass engine against the plain encode, smallest of %d rounds:\n", kRounds);
  std::printf("  wall %.2fx (goal 1.30)  CPU %.2fx  peak memory %.2fx (goal 1.50)\n", bestWall,
              bestCpu, bestPeak);
  return 0;
}
