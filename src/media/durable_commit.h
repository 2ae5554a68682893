// Giving a finished file its name so that no crash or power cut can show the
// name before the data: the file's data reaches the disk before the rename,
// and the rename itself reaches it after, through a flush of the folder.
#pragma once

#include <filesystem>
#include <functional>

namespace mivora {

// The system calls a commit makes, in the order it makes them; a test swaps
// them for a recorder to see that order.
struct CommitCalls {
  std::function<int(const char* path, int flags)> open;
  std::function<int(int fd)> fsync;
  std::function<int(int fd)> close;
  std::function<int(const char* from, const char* to)> rename;
};

// The real calls.
const CommitCalls& SystemCommitCalls();

// Flushes `part`'s data, renames it to `final` (replacing a file of that
// name) and flushes `final`'s folder. False, with `part` left where it is,
// when the data could not be flushed or the rename failed.
bool CommitByRename(const std::filesystem::path& part, const std::filesystem::path& final,
                    const CommitCalls& calls = SystemCommitCalls());

}  // namespace mivora
