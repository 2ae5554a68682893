#include "media/file_stamp.h"

#include <sys/stat.h>

namespace mivora {

std::optional<FileStamp> StampOf(const std::filesystem::path& file) {
  struct stat info {};
  if (stat(file.c_str(), &info) != 0) return std::nullopt;
  return FileStamp{
      static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino),
      static_cast<long long>(info.st_size),
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

}  // namespace mivora
