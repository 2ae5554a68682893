#include "child_usage.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "effects/output_format.h"
#include "runner/command_line.h"
#include "runner/run_capture.h"

namespace mivora::bench {
namespace {

double Seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

}  // namespace

Usage Measure(const std::function<bool()>& work) {
  Usage usage;
  std::fflush(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) return usage;
  // The child leaves without running the parent's destructors.
  if (pid == 0) _exit(work() ? 0 : 1);
  int status = 0;
  rusage tree{};
  if (wait4(pid, &status, 0, &tree) != pid) return usage;
  usage.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // wait4 reports the child with all the children it waited for.
  usage.cpuSeconds = Seconds(tree.ru_utime) + Seconds(tree.ru_stime);
  usage.peakKb = tree.ru_maxrss;
  usage.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return usage;
}

Usage MeasureEncode(const std::vector<std::string>& args) {
  // The reference is the encoder as a user starts it, in the environment as
  // it is: none of the settings our runner gives the encoders it starts.
  std::vector<std::string> resolved = args;
  resolved[0] = FindOnPath(args[0]);
  return Measure([&resolved] {
    if (RunQuietly(resolved)) return true;
    std::fprintf(stderr, "the encoder failed: %s\n", resolved[0].c_str());
    return false;
  });
}

std::vector<std::string> OutputSettings(int seconds) {
  std::vector<std::string> settings = SplitCommandLine(OutputEncoding(kBaseCanvas));
  settings.insert(settings.end(), {"-t", std::to_string(seconds)});
  return settings;
}

std::vector<std::string> CliRunArgs(const std::filesystem::path& home,
                                    const std::filesystem::path& audio,
                                    const std::string& effectCode) {
  return {"run",    "--home", home.string(),   "--audio", audio.string(),
          "--seed", "1",      "--effect-code", effectCode};
}

void PrintLoad() {
  std::ifstream load("/proc/loadavg");
  double one = 0, five = 0, fifteen = 0;
  load >> one >> five >> fifteen;
  std::printf("load average: %.2f %.2f %.2f on %ld cores\n", one, five, fifteen,
              sysconf(_SC_NPROCESSORS_ONLN));
}

bool RunQuietly(std::vector<std::string> args) {
  pid_t pid = fork();
  if (pid == 0) {
    std::FILE* devNull = std::freopen("/dev/null", "w", stdout);
    std::FILE* devNullErr = std::freopen("/dev/null", "w", stderr);
    (void)devNull;
    (void)devNullErr;
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunCli(std::vector<std::string> args) {
  args.insert(args.begin(), MIVORA_CLI_PATH);
  return RunQuietly(std::move(args));
}

std::array<Usage, 2> BetterOfTwoRounds(const std::function<std::vector<std::string>(int)>& args,
                                       bool& ok) {
  std::array<Usage, 2> best;
  for (int round = 0; round < 2; ++round) {
    for (int step = 0; step < 2; ++step) {
      const int which = round == 0 ? step : 1 - step;
      const std::vector<std::string> cli = args(which);
      Usage run = Measure([&cli] { return RunCli(cli); });
      ok = ok && run.ok;
      if (best[which].wallSeconds == 0 || run.wallSeconds < best[which].wallSeconds)
        best[which] = run;
    }
  }
  return best;
}

}  // namespace mivora::bench
