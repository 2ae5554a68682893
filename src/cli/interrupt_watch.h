// Ctrl-C and termination requests for the whole program. The signals are
// blocked in every thread and taken by one watcher thread, which cancels the
// run's token: every running encoder stops at once and the items unwind,
// deleting their work files. Nothing is done inside a signal handler.
#pragma once

#include <atomic>
#include <thread>

#include "runner/run_token.h"

namespace mivora {

class InterruptWatch {
 public:
  // Must be made before any other thread starts, so that all inherit the
  // blocked signals.
  explicit InterruptWatch(RunToken& token);
  ~InterruptWatch();
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;

  // The signal that stopped the run (SIGINT or SIGTERM), or 0.
  int Signal() const { return signal_.load(); }

 private:
  void Watch(RunToken& token);

  int signalFd_ = -1;
  int closeFd_ = -1;
  std::atomic<int> signal_{0};
  std::thread thread_;
};

}  // namespace mivora
