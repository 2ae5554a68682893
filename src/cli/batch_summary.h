// What a batch reports when it ends: the machine-readable summary and the
// program's exit status.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "cli/batch_run.h"
#include "jobs/run_summary.h"

namespace mivora {

// The text a line about `result` shows: its status, or kStoppedText.
std::string ResultText(const ItemResult& result);

// Exit statuses of the command line.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The run's summary (see run_summary.h) for a batch of `options`, stopped by
// `stopSignal` when it is not 0.
nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message = {});

// 128 + the signal after a stop; otherwise 0 when every item succeeded or was
// skipped as already made, else 1.
int BatchExitCode(const std::vector<ItemResult>& results, int stopSignal);

}  // namespace mivora
