// The jobs of a run: every item is planned from the job's inputs, rendered by
// an engine and reported to a sink. The Start button's job runs the items the
// window read (the first two rows unless "处理全部素材" is on) and ends with a
// message; batches run any number of items, several at once, each in a work
// folder of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/job_events.h"
#include "jobs/job_inputs.h"
#include "runner/run_token.h"

namespace mivora {

// One finished video of a run: an item of the list and which of its versions.
struct OutputId {
  int item = 0;     // 1-based number of the item in its list
  int variant = 1;  // 1-based version of the item's source
  auto operator<=>(const OutputId&) const = default;
};

// How a job ended, for the front to show.
struct JobEnd {
  enum class Kind {
    kFinished,  // every item had its turn: `message` is "任务完毕"
    kRefused,   // nothing was run: `message` says why
    kStopped,   // stopped from outside: nothing more to show
    kHalted,    // the machine failed an item and no item after it ran: `message` says how
  };
  Kind kind = Kind::kFinished;
  std::string message;
  std::string logLine;  // refusals that the log records too, with the line break
};

// The Start button's job: refuses an empty list ("视频剪辑没有导入",
// "图片剪辑没有导入"), a folder it cannot write into or a missing encoder
// (those messages also go to the log), then runs the items and ends with
// "任务完毕", or with the machine's fault that stopped them.
JobEnd RunClipJob(JobInputs inputs, JobSink& sink, RunToken& token);

// Runs every item of `inputs` (or those of `inputs.onlyItems`), each version
// of each, `inputs.options.jobs` at a time, until all are done, `token` is stopped or
// the machine failed an output (a full disk, a closed folder: no further one
// is taken). The run holds a lock on its home meanwhile and first removes
// what crashed runs left there. Outcomes come back in the order of the
// items, versions in turn; an output never started is reported stopped.
std::vector<ItemOutcome> RunItems(const JobInputs& inputs, JobSink& sink, RunToken& token);

// The outputs a run of `inputs` makes: every version of every chosen item
// (those of `inputs.onlyItems`, or all), in list order.
std::vector<OutputId> RunOutputs(const JobInputs& inputs);

// The image's video name: every ".jpg" (any case) becomes ".mp4".
std::string ImageVideoName(const std::string& imageName);

// The fixed tick of item `item`'s random source under `seed`: independent of
// which other items run, and different for neighbouring items.
std::uint32_t ItemTick(std::uint32_t seed, int item);

// The status of an output whose finished file was already there.
inline constexpr char kSkippedStatus[] = "已存在，跳过";

}  // namespace mivora
