#include "media/run_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <system_error>

#include "media/part_files.h"

namespace mivora {
namespace {

// Held briefly while a run takes its lock and looks for leftovers, and while
// the last run removes the work folder: no run ever sees another's lock file
// before it is locked, nor loses its folder to a run that is leaving.
constexpr char kHousekeepingLock[] = "housekeeping.lock";
constexpr char kLockSuffix[] = ".lock";

// Opens and locks `file`, blocking; -1 when it cannot be made. A lock file
// removed by the run that held it before is opened afresh, so two runs never
// hold locks on two different files of one name.
int LockHousekeeping(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / kHousekeepingLock;
  for (;;) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX) != 0) {
      close(fd);
      return -1;
    }
    struct stat held {};
    struct stat named {};
    if (fstat(fd, &held) == 0 && stat(file.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev) {
      return fd;
    }
    close(fd);
  }
}

std::string NewRunId() {
  // The process id tells a person whose it was; the random part keeps two
  // runs of one process (the window's successive Starts) apart.
  std::random_device device;
  char text[48];
  std::snprintf(text, sizeof text, "run%d_%08x", static_cast<int>(getpid()), device());
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// True when no process holds the lock on `file` any more.
bool Abandoned(const std::filesystem::path& file) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return free;
}

}  // namespace

RunLock::RunLock(const std::filesystem::path& home,
                 const std::vector<std::filesystem::path>& partFolders)
    : folder_(home / kRunsWorkFolder), id_(NewRunId()) {
  int housekeeping = LockHousekeeping(folder_);
  if (housekeeping < 0) return;
  const std::filesystem::path own = folder_ / (id_ + kLockSuffix);
  fd_ = open(own.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd_ >= 0 && flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    close(fd_);
    fd_ = -1;
  }

  // Runs still alive, by their locks; everything else here is left over.
  std::vector<std::string> live{id_};
  std::vector<std::filesystem::path> entries;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
    const std::string name = entry.path().filename().string();
    if (name == kHousekeepingLock || name == id_ + kLockSuffix) continue;
    if (EndsWith(name, kLockSuffix) && !Abandoned(entry.path())) {
      live.push_back(name.substr(0, name.size() - std::string(kLockSuffix).size()));
      continue;
    }
    entries.push_back(entry.path());
  }
  auto isLive = [&live](const std::string& name) {
    for (const std::string& id : live) {
      if (name == id) return true;
    }
    return false;
  };
  auto livePart = [&live](const std::string& name) {
    for (const std::string& id : live) {
      if (StartsWith(name, std::string(kPartFileStart) + id + "-")) return true;
    }
    return false;
  };
  for (const std::filesystem::path& entry : entries) {
    if (isLive(entry.filename().string())) continue;
    std::error_code ignored;
    if (std::filesystem::remove_all(entry, ignored) > 0) removed_.push_back(entry);
  }
  for (const std::filesystem::path& folder : partFolders) {
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::string name = entry.path().filename().string();
      if (!IsPartFileName(name)) continue;
      if (livePart(name)) continue;
      std::error_code ignored;
      if (std::filesystem::remove(entry.path(), ignored)) removed_.push_back(entry.path());
    }
  }
  flock(housekeeping, LOCK_UN);
  close(housekeeping);
}

RunLock::~RunLock() {
  int housekeeping = LockHousekeeping(folder_);
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolder(), ignored);
  if (fd_ >= 0) {
    std::filesystem::remove(folder_ / (id_ + kLockSuffix), ignored);
    close(fd_);
  }
  if (housekeeping < 0) return;
  // The last run out takes the folder with it; a run waiting for the
  // housekeeping lock finds its file gone and makes both afresh.
  bool others = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored)) {
    others = others || entry.path().filename() != kHousekeepingLock;
  }
  if (!others) {
    std::filesystem::remove(folder_ / kHousekeepingLock, ignored);
    std::filesystem::remove(folder_, ignored);
  }
  close(housekeeping);
}

std::filesystem::path RunLock::WorkFolder() const {
  return folder_ / id_;
}

std::string RunLock::PartPrefix() const {
  return std::string(kPartFileStart) + id_ + "-";
}

}  // namespace mivora
