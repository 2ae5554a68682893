// What the content check costs an import: a folder of 1,000 clips (hard
// links to one generated video) imported into a
// list with every file's first bytes read, against only listing their names
// as the import did before it looked at contents, and against one probe of a
// single clip by the encoder, which the check spares the run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/list_import.h"
#include "child_usage.h"
#include "media/media_content.h"
#include "media/media_import.h"
#include "support/media_maker.h"
#include "support/memory_window.h"
#include "support/temp_dir.h"

namespace {

using namespace mivora;
using Clock = std::chrono::steady_clock;

constexpr int kClips = 1000;
constexpr int kRounds = 5;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  test::TempDir home;
  const std::filesystem::path folder = home / ImportFolderName(MediaKind::kIntros);
  if (!test::MakeClip(folder / "0000.mp4", {.seconds = 1, .width = 64, .height = 64})) {
    std::fprintf(stderr, "the encoder could not make the clip\n");
    return 1;
  }
  for (int i = 1; i < kClips; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d.mp4", i);
    std::filesystem::create_hard_link(folder / "0000.mp4", folder / name);
  }
  double listed = 1e9;
  double imported = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    Clock::time_point start = Clock::now();
    const std::size_t names = CollectMediaNames(folder, ".mp4", -1).size();
    listed = std::min(listed, Since(start));
    MemoryWindow window;
    start = Clock::now();
    ImportList(window, kIntroList, home.path());
    imported = std::min(imported, Since(start));
    if (names != kClips || window.RowCount(kIntroList) != kClips) {
      std::fprintf(stderr, "listed %zu, imported %d of %d\n", names, window.RowCount(kIntroList),
                   kClips);
      return 1;
    }
  }
  const Clock::time_point start = Clock::now();
  if (!bench::RunQuietly({"/usr/bin/ffprobe", "-v", "error", (folder / "0000.mp4").string()})) {
    std::fprintf(stderr, "the probe failed\n");
    return 1;
  }
  const double probe = Since(start);
  bench::PrintLoad();
  std::printf("%d clips, names only:        %8.2f ms\n", kClips, listed * 1000);
  std::printf("%d clips, import with check: %8.2f ms  (%.2fx the names; %.1f us a file)\n", kClips,
              imported * 1000, imported / listed, imported / kClips * 1e6);
  std::printf("one probe by the encoder:     %8.2f ms  (the check of all %d is %.2fx one probe)\n",
              probe * 1000, kClips, imported / probe);
  return 0;
}
