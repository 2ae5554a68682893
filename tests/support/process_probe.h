// What the hardening tests read about processes: finding them by command line,
// their children, open descriptors and resident memory from /proc, and a
// started program with its output in files.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mivora::test {

// Live (not zombie) processes whose command line (arguments joined by
// blanks) holds every needle.
std::vector<pid_t> FindProcesses(const std::vector<std::string>& needles);
// True when `pid` has exited (gone from /proc, or a zombie nobody reaped yet).
bool ProcessGone(pid_t pid);
// The state letter of /proc/<pid>/stat ('R', 'S', 'T' when stopped ...), 0 once gone.
char ProcessState(pid_t pid);
// Processes whose parent is `pid`, zombies included.
std::vector<pid_t> ChildProcesses(pid_t pid);
int OpenDescriptors(pid_t pid);
// A "Name:  value kB" field of /proc/<pid>/status as a number (VmRSS, Threads).
long StatusField(pid_t pid, const std::string& name);

// Polls `condition` every 20 ms until it holds or `limit` has passed.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// Starts `argv` with the given environment changes (an empty value removes
// the variable), standard input from /dev/null and standard output and error
// into the given files.
pid_t StartProgram(const std::vector<std::string>& argv,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& outFile, const std::filesystem::path& errorFile);
// Waits for a started program; its exit status, or 128 + the signal that ended it.
int WaitForExit(pid_t pid);
// The same without waiting: nothing while the program still runs.
std::optional<int> ExitStatusNow(pid_t pid);

}  // namespace mivora::test
