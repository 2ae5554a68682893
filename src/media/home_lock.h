// Who may work in a home at once: one window, or any number of command-line
// runs (shards of one batch run side by side), never both. A window rewrites
// the outputs a command-line run is making, and the other way round, so the
// second of them is refused instead. The system drops the lock when its
// process ends in any way.
#pragma once

#include <filesystem>

namespace mivora {

// The lock file at the top of the home; it stays there, empty. Its name is
// not one of a run's own (".mivora-…"), which are removed once left over.
inline constexpr char kHomeLockFile[] = ".mivora_home.lock";

class HomeLock {
 public:
  enum class Holder {
    kWindow,       // alone, for as long as the window shows the home
    kCommandLine,  // shared with other command-line runs, for one run
  };
  // Tries once, without waiting. A home where no lock file can be made is
  // held anyway: nothing can work there beside anything else either.
  HomeLock(const std::filesystem::path& home, Holder holder);
  ~HomeLock();
  HomeLock(const HomeLock&) = delete;
  HomeLock& operator=(const HomeLock&) = delete;

  // False when another holder of the other kind (or another window) has it.
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace mivora
