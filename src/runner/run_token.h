// Stop and pause for one run of the program. The run control (or the command
// line's Ctrl-C handler) holds it; every child process started under it is
// registered here, so Stop ends the encoder at once and Pause freezes it.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

namespace mivora {

class RunToken {
 public:
  RunToken();
  ~RunToken();
  RunToken(const RunToken&) = delete;
  RunToken& operator=(const RunToken&) = delete;

  // Asks every registered process group to stop (SIGTERM, and SIGCONT so a
  // paused one can act on it) and wakes every wait. Idempotent.
  void Cancel();
  // Freezes every registered process group (SIGSTOP) until Resume.
  void Pause();
  void Resume();

  bool IsCancelled() const { return cancelled_.load(); }
  // Time spent paused since the token was made, the current pause included;
  // watchdogs subtract it, since a frozen child cannot make progress.
  std::chrono::steady_clock::duration PausedTime() const;

  // Blocks while paused; returns false once cancelled.
  bool WaitWhilePaused();
  // Waits `ms` milliseconds of running time; returns false at once when
  // cancelled. Time spent paused does not count.
  bool WaitFor(int ms);

  // A file descriptor that becomes readable once Cancel has been called, for
  // waiting with poll() beside other descriptors.
  int CancelFd() const { return cancelFd_; }

  // Process groups of running children. Register returns false (and does
  // nothing) when the run is already cancelled; the caller must then end the
  // child itself. A group registered while paused is frozen at once.
  bool Register(pid_t processGroup);
  void Unregister(pid_t processGroup);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<bool> cancelled_{false};
  bool paused_ = false;
  std::chrono::steady_clock::time_point pausedSince_{};
  std::chrono::steady_clock::duration pausedBefore_{};
  std::set<pid_t> groups_;
  int cancelFd_ = -1;
};

}  // namespace mivora
