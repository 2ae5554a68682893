// Measures one piece of work in a forked child: its wall time, and the CPU
// time and peak memory of the child together with every process it started
// and waited for (the encoder runs), which stay comparable under a loaded
// machine where wall time does not.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mivora::bench {

struct Usage {
  bool ok = false;
  double wallSeconds = 0;
  double cpuSeconds = 0;  // user and system, the whole process tree
  long peakKb = 0;        // the largest resident set of any process of the tree
};

// Runs `work` in a child process; ok when it returned true.
Usage Measure(const std::function<bool()>& work);

// Measures one encoder run (argv[0] looked up on PATH); ok when the encoder
// finished its output.
Usage MeasureEncode(const std::vector<std::string>& args);

// The encoder settings every finished video has, after the graph and maps.
std::vector<std::string> OutputSettings(int seconds);

// "run" of mivora-cli over `home` with the music of `audio`, seed 1 and the
// effect code; a bench appends what it compares.
std::vector<std::string> CliRunArgs(const std::filesystem::path& home,
                                    const std::filesystem::path& audio,
                                    const std::string& effectCode);

// Prints the load average, so figures can be read against it.
void PrintLoad();

// Runs `args` (the program's path first) with its output dropped; true on
// exit status 0.
bool RunQuietly(std::vector<std::string> args);

// Runs the built mivora-cli with `args`, its output dropped; true on exit
// status 0.
bool RunCli(std::vector<std::string> args);

// Two mivora-cli runs compared: the reference (`args(0)`) and the other
// (`args(1)`), in two rounds, the second in turned order, so neither always
// goes first; the better of each by wall time. `ok` becomes false when a run
// failed.
std::array<Usage, 2> BetterOfTwoRounds(const std::function<std::vector<std::string>(int)>& args,
                                       bool& ok);

}  // namespace mivora::bench
