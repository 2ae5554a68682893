// Files that must not outlive a failed step: a work file removed unless the
// step succeeded, and a finished file written under a hidden name of its own
// and given its name only when complete.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace mivora {

// Removes a work file when the step that writes it ends in any way but
// success, also when a stop unwinds the job: a half-written file never
// outlives its step.
class FileGuard {
 public:
  explicit FileGuard(std::filesystem::path file) : file_(std::move(file)) {}
  ~FileGuard() {
    std::error_code ignored;
    if (!file_.empty()) std::filesystem::remove(file_, ignored);
  }
  FileGuard(const FileGuard&) = delete;
  FileGuard& operator=(const FileGuard&) = delete;

  // The file has a new owner (it was renamed or handed on).
  void Keep() { file_.clear(); }

 private:
  std::filesystem::path file_;
};

// A finished file is written as a part file beside its final name, hidden
// ("<prefix><name>.part<ext>", the prefix ".mivora-" and what tells the run
// it belongs to), and renamed to that name only when complete: a file under
// its final name is always whole, also after a power cut (its data reaches
// the disk before the rename, the rename before Commit returns). Removed
// unless committed.
class PartFile {
 public:
  PartFile(std::filesystem::path finalFile, std::string_view prefix);
  ~PartFile();
  PartFile(const PartFile&) = delete;
  PartFile& operator=(const PartFile&) = delete;

  const std::filesystem::path& path() const { return part_; }
  const std::filesystem::path& finalFile() const { return final_; }

  // Gives the part file its final name, durably; false (the part file
  // removed) when its data could not be flushed or the rename failed.
  bool Commit();

 private:
  std::filesystem::path final_;
  std::filesystem::path part_;
};

}  // namespace mivora
