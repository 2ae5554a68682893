// Progress of a batch on standard error: items done of total, the item and
// step now running, the time elapsed and an estimate of the time left. On a
// terminal one line is redrawn in place; elsewhere (a log file, a scheduler's
// output) every event is one plain line.
#pragma once

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

#include "cli/batch_run.h"

namespace mivora {

// "m:ss", or "h:mm:ss" from one hour on.
std::string FormatClock(double seconds);

// Seconds left when `done` of `total` items took `elapsedSeconds`; negative
// while nothing is done yet and no estimate can be made.
double EstimateSecondsLeft(double elapsedSeconds, int done, int total);

class ProgressReport {
 public:
  ProgressReport(std::FILE* out, bool terminal, int total);

  // Hooks for RunBatch, which already calls them one at a time.
  BatchObserver Observer();
  // Ends the redrawn line on a terminal.
  void Finish();

 private:
  void Event(OutputId output, const std::string& text);

  std::FILE* out_;
  bool terminal_;
  int total_;
  int done_ = 0;
  std::chrono::steady_clock::time_point start_;
  std::map<OutputId, std::string> names_;
};

}  // namespace mivora
