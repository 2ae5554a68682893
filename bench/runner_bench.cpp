// What the tool runner itself costs: the CPU time it uses while a child runs
// for two seconds (as a share of that time), and the extra wall time of a
// captured run over starting the same encoder command directly.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "runner/run_capture.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// The reference: spawn and wait, output thrown away, nothing captured.
void RunDirectly(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  std::string program = mivora::FindOnPath(args[0]);
  if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
    waitpid(pid, nullptr, 0);
  posix_spawn_file_actions_destroy(&actions);
}

}  // namespace

int main() {
  mivora::RunToken token;
  double cpuBefore = CpuSeconds();
  auto wallBefore = Clock::now();
  mivora::RunCapture({"sleep", "2"}, token);
  double wall = Seconds(Clock::now() - wallBefore);
  double cpu = CpuSeconds() - cpuBefore;
  std::printf("runner CPU while a child runs %.2f s: %.4f s = %.3f%% (goal < 1%%)\n", wall, cpu,
              100 * cpu / wall);

  const std::vector<std::string> encode = {"ffmpeg", "-hide_banner", "-f",
                                           "lavfi",  "-i",           "color=black:s=64x64:d=0.2",
                                           "-f",     "null",         "-"};
  constexpr int kRounds = 20;
  double direct = 0;
  double captured = 0;
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    RunDirectly(encode);
    direct += Seconds(Clock::now() - start);
    start = Clock::now();
    mivora::RunCapture(encode, token);
    captured += Seconds(Clock::now() - start);
  }
  std::printf(
      "encoder run: direct %.1f ms, captured %.1f ms, extra %.2f ms per run (goal < 5 ms)\n",
      1000 * direct / kRounds, 1000 * captured / kRounds, 1000 * (captured - direct) / kRounds);
  return 0;
}
