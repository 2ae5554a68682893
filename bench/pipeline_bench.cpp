// One item of the video job (20-second source, default effect line, intro,
// black-screen overlay, looped audio) with the step engine and with the
// one-pass engine, against a single plain encode of the same output (intro
// and source joined, the overlay keyed, the audio laid under it) at the same
// settings, all measured in the same run.
#include <chrono>
#include <cstdio>
#include <string>

#include "jobs/clip_jobs.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace mivora;

struct Home {
  test::TempDir dir;
  std::filesystem::path source = dir / "测试视频剪辑/source.mp4";
  std::filesystem::path intro = dir / "片头/intro.mp4";
  std::filesystem::path overlay = dir / "黑幕特效/k.mp4";
  std::filesystem::path audio = dir / "audio/a.mp3";
};

// Seconds the item takes with the engine of that name; negative when it failed.
double TimeItem(const Home& home, const std::string& engine) {
  JobInputs inputs;
  inputs.runDir = home.dir.path();
  inputs.items = {{1, home.source.string(), home.source.filename().string()}};
  inputs.effectLines = {"特效12-特效29-特效38-特效66-特效63-特效64"};
  inputs.choices.intro = true;
  inputs.choices.intros = {home.intro.string()};
  inputs.choices.blackScreens = {home.overlay.string()};
  inputs.choices.audios = {home.audio.string()};
  inputs.engine = engine;
  inputs.seed = 1;
  JobSink quiet;
  auto start = Clock::now();
  ItemOutcome outcome = RunItems(inputs, quiet, test::NeverStopped()).at(0);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!outcome.ok()) {
    std::fprintf(stderr, "the item failed: %s (%s)\n%s\n", outcome.status.c_str(),
                 outcome.failedStep.c_str(), outcome.lastError.c_str());
    return -1;
  }
  return seconds;
}

double TimePlainEncode(const Home& home) {
  auto start = Clock::now();
  CaptureResult plain = RunCapture(
      {"ffmpeg",
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
       "3:a",
       "-aspect",
       "9:16",
       "-s",
       "720x1280",
       "-pix_fmt",
       "yuv420p",
       "-vcodec",
       "libx264",
       "-r:v",
       "30",
       "-preset",
       "medium",
       "-crf",
       "30",
       "-b:v",
       "3000k",
       "-t",
       "21",
       (home.dir / "plain.mp4").string()},
      test::NeverStopped());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (plain.output.find("muxing overhead:") == std::string::npos) {
    std::fprintf(stderr, "the plain encode failed\n%s", plain.output.c_str());
    return -1;
  }
  return seconds;
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

  double stepSeconds = TimeItem(home, "steps");
  double onePassSeconds = TimeItem(home, "onepass");
  double plainSeconds = TimePlainEncode(home);
  if (stepSeconds < 0 || onePassSeconds < 0 || plainSeconds < 0) return 1;

  std::printf("step engine, one item:     %6.1f s  (%.2f x the plain encode)\n", stepSeconds,
              stepSeconds / plainSeconds);
  std::printf("one-pass engine, one item: %6.1f s  (%.2f x the plain encode, goal 1.30)\n",
              onePassSeconds, onePassSeconds / plainSeconds);
  std::printf("single plain encode:       %6.1f s\n", plainSeconds);
  std::printf("one-pass against steps:    %.2f x faster\n", stepSeconds / onePassSeconds);
  return 0;
}
