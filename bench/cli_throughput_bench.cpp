// mivora-cli as a batch tool, measured in one run: one item end to end
// against a single plain encode of the same source (the reference), then a
// 6-item batch with one and with two items at a time, in items per minute,
// two rounds with the order turned round, the better of each counting. The
// CPU seconds per item and the cores kept busy show whether the machine had
// room for more items at once.

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kItems = 6;
constexpr int kSourceSeconds = 8;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
  using namespace mivora;
  test::TempDir home;
  test::TempDir audio;
  for (int i = 1; i <= kItems; ++i) {
    // Named first: GCC 12 at -O3 reports a false -Wrestrict for "s" + std::string&&.
    std::string number = std::to_string(i);
    if (!test::MakeClip(home / "测试视频剪辑" / ("s" + number + ".mp4"),
                        {.seconds = kSourceSeconds, .width = 640, .height = 360})) {
      std::fprintf(stderr, "could not make the sample media\n");
      return 1;
    }
  }
  if (!test::MakeClip(home / "黑幕特效" / "k.mp4",
                      {.seconds = 8, .audio = false, .source = "color=c=black"}) ||
      !test::MakeTone(audio / "a.mp3", 5)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  std::vector<std::string> base =
      bench::CliRunArgs(home.path(), audio.path(), "特效12-特效29-特效38-特效66");

  std::vector<std::string> plainEncode = {"ffmpeg", "-y", "-i",
                                          (home / "测试视频剪辑" / "s1.mp4").string()};
  for (std::string& setting : bench::OutputSettings(kSourceSeconds))
    plainEncode.push_back(std::move(setting));
  plainEncode.push_back((home / "plain.mp4").string());
  auto start = Clock::now();
  CaptureResult plain = RunCapture(plainEncode, test::NeverStopped());
  double plainSeconds = Seconds(Clock::now() - start);
  if (plain.output.find("muxing overhead:") == std::string::npos) {
    std::fprintf(stderr, "the plain encode failed\n");
    return 1;
  }

  // Shard 0 of 6 over the whole list is exactly the first item.
  std::vector<std::string> one = base;
  one.insert(one.end(), {"--all", "--shard", "0/6"});
  start = Clock::now();
  bool oneOk = bench::RunCli(one);
  double oneSeconds = Seconds(Clock::now() - start);

  constexpr int kMostJobs = 2;
  bench::Usage best[kMostJobs + 1];
  bool batchOk = true;
  bench::PrintLoad();
  for (int round = 0; round < 2; ++round) {
    for (int step = 0; step < kMostJobs; ++step) {
      int jobs = round == 0 ? step + 1 : kMostJobs - step;
      std::vector<std::string> batch = base;
      batch.insert(batch.end(), {"--all", "-j", std::to_string(jobs)});
      bench::Usage run = bench::Measure([&batch] { return bench::RunCli(batch); });
      batchOk = run.ok && batchOk;
      if (best[jobs].wallSeconds == 0 || run.wallSeconds < best[jobs].wallSeconds) best[jobs] = run;
    }
  }
  if (!oneOk || !batchOk) {
    std::fprintf(stderr, "a run of mivora-cli failed\n");
    return 1;
  }

  std::printf("plain encode of one source:      %7.2f s\n", plainSeconds);
  std::printf("one item end to end (mivora-cli): %7.2f s  (%.2fx the plain encode)\n", oneSeconds,
              oneSeconds / plainSeconds);
  for (int jobs = 1; jobs <= kMostJobs; ++jobs) {
    const bench::Usage& run = best[jobs];
    std::printf(
        "%d-item batch, -j %d: %6.2f items/min (%.2fx -j 1)  %5.2f s CPU per item  %.2f cores "
        "busy  %5ld MB peak\n",
        kItems, jobs, kItems / run.wallSeconds * 60, best[1].wallSeconds / run.wallSeconds,
        run.cpuSeconds / kItems, run.cpuSeconds / run.wallSeconds, run.peakKb / 1024);
  }
  bench::PrintLoad();
  return 0;
}
