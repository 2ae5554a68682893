#include "media/durable_commit.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace mivora {

const CommitCalls& SystemCommitCalls() {
  static const CommitCalls calls{
      [](const char* path, int flags) { return ::open(path, flags | O_CLOEXEC); },
      [](int fd) { return ::fsync(fd); },
      [](int fd) { return ::close(fd); },
      [](const char* from, const char* to) { return ::rename(from, to); },
  };
  return calls;
}

bool CommitByRename(const std::filesystem::path& part, const std::filesystem::path& final,
                    const CommitCalls& calls) {
  int file = calls.open(part.c_str(), O_RDONLY);
  if (file < 0) return false;
  bool flushed = calls.fsync(file) == 0;
  calls.close(file);
  // A name over data that never reached the disk is the one thing a commit
  // must not leave behind.
  if (!flushed || calls.rename(part.c_str(), final.c_str()) != 0) return false;
  // Without this flush a power cut may lose the new name (and show the old
  // file or none), never a broken file: a folder that cannot be flushed
  // does not fail the commit.
  std::filesystem::path folder = final.parent_path().empty() ? "." : final.parent_path();
  int directory = calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (directory >= 0) {
    calls.fsync(directory);
    calls.close(directory);
  }
  return true;
}

}  // namespace mivora
