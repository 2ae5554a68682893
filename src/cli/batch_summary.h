// What a batch reports when it ends: the machine-readable summary and the
// program's exit status.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "cli/batch_run.h"

namespace mivora {

// Exit statuses of the command line.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The run's settings (seed included, so any item can be rerun exactly) and,
// per output, item, version, source, effect line and picks, status text,
// output path and seconds; `message` says why a run had nothing to do;
// `finished_at` is when the summary was made (UTC).
nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message = {});

// 128 + the signal after a stop; otherwise 0 when every item succeeded or was
// skipped as already made, else 1.
int BatchExitCode(const std::vector<ItemResult>& results, int stopSignal);

}  // namespace mivora
