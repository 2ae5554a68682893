#include "cli/interrupt_watch.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace mivora {

InterruptWatch::InterruptWatch(RunToken& token) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (int error = pthread_sigmask(SIG_BLOCK, &set, nullptr); error != 0) {
    throw std::system_error(error, std::generic_category(), "pthread_sigmask");
  }
  signalFd_ = signalfd(-1, &set, SFD_CLOEXEC);
  closeFd_ = eventfd(0, EFD_CLOEXEC);
  if (signalFd_ < 0 || closeFd_ < 0) {
    int error = errno;
    if (signalFd_ >= 0) close(signalFd_);
    if (closeFd_ >= 0) close(closeFd_);
    throw std::system_error(error, std::generic_category(), "signalfd");
  }
  thread_ = std::thread(&InterruptWatch::Watch, this, std::ref(token));
}

InterruptWatch::~InterruptWatch() {
  std::uint64_t one = 1;
  // An eventfd write of one cannot block or fail short here.
  [[maybe_unused]] ssize_t written = write(closeFd_, &one, sizeof one);
  thread_.join();
  close(signalFd_);
  close(closeFd_);
}

void InterruptWatch::Watch(RunToken& token) {
  pollfd fds[2] = {{signalFd_, POLLIN, 0}, {closeFd_, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    signalfd_siginfo info{};
    if (read(signalFd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
    // The first signal names the stop; later ones change nothing.
    int expected = 0;
    signal_.compare_exchange_strong(expected, static_cast<int>(info.ssi_signo));
    token.Cancel();
  }
}

}  // namespace mivora
