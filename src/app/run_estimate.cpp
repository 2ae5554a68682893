#include "app/run_estimate.h"

#include <algorithm>
#include <string>

#include "effects/effect_catalogue.h"
#include "effects/effect_cost.h"
#include "runner/text.h"

namespace mivora {
namespace {

// The pace is trusted once the work has gone on this long and this much of
// it is done; until then the estimate would follow the noise of one step.
constexpr double kLeastWorkingSeconds = 2.0;
constexpr double kLeastShareDone = 0.01;
// How much a new second's estimate counts against the one told before it.
constexpr double kNewWeight = 0.3;

}  // namespace

double OutputWork(std::string_view names) {
  double work = 0;
  for (const std::string& name : SplitText(names, "-")) {
    const std::string seconds = EffectDuration(name);
    if (!seconds.empty()) work += EffectCost(name) * std::stod(seconds);
  }
  return work;
}

double GuessedOutputWork(const std::vector<std::string>& effectLines) {
  double sum = 0;
  int lines = 0;
  for (const std::string& line : effectLines) {
    if (line.empty()) continue;
    sum += OutputWork(line);
    ++lines;
  }
  return lines == 0 ? 0 : sum / lines;
}

void RunEstimate::Reset() {
  *this = RunEstimate();
}

void RunEstimate::SetWork(double done, double total, double workingSeconds) {
  // The first work's moment: it began with the output's encode, not with
  // the run's checks and the outputs found already made.
  if (done > 0 && !workBegan_) {
    workBegan_ = workingSeconds;
    doneWhenBegan_ = done;
  }
  done_ = std::max(0.0, done);
  total_ = std::max(done_, total);
}

std::optional<double> RunEstimate::SecondsLeft(double workingSeconds) {
  if (!workBegan_ || total_ <= 0) return std::nullopt;
  const double working = workingSeconds - *workBegan_;
  if (done_ >= total_) return 0.0;
  // The work told with the first report was done before the clock of the
  // pace began.
  const double paced = done_ - doneWhenBegan_;
  if (working < kLeastWorkingSeconds || paced < kLeastShareDone * total_) return std::nullopt;
  const double estimate = (total_ - done_) * working / paced;
  if (shown_) {
    const double passed = std::max(0.0, workingSeconds - shownAt_);
    shown_ = (1 - kNewWeight) * std::max(0.0, *shown_ - passed) + kNewWeight * estimate;
  } else {
    shown_ = estimate;
  }
  shownAt_ = workingSeconds;
  return shown_;
}

}  // namespace mivora
