#include "media/home_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace mivora {

HomeLock::HomeLock(const std::filesystem::path& home, Holder holder) {
  fd_ = open((home / kHomeLockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    held_ = true;
    return;
  }
  held_ = flock(fd_, (holder == Holder::kWindow ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
  if (!held_) {
    close(fd_);
    fd_ = -1;
  }
}

HomeLock::~HomeLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace mivora
