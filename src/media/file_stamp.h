// Which file a path names and in what state: enough to tell that a source
// was deleted, replaced by another file or written over while a run used it.
#pragma once

#include <filesystem>
#include <optional>

namespace mivora {

struct FileStamp {
  unsigned long long device = 0;
  unsigned long long inode = 0;
  long long size = 0;
  long long modifiedNs = 0;

  bool operator==(const FileStamp&) const = default;
};

// The file's stamp; nothing when it does not exist or cannot be read.
std::optional<FileStamp> StampOf(const std::filesystem::path& file);

}  // namespace mivora
