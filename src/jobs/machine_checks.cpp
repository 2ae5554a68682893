#include "jobs/machine_checks.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "jobs/item_output.h"
#include "jobs/work_paths.h"
#include "media/run_lock.h"
#include "media/work_folders.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// The finished video's (at most) audio rate, in kilobits per second.
constexpr int kAudioKbps = 192;
constexpr std::uintmax_t kMarginBytes = 2 << 20;

std::string Said(std::string_view fault, const std::filesystem::path& folder) {
  return std::string(fault) + "：" + folder.string();
}

// Makes and removes a file of a name no one else uses; the errno of a
// refusal, or 0.
int TryWrite(const std::filesystem::path& folder) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path probe = folder / (".mivora-probe-" + std::to_string(getpid()) + "-" +
                                          std::to_string(counter.fetch_add(1)));
  int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  close(fd);
  unlink(probe.c_str());
  return 0;
}

}  // namespace

std::vector<std::filesystem::path> RunFolders(const JobInputs& inputs) {
  WorkPaths paths = WorkPaths::ForRunDir(inputs.runDir);
  std::vector<std::filesystem::path> folders = {paths.OutputFolder(inputs.options.videoMode)};
  if (inputs.ownWorkFolders) {
    folders.push_back(inputs.runDir / kRunsWorkFolder);
  } else {
    folders.push_back(inputs.runDir);
    folders.push_back(paths.tempFolder);
  }
  if (!inputs.options.videoMode) folders.push_back(paths.ImageVideoFolder());
  return folders;
}

std::string UnwritableFolder(const std::vector<std::filesystem::path>& folders) {
  for (const std::filesystem::path& folder : folders) {
    if (!EnsureFolder(folder)) return Said(kFolderUnwritable, folder);
    int error = TryWrite(folder);
    if (error == ENOSPC || error == EDQUOT) return Said(kDiskFull, folder);
    if (error != 0) return Said(kFolderUnwritable, folder);
  }
  return {};
}

std::uintmax_t BytesNeeded(double seconds, const Canvas& canvas) {
  const double bytesPerSecond = (canvas.bitRateKbps + kAudioKbps) * 1000 / 8.0;
  double video = std::max(seconds, 0.0) * bytesPerSecond;
  return static_cast<std::uintmax_t>(2 * video) + kMarginBytes;
}

std::optional<std::uintmax_t> FreeBytes(const std::filesystem::path& folder) {
  std::filesystem::path at = folder;
  std::error_code error;
  while (!std::filesystem::exists(at, error) && at.has_relative_path()) at = at.parent_path();
  struct statvfs info {};
  if (statvfs(at.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uintmax_t>(info.f_bavail) * info.f_frsize;
}

std::string ShortOfSpace(const std::vector<std::filesystem::path>& folders, std::uintmax_t needed) {
  for (const std::filesystem::path& folder : folders) {
    std::optional<std::uintmax_t> free = FreeBytes(folder);
    if (free && *free < needed) return Said(kDiskFull, folder);
  }
  return {};
}

}  // namespace mivora
