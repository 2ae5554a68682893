#include "runner/run_token.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>

namespace mivora {

RunToken::RunToken() : cancelFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

RunToken::~RunToken() {
  if (cancelFd_ >= 0) close(cancelFd_);
}

void RunToken::Cancel() {
  std::lock_guard lock(mutex_);
  if (cancelled_.exchange(true)) return;
  if (paused_) pausedBefore_ += std::chrono::steady_clock::now() - pausedSince_;
  paused_ = false;
  for (pid_t group : groups_) {
    kill(-group, SIGTERM);
    kill(-group, SIGCONT);
  }
  std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(cancelFd_, &one, sizeof one);
  changed_.notify_all();
}

void RunToken::Pause() {
  std::lock_guard lock(mutex_);
  if (cancelled_ || paused_) return;
  paused_ = true;
  pausedSince_ = std::chrono::steady_clock::now();
  for (pid_t group : groups_) kill(-group, SIGSTOP);
}

void RunToken::Resume() {
  std::lock_guard lock(mutex_);
  if (!paused_) return;
  paused_ = false;
  pausedBefore_ += std::chrono::steady_clock::now() - pausedSince_;
  for (pid_t group : groups_) kill(-group, SIGCONT);
  changed_.notify_all();
}

std::chrono::steady_clock::duration RunToken::PausedTime() const {
  std::lock_guard lock(mutex_);
  if (!paused_) return pausedBefore_;
  return pausedBefore_ + (std::chrono::steady_clock::now() - pausedSince_);
}

bool RunToken::WaitWhilePaused() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !paused_ || cancelled_; });
  return !cancelled_;
}

bool RunToken::WaitFor(int ms) {
  using Clock = std::chrono::steady_clock;
  auto left = std::chrono::milliseconds(ms);
  std::unique_lock lock(mutex_);
  while (!cancelled_) {
    changed_.wait(lock, [this] { return !paused_ || cancelled_; });
    if (cancelled_) break;
    if (left <= Clock::duration::zero()) return true;
    auto started = Clock::now();
    changed_.wait_for(lock, left, [this] { return paused_ || cancelled_; });
    left -= std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
    if (!paused_ && !cancelled_ && left <= Clock::duration::zero()) return true;
  }
  return false;
}

bool RunToken::Register(pid_t processGroup) {
  std::lock_guard lock(mutex_);
  if (cancelled_) return false;
  groups_.insert(processGroup);
  if (paused_) kill(-processGroup, SIGSTOP);
  return true;
}

void RunToken::Unregister(pid_t processGroup) {
  std::lock_guard lock(mutex_);
  groups_.erase(processGroup);
}

}  // namespace mivora
