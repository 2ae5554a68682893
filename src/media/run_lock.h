// A run's claim on its home. Every run holds a lock file of its own under the
// home's work folder for as long as it lives; its work folder and its part
// files carry the same name. The system drops the lock when the process ends
// in any way, SIGKILL and power cut included, so the next run on the home can
// tell what was left behind by a run that is gone from what belongs to a run
// still working beside it, and remove only the former.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

// The folder under the home that holds the runs' locks and work folders.
inline constexpr char kRunsWorkFolder[] = ".mivora-work";

class RunLock {
 public:
  // Takes a new lock under `home` and removes what runs that no longer hold
  // theirs left in the work folder and, as part files, in `partFolders`.
  // Without a writable work folder the run goes on unlocked and removes
  // nothing (its names are still its own).
  RunLock(const std::filesystem::path& home, const std::vector<std::filesystem::path>& partFolders);
  // Removes the lock and the run's work folder, and the home's work folder
  // once no run uses it.
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // This run's work folder (made on first use by whoever writes into it).
  std::filesystem::path WorkFolder() const;
  // The start of this run's part files' names.
  std::string PartPrefix() const;
  // What the start removed, in the order found.
  const std::vector<std::filesystem::path>& removed() const { return removed_; }

 private:
  std::filesystem::path folder_;
  std::string id_;
  int fd_ = -1;
  std::vector<std::filesystem::path> removed_;
};

}  // namespace mivora
