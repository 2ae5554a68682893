#include "support/process_probe.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <thread>

extern char** environ;

namespace mivora::test {
namespace {

// A process that ends while its file is read makes read() fail with ESRCH,
// which a stream turns into an exception; plain reads give what was there.
std::string ReadProcFile(pid_t pid, const char* name) {
  std::string path = "/proc/" + std::to_string(pid) + "/" + name;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return text;
}

// State letter and parent of a process from /proc/<pid>/stat; the command
// name may hold blanks and parentheses, so the fields start after the last ')'.
bool ReadStat(pid_t pid, char& state, pid_t& parent) {
  std::string stat = ReadProcFile(pid, "stat");
  std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(stat.substr(close + 1));
  return static_cast<bool>(fields >> state >> parent);
}

// Reading /proc can fail half-way while processes come and go; a failed
// scan is started again rather than thrown out of a test's wait loop.
std::vector<pid_t> AllProcesses() {
  std::vector<pid_t> pids;
  for (int attempt = 0; attempt < 5; ++attempt) {
    pids.clear();
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
      std::string name = it->path().filename().string();
      if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos) {
        pids.push_back(std::stoi(name));
      }
    }
    if (!error) break;
  }
  return pids;
}

}  // namespace

std::vector<pid_t> FindProcesses(const std::vector<std::string>& needles) {
  std::vector<pid_t> found;
  for (pid_t pid : AllProcesses()) {
    char state = 0;
    pid_t parent = 0;
    if (!ReadStat(pid, state, parent) || state == 'Z') continue;
    std::string cmdline = ReadProcFile(pid, "cmdline");
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    bool all = !cmdline.empty();
    for (const std::string& needle : needles)
      all = all && cmdline.find(needle) != std::string::npos;
    if (all) found.push_back(pid);
  }
  return found;
}

bool ProcessGone(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return !ReadStat(pid, state, parent) || state == 'Z' || state == 'X';
}

char ProcessState(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return ReadStat(pid, state, parent) ? state : 0;
}

std::vector<pid_t> ChildProcesses(pid_t pid) {
  std::vector<pid_t> children;
  for (pid_t candidate : AllProcesses()) {
    char state = 0;
    pid_t parent = 0;
    if (ReadStat(candidate, state, parent) && parent == pid) children.push_back(candidate);
  }
  return children;
}

int OpenDescriptors(pid_t pid) {
  std::error_code error;
  int count = 0;
  for (std::filesystem::directory_iterator it(
           std::filesystem::path("/proc") / std::to_string(pid) / "fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++count;
  }
  return error ? -1 : count;
}

long StatusField(pid_t pid, const std::string& name) {
  std::istringstream lines(ReadProcFile(pid, "status"));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  }
  return -1;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

pid_t StartProgram(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& outFile, const std::filesystem::path& errorFile) {
  std::vector<std::string> envText;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    if (!environment.contains(text.substr(0, text.find('=')))) envText.push_back(text);
  }
  for (const auto& [name, value] : environment) {
    if (!value.empty()) envText.push_back(name + "=" + value);
  }
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (std::string& arg : args) argp.push_back(arg.data());
  argp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

namespace {

int ExitCode(int status) {
  return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

}  // namespace

int WaitForExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return ExitCode(status);
}

std::optional<int> ExitStatusNow(pid_t pid) {
  int status = 0;
  pid_t done = waitpid(pid, &status, WNOHANG);
  if (done == 0) return std::nullopt;
  return done == pid ? ExitCode(status) : -1;
}

}  // namespace mivora::test
