// One item of the video job end to end with the step engine (20-second
// source, default effect line, black-screen overlay, looped audio) against a
// single encode of the same 20 seconds at the same settings with the overlay
// and the audio, measured in the same run.
#include <chrono>
#include <cstdio>

#include "app/memory_window.h"
#include "effects/random_source.h"
#include "jobs/clip_engine.h"
#include "jobs/clip_jobs.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

int main() {
  using namespace mivora;
  test::TempDir home;
  std::filesystem::path source = home / "测试视频剪辑/source.mp4";
  std::filesystem::path overlay = home / "黑幕特效/k.mp4";
  std::filesystem::path audio = home / "audio/a.mp3";
  if (!test::MakeClip(source, {.seconds = 20}) ||
      !test::MakeClip(overlay, {.seconds = 20, .audio = false, .source = "color=c=black"}) ||
      !test::MakeTone(audio, 7)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return 1;
  }
  PrepareWorkFolders(home.path());

  MemoryWindow window;
  auto addRow = [&](ListView list, const std::filesystem::path& path) {
    int row = window.AppendRow(list);
    window.SetCellText(list, row, 1, path.string());
    window.SetCellText(list, row, 2, path.filename().string());
  };
  addRow(ListView::超级列表框1, source);
  addRow(ListView::超级列表框7, overlay);
  addRow(ListView::超级列表框5, audio);
  RunToken token;
  GatedWindow gated(window, token);
  StepEngine engine;
  RandomSource random(1);
  JobContext ctx{gated,
                 ToolEnv{home.path(), &gated, &token},
                 WorkPaths::ForRunDir(home.path()),
                 random,
                 {"特效12-特效29-特效38-特效66-特效63-特效64"},
                 engine,
                 [] {},
                 {}};

  auto start = Clock::now();
  ProcessVideoItem(ctx, 1);
  double item = Seconds(Clock::now() - start);
  if (window.CellText(ListView::超级列表框1, 0, 3) != "成功") {
    std::fprintf(stderr, "the item failed: %s\n",
                 window.CellText(ListView::超级列表框1, 0, 3).c_str());
    return 1;
  }

  start = Clock::now();
  CaptureResult plain = RunCapture({"ffmpeg",
                                    "-y",
                                    "-i",
                                    source.string(),
                                    "-i",
                                    overlay.string(),
                                    "-stream_loop",
                                    "-1",
                                    "-i",
                                    audio.string(),
                                    "-filter_complex",
                                    "[0:v]scale=720:1280[b];[1:v]scale=720x1280,colorkey=black:0."
                                    "35:0.25[k];[b][k]overlay=x=0[out]",
                                    "-map",
                                    "[out]",
                                    "-map",
                                    "2:a",
                                    "-t",
                                    "20",
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
                                    (home / "plain.mp4").string()});
  double single = Seconds(Clock::now() - start);
  if (plain.output.find("muxing overhead:") == std::string::npos) {
    std::fprintf(stderr, "the plain encode failed\n%s", plain.output.c_str());
    return 1;
  }
  std::printf("step engine, one item: %.1f s\nsingle plain encode:   %.1f s\nratio: %.2f\n", item,
              single, item / single);
  return 0;
}
