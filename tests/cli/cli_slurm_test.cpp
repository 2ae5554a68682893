// The job-array script users submit, on a real one-node Slurm cluster: an
// array of three over six items makes each video once and one report counts
// them; a task cancelled in the middle files what it did, and once requeued
// makes only what is missing. Needs root to start the daemons (CI runs as
// root); `ctest -LE slurm` leaves it out where Slurm cannot run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "local_slurm.h"
#include "support/media_maker.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using nlohmann::json;
using test::TempDir;

constexpr int kItems = 6;
const std::filesystem::path kScript = MIVORA_SOURCE_DIR "/dist/slurm/mivora-array.sbatch";

// Six sources in a home of their own, copied from clips made once.
struct SlurmHome {
  std::filesystem::path home;
  SlurmHome(const std::filesystem::path& folder, const std::filesystem::path& clips)
      : home(folder) {
    std::filesystem::create_directories(home / "测试视频剪辑");
    for (const auto& clip : std::filesystem::directory_iterator(clips))
      std::filesystem::copy_file(clip.path(), home / "测试视频剪辑" / clip.path().filename());
  }
  std::filesystem::path Output(int item) const {
    return home / "生成视频剪辑" / ("v" + std::to_string(item) + ".mp4");
  }
  std::filesystem::path Report(int task) const {
    return home / ".mivora-reports" / ("shard-" + std::to_string(task) + ".json");
  }
  json Shard(int task) const {
    json summary = json::parse(test::ReadFile(Report(task)), nullptr, false);
    EXPECT_FALSE(summary.is_discarded()) << Report(task);
    return summary;
  }
  // item -> outcome in one task's summary
  std::map<int, std::string> Outcomes(int task) const {
    std::map<int, std::string> outcomes;
    json summary = Shard(task);
    for (const json& item : summary["items"]) outcomes[item["item"]] = item["outcome"];
    return outcomes;
  }
  // The finished videos and anything else in the output folder, by name.
  std::set<std::string> OutputFolder() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home / "生成视频剪辑"))
      names.insert(entry.path().filename().string());
    return names;
  }
  // What `mivora-cli report --json` says over every task's summary.
  test::CliResult MergedReport() const {
    return test::RunCli(
        {"report", "--json", Report(0).string(), Report(1).string(), Report(2).string()});
  }
};

std::set<std::string> AllOutputNames() {
  std::set<std::string> names;
  for (int item = 1; item <= kItems; ++item) names.insert("v" + std::to_string(item) + ".mp4");
  return names;
}

// The submission docs/batch.md shows, over one home.
std::vector<std::string> ArrayArgs(const SlurmHome& home, const std::filesystem::path& audio) {
  return {"--array=0-2",
          "--cpus-per-task=1",
          kScript.string(),
          home.home.string(),
          audio.string(),
          "--seed",
          "7",
          "--effect-code",
          "特效7"};
}

