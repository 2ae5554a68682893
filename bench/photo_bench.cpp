// One image-mode item made from a big camera-sized photo (5000x3000) against
// one from a small photo (640x480), both engines, measured in the same run:
// a photo is decoded and scaled once, so the big one should cost little more.
#include <chrono>
#include <cstdio>
#include <string>

#include "jobs/clip_jobs.h"
#include "media/work_folders.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace mivora;

// Seconds the item of `photo` takes; negative when it failed.
double TimeItem(const std::filesystem::path& home, const std::filesystem::path& photo,
                const std::filesystem::path& audio, const std::string& engine) {
  JobInputs inputs;
  inputs.runDir = home;
  inputs.options.videoMode = false;
  inputs.items = {{1, photo.string(), photo.filename().string()}};
  inputs.effectLines = {"特效7"};
  inputs.choices.audios = {audio.string()};
  inputs.options.engine = *kEngineNames.Parse(engine);
  inputs.seed = 1;
  JobSink quiet;
  auto start = Clock::now();
  ItemOutcome outcome = RunItems(inputs, quiet, test::NeverStopped()).at(0);
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!outcome.ok()) {
    std::fprintf(stderr, "the item of %s failed: %s\n%s\n", photo.c_str(), outcome.status.c_str(),
                 outcome.lastError.c_str());
    return -1;
  }
  return seconds;
}

}  // namespace

int main() {
  test::TempDir home;
  std::filesystem::path big = home / "测试图片剪辑/big.jpg";
  std::filesystem::path small = home / "测试图片剪辑/small.jpg";
  std::filesystem::path audio = home / "audio/a.mp3";
  if (!test::MakeImage(big, 5000, 3000) || !test::MakeImage(small, 640, 480) ||
      !test::MakeTone(audio, 5)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  PrepareWorkFolders(home.path());
  for (const char* engine : {"steps", "onepass"}) {
    double smallSeconds = TimeItem(home.path(), small, audio, engine);
    double bigSeconds = TimeItem(home.path(), big, audio, engine);
    if (smallSeconds < 0 || bigSeconds < 0) return 1;
    std::printf("%-8s small photo %6.1f s, 5000x3000 photo %6.1f s  (%.2f x, goal under 2)\n",
                engine, smallSeconds, bigSeconds, bigSeconds / smallSeconds);
  }
  return 0;
}
