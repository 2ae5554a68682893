// A long unattended batch through the command line: forty one-second items, two at
// a time, each cut with one-second effects. Sampled from /proc while it runs,
// the program's open descriptors and resident memory must not grow with the
// number of items, and no encoder may outlive its item.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "support/process_probe.h"
#include "support/media_maker.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using namespace std::chrono_literals;

constexpr int kItems = 40;
constexpr int kJobs = 2;

struct Sample {
  int done = 0;  // finished videos in the output folder
  int descriptors = 0;
  long rssKb = 0;
  long threads = 0;
  int children = 0;
};

int FilesIn(const std::filesystem::path& folder) {
  std::error_code error;
  int count = 0;
  for (std::filesystem::directory_iterator it(folder, error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++count;
  }
  return count;
}

// Under AddressSanitizer freed memory waits in a quarantine of up to 256 MB
// before reuse, which would read as growth; a small one keeps the figures
// about the program. Other builds ignore the variable.
std::string AsanOptions() {
  const char* given = std::getenv("ASAN_OPTIONS");
  return std::string(given ? given : "") + (given && *given ? ":" : "") + "quarantine_size_mb=4";
}

TEST(LongBatch, FortyItemsLeakNothing) {
  test::TempDir home;
  test::TempDir audio;
  test::TempDir logs;
  ASSERT_TRUE(test::MakeTone(audio / "a.mp3", 3));
  ASSERT_TRUE(test::MakeClip(home / "source.mp4", {.seconds = 1, .width = 360, .height = 640}));
  std::filesystem::create_directories(home / "测试视频剪辑");
  for (int item = 1; item <= kItems; ++item) {
    char name[32];
    std::snprintf(name, sizeof name, "item %02d.mp4", item);
    std::filesystem::copy_file(home / "source.mp4", home / "测试视频剪辑" / name);
  }
  std::filesystem::remove(home / "source.mp4");

  pid_t cli = test::StartProgram(
      {MIVORA_CLI, "run", "--all", "-j", std::to_string(kJobs), "--home", home.path().string(),
       "--audio", audio.path().string(), "--effect-code", "特效7"},
      {{"ASAN_OPTIONS", AsanOptions()}}, logs / "out.txt", logs / "err.txt");
  ASSERT_GT(cli, 0);
  std::vector<Sample> samples;
  std::optional<int> exit;
  while (!(exit = test::ExitStatusNow(cli))) {
    Sample sample;
    sample.descriptors = test::OpenDescriptors(cli);
    sample.rssKb = test::StatusField(cli, "VmRSS");
    sample.threads = test::StatusField(cli, "Threads");
    sample.children = static_cast<int>(test::ChildProcesses(cli).size());
    sample.done = FilesIn(home / "生成视频剪辑");
    if (sample.descriptors > 0 && sample.rssKb > 0) samples.push_back(sample);
    std::this_thread::sleep_for(200ms);
  }
  ASSERT_EQ(*exit, 0) << test::ReadFile(logs / "err.txt");
  EXPECT_EQ(FilesIn(home / "生成视频剪辑"), kItems);

  auto atItem = [&](int item) {
    auto found = std::find_if(samples.begin(), samples.end(),
                              [&](const Sample& s) { return s.done >= item; });
    return found == samples.end() ? samples.back() : *found;
  };
  auto most = [&](int from, int to, auto field) {
    long value = 0;
    for (const Sample& s : samples) {
      if (s.done >= from && s.done <= to) value = std::max(value, static_cast<long>(s.*field));
    }
    return value;
  };
  ASSERT_GT(samples.size(), 20u);
  Sample early = atItem(5);
  Sample late = samples.back();
  std::printf("long batch: %zu samples\n", samples.size());
  std::printf("  at item %2d: %d descriptors, VmRSS %ld kB, %ld threads\n", early.done,
              early.descriptors, early.rssKb, early.threads);
  std::printf("  at item %2d: %d descriptors, VmRSS %ld kB, %ld threads\n", late.done,
              late.descriptors, late.rssKb, late.threads);
  std::printf("  most descriptors up to item 5: %ld, from item 35: %ld\n",
              most(0, 5, &Sample::descriptors), most(35, kItems, &Sample::descriptors));

  // An item in flight holds its encoder's pipes, so single samples vary by a
  // few descriptors; growth shows as a higher peak late in the batch.
  EXPECT_LE(most(35, kItems, &Sample::descriptors), most(0, 5, &Sample::descriptors) + 2);
  EXPECT_LT(late.rssKb - early.rssKb, 20 * 1024);
  EXPECT_LE(most(35, kItems, &Sample::threads), most(0, 5, &Sample::threads));
  // No encoder outlives its item: never more children than items at work,
  // and none left when the batch is over.
  EXPECT_LE(most(0, kItems, &Sample::children), kJobs);
  EXPECT_TRUE(test::FindProcesses({home.path().string()}).empty());
  EXPECT_FALSE(std::filesystem::exists(home / ".mivora-work"));
}

}  // namespace
}  // namespace mivora
