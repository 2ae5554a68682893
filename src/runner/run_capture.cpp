#include "runner/run_capture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "runner/text.h"

namespace mivora {
namespace {

constexpr int kStopGraceMs = 300;

// Closes a descriptor once, on every path out of RunCapture.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void Reset() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

void AppendWithoutZeros(std::string& out, const char* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != '\0') out.push_back(data[i]);
  }
}

// Reads what is available; returns false at end of file. `progressed` is
// set when the watch saw progress in what was read.
bool ReadAvailable(int fd, std::string& out, const CaptureWatch& watch, bool& progressed) {
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) {
      std::size_t before = out.size();
      AppendWithoutZeros(out, buffer, static_cast<std::size_t>(n));
      if (watch.onOutput && watch.onOutput(std::string_view(out).substr(before))) {
        progressed = true;
      }
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

// Waits until the child has exited or `timeoutMs` passed (-1: no limit).
bool WaitExit(int pidFd, int timeoutMs) {
  pollfd p{pidFd, POLLIN, 0};
  for (;;) {
    int r = poll(&p, 1, timeoutMs);
    if (r >= 0) return r > 0;
    if (errno != EINTR) return false;
  }
}

// The child's environment: the program's own, with glibc told to keep freed
// big blocks on the heap. The encoder allocates and frees picture-sized
// buffers all the time; mapped and unmapped each time, every frame's pages
// fault in afresh (the kernel took twice the share of a one-pass encode's CPU
// that it takes of a plain encode's). A setting of the user's own comes last
// and wins.
std::vector<std::string> ChildEnvironment() {
  constexpr std::string_view kTunables = "GLIBC_TUNABLES=";
  std::string tunables = std::string(kTunables) +
                         "glibc.malloc.mmap_threshold=33554432:"
                         "glibc.malloc.trim_threshold=268435456";
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    std::string_view variable = *entry;
    if (variable.starts_with(kTunables)) {
      tunables.append(":").append(variable.substr(kTunables.size()));
    } else {
      environment.emplace_back(variable);
    }
  }
  environment.push_back(tunables);
  return environment;
}

[[noreturn]] void ExecChild(const char* path, char* const* argv, char* const* envp, int outFd,
                            int errorFd, pid_t parent) {
  // Only async-signal-safe calls between fork and exec.
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
  int devNull = open("/dev/null", O_RDONLY);
  if (devNull >= 0) dup2(devNull, STDIN_FILENO);
  dup2(outFd, STDOUT_FILENO);
  dup2(outFd, STDERR_FILENO);
  struct sigaction deflt {};
  deflt.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &deflt, nullptr);
  sigaction(SIGINT, &deflt, nullptr);
  sigaction(SIGTERM, &deflt, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(path, argv, envp);
  int error = errno;
  [[maybe_unused]] ssize_t n = write(errorFd, &error, sizeof error);
  _exit(127);
}

std::string StartFailure(const std::string& program, int error) {
  return "无法启动程序 " + program + "：" + std::strerror(error) + "\n";
}

}  // namespace

