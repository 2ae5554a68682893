// Removes a work file when the step that writes it ends in any way but
// success, also when a stop unwinds the job: a half-written file never
// outlives its step.
#pragma once

#include <filesystem>
#include <system_error>
#include <utility>

namespace mivora {

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

}  // namespace mivora
