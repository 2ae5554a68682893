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
#include "jobs/clip_jobs.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
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
};

// Runs the item with the engine of that name; true when it succeeded.
bool RunItem(const Home& home, const std::string& engine) {
  JobInputs inputs;
  inputs.runDir = home.dir.path();
  inputs.items = {{1, home.source.string(), home.source.filename().string()}};
  inputs.effectLines = {"特效12-特效29-特效38-特效66-特效63-特效64"};
  inputs.choices.intro = true;
  inputs.choices.intros = {home.intro.string()};
  inputs.choices.blackScreens = {home.overlay.string()};
  inputs.choices.audios = {home.audio.string()};
  inputs.options.engine = *kEngineNames.Parse(engine);
  inputs.seed = 1;
  JobSink quiet;
  RunToken token;
  ItemOutcome outcome = RunItems(inputs, quiet, token).at(0);
  if (outcome.ok()) return true;
  std::fprintf(stderr, "the item failed: %s (%s)\n%s\n", outcome.status.c_str(),
               outcome.failedStep.c_str(), outcome.lastError.c_str());
  return false;
}

std::vector<std::string> PlainEncode(const Home& home) {
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
      "[0:v]scale=720:1280,setsar=1,fps=30,format=yuv420p[i];[1:v]scale=720:1280,setsar=1[s];"
      "[i][s]concat=n=2:v=1:a=0[j];[2:v]scale=720x1280,colorkey=black:0.35:0.25[k];[j][k]overlay="
      "x=0[out]",
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
        onePass = bench::Measure([&home] { return RunItem(home, "onepass"); });
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
  bench::Usage steps = bench::Measure([&home] { return RunItem(home, "steps"); });
  if (!steps.ok) return 1;
  std::printf("step engine, once:\n");
  PrintRun("steps", steps, lastPlain);
  bench::PrintLoad();
  std::printf("one-pass engine against the plain encode, smallest of %d rounds:\n", kRounds);
  std::printf("  wall %.2fx (goal 1.30)  CPU %.2fx  peak memory %.2fx (goal 1.50)\n", bestWall,
              bestCpu, bestPeak);
  return 0;
}
