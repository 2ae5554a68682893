// The outputs of the window's latest run as its results view "成品" shows
// them: one row per output, filled from the core's outcome events as each
// output ends (never from the lists' cells), then completed by what is
// measured of the finished video (length, size, strip pictures). Knows no
// window; the view shows what the rows and their texts say.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "jobs/job_events.h"
#include "jobs/output_result.h"
#include "jobs/run_summary.h"
#include "jobs/video_strip.h"

namespace mivora {

// The folder in a home that keeps what the results view shows of the latest
// run: the strip pictures and the run's summary.
inline constexpr char kResultsFolder[] = ".mivora-results";
// Its folder of strip pictures, and the latest run's summary.
inline constexpr char kStripFolder[] = "画面";
inline constexpr char kRunSummaryFile[] = "summary.json";
// The report page of the latest run, with its pictures' folder beside it.
inline constexpr char kRunReportFile[] = "成品报告.html";

// Where the window keeps the summary of its latest run in `home`.
std::filesystem::path RunSummaryPath(const std::filesystem::path& home);

struct ResultRow {
  ItemResult result;
  std::string name;  // the finished video's file name
  VideoFacts facts;  // once measured
  bool measured = false;

  bool failed() const { return EndedInFailure(result.kind); }
};

// "成功", "已存在，跳过", "已停止" or the failure's own status.
std::string OutcomeText(const ResultRow& row);
// Everything known of why an output failed, in full: its status, the step
// that failed and the encoder's last lines, one after another.
std::string ReasonText(const ResultRow& row);
// The picks, one "label：value" line each, the effect line first.
std::string PicksText(const ResultRow& row);
// The nearest earlier version and its distance ("a-1.mp4  差异 0.231"), or
// empty where none was measured.
std::string NearestText(const ResultRow& row);
// The stem of a row's strip pictures: "<item>-<version>".
std::string StripStem(const ResultRow& row);

class ResultsModel : public JobSink {
 public:
  // Rows only, as when read back from a summary.
  ResultsModel() = default;
  // A run's rows, whose summary is kept in `run.home` as each output ends
  // (without totals: a run that never ended reads as such) and once more
  // when the run has ended.
  explicit ResultsModel(SummaryRun run) : run_(std::move(run)), writes_(true) {}

  // Told after the row at `index` of Rows() was added or changed.
  std::function<void(std::size_t index)> rowChanged;

  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override;
  // Adds `row`, or replaces the row of the same output; its index.
  std::size_t Put(ResultRow row);
  // What was measured of the row at `index`.
  void SetFacts(std::size_t index, VideoFacts facts);
  // The run has ended, stopped or not: its summary gets its totals, and the
  // message of a run refused before any output began.
  void RunEnded(bool stopped, const std::string& refusal = {});

  const std::vector<ResultRow>& Rows() const { return rows_; }
  // The indexes of the rows shown, all of them or the failures only.
  std::vector<std::size_t> Shown(bool failuresOnly) const;
  int Failures() const;

 private:
  void WriteSummary() const;

  SummaryRun run_;
  std::string refusal_;
  bool writes_ = false;
  std::vector<ResultRow> rows_;
};

// Writes the report page of the latest run in `home` from its summary (the
// page `mivora-cli report --html` writes), with the encoder of `env`;
// returns the empty text or what went wrong. A run still going on is
// reported with the outputs it has ended.
std::string WriteRunReport(const std::filesystem::path& home, const ToolEnv& env);

// The rows of the latest run in `home` read back from its summary; `note`
// says when there is none, it cannot be read or its run never ended.
ResultsModel ReadLastRun(const std::filesystem::path& home, std::string& note);

}  // namespace mivora
