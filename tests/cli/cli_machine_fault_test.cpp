// The machine's faults said as what they are, with the real encoder: a full
// file system and an output folder nobody may write into. Both need a
// machine the test may change: a small tmpfs it mounts as root (as CI runs),
// a user without rights it becomes through setpriv; otherwise they skip.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "cli_process.h"
#include "runner/tool.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

using test::TempDir;

constexpr char kEffectCode[] = "特效7-特效8";
constexpr uid_t kNobody = 65534;

// A tmpfs of `size` ("5m") over `folder`, unmounted whatever happens.
class SmallDisk {
 public:
  SmallDisk(const std::filesystem::path& folder, const std::string& size) : folder_(folder) {
    std::filesystem::create_directories(folder);
    std::string options = "size=" + size + ",mode=0777";
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      error_ = std::strerror(errno);
    }
  }
  ~SmallDisk() {
    if (error_.empty()) umount2(folder_.c_str(), MNT_DETACH);
  }
  // Why it could not be mounted; empty when mounted.
  const std::string& error() const { return error_; }

 private:
  std::filesystem::path folder_;
  std::string error_;
};

#define MOUNT_OR_SKIP(disk)                                                                 \
  if (!(disk).error().empty())                                                              \
  GTEST_SKIP() << "a full disk needs a small tmpfs, which only root may mount (CI runs as " \
                  "root): "                                                                 \
               << (disk).error()

// Sources of `seconds` each and an audio file in `home`.
void FillHome(const std::filesystem::path& home, int sources, double seconds) {
  for (int i = 1; i <= sources; ++i) {
    ASSERT_TRUE(test::MakeClip(home / "测试视频剪辑" / ("v" + std::to_string(i) + ".mp4"),
                               {seconds, 160, 284, 30, true, "testsrc2"}));
  }
  ASSERT_TRUE(test::MakeTone(home / "audio" / "a.mp3", 2));
}

std::vector<std::string> RunArgs(const std::filesystem::path& home, const std::string& engine) {
  return test::RunArgs(home, home / "audio", kEffectCode, {"--all", "-j", "1", "--engine", engine});
}

// Hidden part files and work folders of a run.
bool LeftoversIn(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.path().filename().string().starts_with(".mivora-")) return true;
  }
  return false;
}

TEST(MachineFaults, AFullDiskIsSaidSoAndStopsTheRunKeepingNothingHalfMade) {
  TempDir root;
  SmallDisk disk(root / "home", "5m");
  MOUNT_OR_SKIP(disk);
  const std::filesystem::path home = root / "home";
  FillHome(home, 2, 5);
  const std::string output = (home / "生成视频剪辑").string();
  for (const std::string engine : {"steps", "onepass"}) {
    SCOPED_TRACE(engine);
    test::CliResult result = test::RunCli(RunArgs(home, engine));
    nlohmann::json summary = test::Summary(result);
    EXPECT_EQ(result.exitCode, 1) << result.err;
    ASSERT_EQ(summary["items"].size(), 2u) << result.out;
    // The first item has no room: said before any encode, and no item after it runs.
    EXPECT_EQ(summary["items"][0]["outcome"], "disk_full");
    EXPECT_EQ(summary["items"][0]["status"], "磁盘空间不足：" + output);
    EXPECT_EQ(summary["items"][1]["outcome"], "stopped");
    EXPECT_EQ(result.out.find("素材损坏"), std::string::npos) << result.out;
    EXPECT_TRUE(std::filesystem::is_empty(output));
    EXPECT_FALSE(LeftoversIn(home));
  }

  // An encoder that runs out of room while it writes is no success, nor the
  // source's damage, though it ends with its statistics.
  SmallDisk tiny(root / "tiny", "256k");
  MOUNT_OR_SKIP(tiny);
  const std::string video = (root / "tiny" / "x.mp4").string();
  ToolOutcome outcome = RunJudged(
      ToolEnv{root.path(), test::NeverStopped()},
      {std::string(kEncoderPlaceholder), "-y", "-f", "lavfi", "-i", "testsrc2=s=320x240:d=3",
       "-c:v", "libx264", "-preset", "ultrafast", "-b:v", "3000k", video});
  EXPECT_EQ(outcome.kind, ToolOutcome::Kind::kDiskFull) << outcome.lastLines;
  EXPECT_EQ(outcome.text, "磁盘空间不足：" + (root / "tiny").string());
}

TEST(MachineFaults, AReadOnlyOutputFolderIsRefusedBeforeAnyEncoderStarts) {
  TempDir root;
  const std::filesystem::path home = root / "home";
  FillHome(home, 1, 1);
  // An encoder of the home's own that leaves a mark when it is started.
  test::WriteFile(
      home / "ffmpeg/bin/ffmpeg",
      "#!/bin/sh\ntouch '" + (home / "encoder-ran").string() + "'\nexec ffmpeg \"$@\"\n");
  chmod((home / "ffmpeg/bin/ffmpeg").c_str(), 0755);
  const std::filesystem::path output = home / "生成视频剪辑";
  std::filesystem::create_directories(output);

  std::vector<std::string> argv = {MIVORA_CLI_PATH};
  const std::string setpriv = "/usr/bin/setpriv";
  if (geteuid() == 0) {
    if (access(setpriv.c_str(), X_OK) != 0) GTEST_SKIP() << "no " << setpriv << " to drop root";
    // Root writes anywhere: the run goes as a user without rights.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root.path())) {
      ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(chown(root.path().c_str(), kNobody, kNobody), 0);
    argv = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", "--", MIVORA_CLI_PATH};
  }
  chmod(output.c_str(), 0555);
  if (access(output.c_str(), W_OK) == 0 && geteuid() != 0) {
    GTEST_SKIP() << "this user may write into a read-only folder";
  }
  std::vector<std::string> args = RunArgs(home, "onepass");
  argv.insert(argv.end(), args.begin(), args.end());
  TempDir logs;
  pid_t pid = test::StartProgram(argv, {}, logs / "out", logs / "err");
  ASSERT_GT(pid, 0);
  int exitCode = test::WaitForExit(pid);
  std::string err = test::ReadFile(logs / "err");
  chmod(output.c_str(), 0755);
  if (geteuid() == 0 && err.find("setpriv") != std::string::npos) {
    GTEST_SKIP() << "cannot run as an ordinary user here: " << err;
  }
  const std::string refusal = "输出目录无法写入：" + output.string();
  EXPECT_EQ(exitCode, 2) << err;
  EXPECT_NE(err.find(refusal), std::string::npos) << err;
  nlohmann::json summary = nlohmann::json::parse(test::ReadFile(logs / "out"), nullptr, false);
  EXPECT_EQ(summary.value("message", ""), refusal);
  EXPECT_FALSE(std::filesystem::exists(home / "encoder-ran"));
}

}  // namespace
}  // namespace mivora