std::string FindOnPath(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  for (const std::string& dir : SplitText(path ? path : "/usr/local/bin:/usr/bin:/bin", ":")) {
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

CaptureResult RunCapture(const std::vector<std::string>& argv, RunToken& token,
                         const CaptureWatch& watch) {
  using Clock = std::chrono::steady_clock;
  CaptureResult result;
  if (argv.empty() || argv[0].empty()) {
    result.output = StartFailure("(空命令)", ENOENT);
    return result;
  }
  // A paused run starts nothing until it is resumed.
  if (!token.WaitWhilePaused()) {
    result.cancelled = true;
    return result;
  }
  std::string path = FindOnPath(argv[0]);
  if (path.empty()) {
    result.output = StartFailure(argv[0], ENOENT);
    return result;
  }

  int outPipe[2];
  int errorPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) {
    result.output = StartFailure(argv[0], errno);
    return result;
  }
  Fd outRead(outPipe[0]);
  Fd outWrite(outPipe[1]);
  if (pipe2(errorPipe, O_CLOEXEC) != 0) {
    result.output = StartFailure(argv[0], errno);
    return result;
  }
  Fd errorRead(errorPipe[0]);
  Fd errorWrite(errorPipe[1]);

  std::vector<char*> cArgs;
  for (const std::string& a : argv) cArgs.push_back(const_cast<char*>(a.c_str()));
  cArgs.push_back(nullptr);
  const std::vector<std::string> environment = ChildEnvironment();
  std::vector<char*> cEnvironment;
  for (const std::string& e : environment) cEnvironment.push_back(const_cast<char*>(e.c_str()));
  cEnvironment.push_back(nullptr);

  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    result.output = StartFailure(argv[0], errno);
    return result;
  }
  if (pid == 0) {
    ExecChild(path.c_str(), cArgs.data(), cEnvironment.data(), outWrite.get(), errorWrite.get(),
              parent);
  }

  setpgid(pid, pid);  // also here, so the group exists before we signal it
  outWrite.Reset();
  errorWrite.Reset();
  int execError = 0;
  ssize_t got = 0;
  do {
    got = read(errorRead.get(), &execError, sizeof execError);
  } while (got < 0 && errno == EINTR);
  if (got == sizeof execError) {
    waitpid(pid, nullptr, 0);
    result.output = StartFailure(argv[0], execError);
    return result;
  }
  result.started = true;

  Fd pidFd(static_cast<int>(syscall(SYS_pidfd_open, pid, 0)));
  bool registered = token.Register(pid);
  fcntl(outRead.get(), F_SETFL, fcntl(outRead.get(), F_GETFL) | O_NONBLOCK);

  // The stall clock restarts at every sign of progress; time paused is
  // taken off, since a frozen child cannot progress.
  const auto stallLimit = std::chrono::milliseconds(watch.stallTimeoutMs);
  Clock::time_point lastProgress = Clock::now();
  Clock::duration pausedAtProgress = token.PausedTime();
  auto stillFor = [&] {
    return Clock::now() - lastProgress - (token.PausedTime() - pausedAtProgress);
  };

  bool pipeOpen = true;
  bool exited = false;
  bool cancelled = !registered;
  bool stalled = false;
  while (!cancelled && !stalled && (pipeOpen || (!exited && pidFd.get() >= 0))) {
    int timeoutMs = -1;
    if (watch.stallTimeoutMs > 0) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(stallLimit - stillFor());
      timeoutMs = static_cast<int>(std::max<long long>(left.count(), 0) + 1);
    }
    pollfd fds[3] = {{pipeOpen ? outRead.get() : -1, POLLIN, 0},
                     {exited ? -1 : pidFd.get(), POLLIN, 0},
                     {token.CancelFd(), POLLIN, 0}};
    if (poll(fds, 3, timeoutMs) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    bool progressed = false;
    if (fds[0].revents) pipeOpen = ReadAvailable(outRead.get(), result.output, watch, progressed);
    if (progressed) {
      lastProgress = Clock::now();
      pausedAtProgress = token.PausedTime();
    }
    if (fds[1].revents) {
      exited = true;
      // Nothing of the group may outlive its leader.
      kill(-pid, SIGKILL);
    }
    if (fds[2].revents) cancelled = true;
    if (watch.stallTimeoutMs > 0 && !exited && stillFor() >= stallLimit) stalled = true;
  }

  if (cancelled || stalled) {
    result.cancelled = cancelled;
    result.stalled = stalled && !cancelled;
    kill(-pid, SIGTERM);
    kill(-pid, SIGCONT);
    if (!WaitExit(pidFd.get(), kStopGraceMs)) kill(-pid, SIGKILL);
    kill(-pid, SIGKILL);
    bool ignored = false;
    ReadAvailable(outRead.get(), result.output, watch, ignored);
  }
  waitpid(pid, nullptr, 0);
  if (registered) token.Unregister(pid);
  return result;
}

bool PumpWait(int ms, RunToken& token) {
  return token.WaitFor(ms);
}

}  // namespace mivora
