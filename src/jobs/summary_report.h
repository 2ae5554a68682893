// One report over the JSON summaries of several runs: the shards of a batch
// spread over machines, or a batch run again after an interruption. Every
// output appears once, with the outcome of the latest run that dealt with it.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mivora {

struct NamedSummary {
  std::string file;  // where it was read, as the user named it
  nlohmann::json summary;
  // Written by a run killed before it printed its final totals: empty, cut
  // off, or without the totals. It counts for nothing but itself.
  bool incomplete = false;
};

// Reads a summary printed by `run --json`. Returns the empty text (also for
// an incomplete summary), or a message naming the file and saying why it is
// not such a summary.
std::string ReadSummaryFile(const std::filesystem::path& file, NamedSummary& read);

// Merges summaries given oldest first; between two runs with a finishing time
// the later one wins whatever the order. The merged summary holds the items,
// totals per outcome, the runs that were refused before any item started and
// never followed by a run of the same home, mode and shard, and the shards of
// a list cut into N that have no summary at all (a task that never ran, or
// died before it could write one), and the incomplete summaries, none of
// whose outputs counts as done.
nlohmann::json MergeSummaries(const std::vector<NamedSummary>& summaries);

// 0 when the merged report has items, every one succeeded or was skipped, no
// run was refused, no shard is missing and no summary is incomplete;
// otherwise 1.
int ReportExitCode(const nlohmann::json& merged);

// The merged report for people: one line per item, per source the two
// versions nearest to each other, then the totals.
std::string ReportTable(const nlohmann::json& merged);

// The text a person reads for one output of a merged report: its status, or
// the outcome's own text where the status says nothing of it.
std::string StatusText(const nlohmann::json& item);

// "共 N 项：成功 …，跳过 …，失败 …，未完成 …" over a merged report; failed
// means ended in a failure, as the exit status counts it.
std::string TotalsLine(const nlohmann::json& merged);

}  // namespace mivora
