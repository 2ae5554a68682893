// Runs one program with its standard output and standard error captured
// through one pipe, in write order. No shell: the argument vector is passed to
// the program as it is. The wait is event-driven (poll on the pipe, the child
// and the run's cancel signal) and costs no CPU while the child works.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/run_token.h"

namespace mivora {

struct CaptureResult {
  std::string output;      // everything the child wrote, zero bytes dropped
  bool started = false;    // false: the program could not be started
  bool cancelled = false;  // the run was stopped while the child ran
  bool stalled = false;    // the watch stopped a child that made no progress
};

// What a caller watches while the child runs.
struct CaptureWatch {
  // Every piece of output as it arrives (zero bytes dropped); returns true
  // when the piece shows the child progressing.
  std::function<bool(std::string_view piece)> onOutput;
  // Above 0: a child that shows no progress for this long (time paused not
  // counted) is stopped like a cancelled one, and the result says stalled.
  int stallTimeoutMs = 0;
};

// Starts argv[0] (looked up on PATH when it has no slash) in a process group
// of its own, standard input from /dev/null. Returns once the child has exited
// and the pipe is drained, or at once after `token` is cancelled (the group
// gets SIGTERM, then SIGKILL after a short grace; nothing of it is left).
// A program that cannot be started yields a text naming it and the reason.
CaptureResult RunCapture(const std::vector<std::string>& argv, RunToken& token,
                         const CaptureWatch& watch = {});

// A wait of `ms` milliseconds for a worker thread; a cancel of `token` ends it
// early (result false). Paused time does not count.
bool PumpWait(int ms, RunToken& token);

// The full path of an executable named without a slash, searched on PATH;
// empty when there is none.
std::string FindOnPath(const std::string& name);

}  // namespace mivora
