// What a batch reports when it ends: the machine-readable summary and the
// program's exit status.
#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "cli/batch_run.h"
#include "jobs/name_table.h"

namespace mivora {

// The names an outcome goes by in a summary's `outcome`, read both ways: by
// the summary that writes them and by the report that reads them back.
inline constexpr NameTable<ItemOutcome::Kind, 7> kOutcomeNames({{
    {ItemOutcome::Kind::kSucceeded, "succeeded"},
    {ItemOutcome::Kind::kSkipped, "skipped"},
    {ItemOutcome::Kind::kFailed, "failed"},
    {ItemOutcome::Kind::kCouldNotStart, "could_not_start"},
    {ItemOutcome::Kind::kDiskFull, "disk_full"},
    {ItemOutcome::Kind::kUnwritable, "output_unwritable"},
    {ItemOutcome::Kind::kStopped, "stopped"},
}});

// What a person reads for an output stopped before it ended, which never got
// a status of its own; a skipped one reads kSkippedStatus.
inline constexpr char kStoppedText[] = "未完成";

// The text a line about `result` shows: its status, or kStoppedText.
std::string ResultText(const ItemResult& result);

// Exit statuses of the command line.
inline constexpr int kExitSucceeded = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The run's settings (seed included, so any item can be rerun exactly) and,
// per output, item, version, source, effect line and picks, status text,
// output path, seconds, fingerprint and closest earlier version; `message` says why a run had
// nothing to do; `finished_at` is when the summary was made (UTC).
nlohmann::json BatchSummary(const BatchOptions& options, const std::vector<ItemResult>& results,
                            int stopSignal, const std::string& message = {});

// 128 + the signal after a stop; otherwise 0 when every item succeeded or was
// skipped as already made, else 1.
int BatchExitCode(const std::vector<ItemResult>& results, int stopSignal);

}  // namespace mivora