TEST(CliSlurm, ArrayMakesEachVideoOnceAndARequeuedTaskOnlyWhatIsMissing) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "starting munged, slurmctld and slurmd needs root; "
                    "run as root, or leave the test out with ctest -LE slurm";
  }
  std::vector<std::string> missing = test::LocalSlurm::MissingPrograms();
  ASSERT_TRUE(missing.empty()) << "Slurm is not installed (missing " << missing.front()
                               << "): scripts/setup.sh installs it, or leave the test out with "
                                  "ctest -LE slurm";
  TempDir folder;
  for (int item = 1; item <= kItems; ++item) {
    ASSERT_TRUE(test::MakeClip(folder / "clips" / ("v" + std::to_string(item) + ".mp4"),
                               {2, 180, 320, 30, true, "testsrc2"}));
  }
  ASSERT_TRUE(test::MakeTone(folder / "audio" / "a.mp3", 3));
  const std::filesystem::path audio = folder / "audio";
  const std::filesystem::path logs = folder / "logs";
  std::filesystem::create_directories(logs);
  // The tasks find mivora-cli on the PATH they inherit from sbatch.
  const std::string path = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
  setenv("PATH",
         (std::filesystem::path(MIVORA_CLI_PATH).parent_path().string() + ":" + path).c_str(), 1);
  std::vector<pid_t> daemons;
  {
    test::LocalSlurm slurm(folder / "slurm");
    daemons = slurm.daemons();
    ASSERT_EQ(slurm.problem(), "");

    // The whole array: every video once, valid, and one report of six.
    SlurmHome first(folder / "first", folder / "clips");
    std::string job = slurm.Submit(ArrayArgs(first, audio), logs);
    ASSERT_NE(job, "");
    ASSERT_TRUE(slurm.WaitForJob(job, std::chrono::seconds(120))) << slurm.Client({"squeue"});
    EXPECT_EQ(first.OutputFolder(), AllOutputNames())
        << test::ReadFile(logs / ("mivora-" + job + "_1.log"));
    for (int item = 1; item <= kItems; ++item) {
      test::MediaInfo info = test::ReadMediaInfo(first.Output(item));
      EXPECT_EQ(info.width, 720) << item;
      EXPECT_EQ(info.height, 1280) << item;
      EXPECT_EQ(info.videoCodec, "h264") << item;
      EXPECT_TRUE(info.hasAudio) << item;
    }
    test::CliResult report = first.MergedReport();
    EXPECT_EQ(report.exitCode, 0) << report.out << report.err;
    json merged = test::Summary(report);
    EXPECT_EQ(merged["totals"]["items"], kItems);
    EXPECT_EQ(merged["totals"]["succeeded"], kItems);

    // A second array; its task 1 (items 2 and 5) is cancelled once its first
    // video is there.
    SlurmHome second(folder / "second", folder / "clips");
    job = slurm.Submit(ArrayArgs(second, audio), logs);
    ASSERT_NE(job, "");
    const std::string task = job + "_1";
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(second.Output(2)); },
                                std::chrono::seconds(120)));
    slurm.Client({"scancel", task});
    ASSERT_TRUE(slurm.WaitForJob(task, std::chrono::seconds(60)));
    EXPECT_EQ(second.Outcomes(1), (std::map<int, std::string>{{2, "succeeded"}, {5, "stopped"}}))
        << "the cancelled task files its summary";
    EXPECT_FALSE(std::filesystem::exists(second.Output(5)));
    struct stat made {};
    ASSERT_EQ(stat(second.Output(2).c_str(), &made), 0);

    // The docs' way back: requeue the task; it makes only item 5.
    slurm.Client({"scontrol", "requeue", task});
    ASSERT_TRUE(slurm.WaitForJob(job, std::chrono::seconds(120))) << slurm.Client({"squeue"});
    EXPECT_EQ(second.Outcomes(1), (std::map<int, std::string>{{2, "skipped"}, {5, "succeeded"}}));
    struct stat kept {};
    ASSERT_EQ(stat(second.Output(2).c_str(), &kept), 0);
    EXPECT_EQ(kept.st_ino, made.st_ino) << "item 2 was made again";
    EXPECT_EQ(kept.st_mtim.tv_sec, made.st_mtim.tv_sec);
    EXPECT_EQ(kept.st_mtim.tv_nsec, made.st_mtim.tv_nsec);
    EXPECT_EQ(second.OutputFolder(), AllOutputNames());
    report = second.MergedReport();
    EXPECT_EQ(report.exitCode, 0) << report.out << report.err;
    merged = test::Summary(report);
    EXPECT_EQ(merged["totals"]["succeeded"], kItems - 1);
    EXPECT_EQ(merged["totals"]["skipped"], 1);
    // The cancel stopped the task's mivora-cli and encoders, not only its
    // script: nothing works in either home once the arrays are done.
    for (const SlurmHome* home : {&first, &second})
      EXPECT_TRUE(test::FindProcesses({home->home.string()}).empty()) << home->home;
  }
  setenv("PATH", path.c_str(), 1);
  // Nothing of the cluster outlives it: daemons, tasks, encoders.
  for (pid_t pid : daemons) EXPECT_TRUE(test::ProcessGone(pid)) << pid;
  EXPECT_TRUE(test::FindProcesses({folder.path().string() + "/"}).empty());
}

}  // namespace
}  // namespace mivora
