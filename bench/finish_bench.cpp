// What finishing and resuming cost. The durable commit of a finished video
// (its data flushed before the rename, its folder after) against a plain
// rename, each after the file was just written as the encoder leaves it,
// set against one plain encode of that video: the least any output of a
// batch costs. And the wholeness check a resumed run makes of an existing
// output, over 1,000 outputs (hard links to a few generated videos),
// against one probe of an output by the encoder's probe program.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "child_usage.h"
#include "effects/output_format.h"
#include "jobs/item_output.h"
#include "media/durable_commit.h"
#include "media/video_check.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace {

using namespace mivora;
using Clock = std::chrono::steady_clock;

constexpr int kCommitRounds = 10;
constexpr int kOutputs = 1000;
constexpr int kSeconds = 10;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Writes `bytes` as a fresh part file, then commits it: the seconds of the
// commit alone.
double Commit(const std::filesystem::path& folder, const std::string& bytes, bool durable) {
  const std::filesystem::path part = folder / ".mivora-bench.part.mp4";
  const std::filesystem::path final = folder / "finished.mp4";
  test::WriteFile(part, bytes);
  Clock::time_point start = Clock::now();
  if (durable) {
    CommitByRename(part, final);
  } else {
    std::filesystem::rename(part, final);
  }
  return Since(start);
}

}  // namespace

int main() {
  test::TempDir dir;
  bench::PrintLoad();
  // The reference: one plain encode of a finished video of kSeconds.
  const std::filesystem::path video = dir / "video.mp4";
  std::vector<std::string> encode = {"ffmpeg",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "testsrc2=s=" + FrameSize(kBaseCanvas) +
                                         ":r=" + std::to_string(kBaseCanvas.fps) +
                                         ":d=" + std::to_string(kSeconds),
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=d=" + std::to_string(kSeconds)};
  std::vector<std::string> settings = bench::OutputSettings(kSeconds);
  encode.insert(encode.end(), settings.begin(), settings.end());
  encode.push_back(video.string());
  bench::Usage made = bench::MeasureEncode(encode);
  if (!made.ok) {
    std::fprintf(stderr, "could not make the sample video\n");
    return 1;
  }
  const std::string bytes = test::ReadFile(video);

  std::vector<double> durable;
  std::vector<double> plain;
  for (int round = 0; round < kCommitRounds; ++round) {
    durable.push_back(Commit(dir.path(), bytes, true));
    plain.push_back(Commit(dir.path(), bytes, false));
  }
  std::sort(durable.begin(), durable.end());
  std::sort(plain.begin(), plain.end());
  const double extra = durable[kCommitRounds / 2] - plain[kCommitRounds / 2];
  std::printf("commit of a %.1f MB finished video of %d s, median of %d rounds:\n",
              static_cast<double>(bytes.size()) / 1e6, kSeconds, kCommitRounds);
  std::printf("  durable %.1f ms, plain rename %.3f ms, largest durable %.1f ms\n",
              durable[kCommitRounds / 2] * 1e3, plain[kCommitRounds / 2] * 1e3,
              durable.back() * 1e3);
  std::printf("  one plain encode of it %.1f s wall: the flush adds %.3f%% (goal under 1%%)\n",
              made.wallSeconds, 100 * extra / made.wallSeconds);

  // The check over 1,000 outputs: a few distinct videos, linked many times.
  const std::filesystem::path outputs = dir / "outputs";
  std::filesystem::create_directories(outputs);
  std::vector<std::filesystem::path> samples;
  for (int k = 0; k < 4; ++k) {
    samples.push_back(dir / ("sample" + std::to_string(k) + ".mp4"));
    if (!test::MakeClip(samples.back(), {.seconds = 2.0 + k})) return 1;
  }
  samples.push_back(video);
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < kOutputs; ++i) {
    files.push_back(outputs / ("out" + std::to_string(i) + ".mp4"));
    std::filesystem::create_hard_link(samples[static_cast<std::size_t>(i) % samples.size()],
                                      files.back());
  }
  double slowest = 0;
  int whole = 0;
  Clock::time_point all = Clock::now();
  for (const std::filesystem::path& file : files) {
    Clock::time_point start = Clock::now();
    whole += CheckFinishedVideo(file, OutputFrame(kBaseCanvas)) == VideoFault::kNone ? 1 : 0;
    slowest = std::max(slowest, Since(start));
  }
  const double total = Since(all);
  bench::Usage probe = bench::MeasureEncode(
      {"ffprobe", "-v", "error", "-show_streams", "-show_format", video.string()});
  std::printf(
      "wholeness check of %d outputs (%d whole): %.1f ms in all, %.3f ms each, "
      "slowest %.3f ms (goal 50 ms)\n",
      kOutputs, whole, total * 1e3, total * 1e3 / kOutputs, slowest * 1e3);
  std::printf("  one probe by ffprobe %.1f ms: the check is %.4fx of it\n", probe.wallSeconds * 1e3,
              total / kOutputs / probe.wallSeconds);
  bench::PrintLoad();
  return whole == kOutputs ? 0 : 1;
}
