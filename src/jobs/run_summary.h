// The machine-readable summary of a run: its settings (seed included, so any
// output can be made again exactly) and, per output, item, version, source,
// effect line and picks, outcome and status, output path, seconds,
// fingerprint and closest earlier version. The command line prints it; the
// window keeps its latest run's in the home; the report reads either.
#pragma once

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "jobs/name_table.h"
#include "jobs/output_result.h"
#include "jobs/run_options.h"

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

// The run a summary is of.
struct SummaryRun {
  std::filesystem::path home;
  RunOptions options;
  std::optional<std::uint32_t> seed;  // none: every run draws anew
  int shardIndex = 0;
  int shardCount = 1;
  bool all = false;  // every item of the list, not only the first two
  bool interrupted = false;
  // False while the run still goes on: the summary then holds no totals,
  // which is how a reader tells a run that never ended.
  bool ended = true;
};

// The summary of `run` with `results`; `message` says why a run had nothing
// to do; `finished_at` is when the summary was made (UTC).
nlohmann::json RunSummary(const SummaryRun& run, const std::vector<ItemResult>& results,
                          const std::string& message = {});

// One output as a summary holds it (made on `canvas`), and read back
// (nothing for an item that is not one: no item number, no source, or an
// outcome without a name).
nlohmann::json SummaryItem(const ItemResult& result, const Canvas& canvas = kDefaultCanvas);
std::optional<ItemResult> ResultOfSummaryItem(const nlohmann::json& item);

// Reads a summary's "I/N" shard with 0 <= I < N; false for anything else.
bool ParseShard(const std::string& text, int& index, int& count);

}  // namespace mivora
