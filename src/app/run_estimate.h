// The time a run has left, told from the pace of the work it has done so far.
// Work is counted in the effects' measured costs: an output weighs the sum of
// its effects' costs times their seconds, so a heavy line counts for more
// than a light one. An output not yet begun weighs what the run's lines
// weigh on average; one skipped because it was already made weighs nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

// The work of an output made with the effect line `names` ("特效12-特效29").
double OutputWork(std::string_view names);

// The work guessed for an output whose line is not drawn yet: the mean of
// the run's non-empty lines.
double GuessedOutputWork(const std::vector<std::string>& effectLines);

class RunEstimate {
 public:
  // The run begins: nothing is known yet.
  void Reset();
  // `done` of `total` work is behind the run after `workingSeconds` of it
  // (its pauses left out). The pace is taken from the first work on, so the
  // run's start and the outputs it skipped do not slow it.
  void SetWork(double done, double total, double workingSeconds);
  // The seconds left after `workingSeconds`, each call moving smoothly from
  // the last; nothing while the pace is not known yet. The time of a pause
  // is no working time, so after one the estimate goes on where it stood.
  std::optional<double> SecondsLeft(double workingSeconds);

 private:
  double done_ = 0;
  double total_ = 0;
  std::optional<double> workBegan_;  // when the first work was seen
  double doneWhenBegan_ = 0;         // and how much it was
  std::optional<double> shown_;      // the last estimate told
  double shownAt_ = 0;               // and when
};

}  // namespace mivora
