#include "app/results_model.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include <fstream>

#include "app/job_presenter.h"
#include "jobs/clip_jobs.h"
#include "jobs/html_report.h"
#include "jobs/summary_report.h"
#include "media/durable_commit.h"

namespace mivora {

std::filesystem::path RunSummaryPath(const std::filesystem::path& home) {
  return home / kResultsFolder / kRunSummaryFile;
}

std::string OutcomeText(const ResultRow& row) {
  switch (row.result.kind) {
    case ItemOutcome::Kind::kSucceeded:
      return "成功";
    case ItemOutcome::Kind::kSkipped:
      return kSkippedStatus;
    case ItemOutcome::Kind::kStopped:
      return kStoppedStatus;
    default:
      return row.result.status.empty() ? "失败" : row.result.status;
  }
}

std::string ReasonText(const ResultRow& row) {
  std::string reason = OutcomeText(row);
  if (!row.failed()) return reason;
  if (!row.result.failedStep.empty()) reason += "\n失败的步骤：" + row.result.failedStep;
  if (!row.result.lastError.empty()) reason += "\n" + row.result.lastError;
  return reason;
}

std::string PicksText(const ResultRow& row) {
  const AssemblyPicks& picks = row.result.picks;
  // Clips are named by their files; the effect line and the title in full.
  struct Line {
    const char* label;
    std::string value;
    bool clip;
  };
  const Line lines[] = {{"特效组合", row.result.effectLine, false},
                        {"片头", picks.intro, true},
                        {"片尾", picks.outro, true},
                        {"叠加特效", picks.overlay, true},
                        {"音频", picks.audio, true},
                        {"文案", picks.title, false}};
  std::string text;
  for (const Line& line : lines) {
    if (line.value.empty()) continue;
    if (!text.empty()) text += "\n";
    text += std::string(line.label) + "：" +
            (line.clip ? std::filesystem::path(line.value).filename().string() : line.value);
  }
  return text;
}

std::string NearestText(const ResultRow& row) {
  if (!row.result.nearest) return {};
  char distance[16];
  std::snprintf(distance, sizeof distance, "%.3f", row.result.nearest->distance);
  return row.result.nearest->output.filename().string() + "  差异 " + distance;
}

std::string StripStem(const ResultRow& row) {
  return std::to_string(row.result.item) + "-" + std::to_string(row.result.variant);
}

void ResultsModel::ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) {
  ResultRow row;
  TakeOutcome(row.result, plan, outcome);
  row.name = plan.outputName.empty() ? plan.name : plan.outputName;
  Put(std::move(row));
  WriteSummary();
}

void ResultsModel::RunEnded(bool stopped, const std::string& refusal) {
  run_.ended = true;
  run_.interrupted = stopped;
  refusal_ = refusal;
  WriteSummary();
}

void ResultsModel::WriteSummary() const {
  if (!writes_) return;
  std::vector<ItemResult> results;
  for (const ResultRow& row : rows_) results.push_back(row.result);
  const std::filesystem::path file = RunSummaryPath(run_.home);
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  // Written whole beside it and renamed, so the summary read at the next
  // start is never half of one.
  const std::filesystem::path part = file.string() + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << RunSummary(run_, results, refusal_).dump(2) << "\n";
    if (!out) return;
  }
  CommitByRename(part, file);
}

std::size_t ResultsModel::Put(ResultRow row) {
  auto same = std::find_if(rows_.begin(), rows_.end(), [&row](const ResultRow& held) {
    return held.result.item == row.result.item && held.result.variant == row.result.variant;
  });
  std::size_t index = static_cast<std::size_t>(same - rows_.begin());
  if (same == rows_.end()) {
    rows_.push_back(std::move(row));
  } else {
    *same = std::move(row);
  }
  if (rowChanged) rowChanged(index);
  return index;
}

void ResultsModel::SetFacts(std::size_t index, VideoFacts facts) {
  if (index >= rows_.size()) return;
  rows_[index].facts = std::move(facts);
  rows_[index].measured = true;
  if (rowChanged) rowChanged(index);
}

std::vector<std::size_t> ResultsModel::Shown(bool failuresOnly) const {
  std::vector<std::size_t> shown;
  for (std::size_t index = 0; index < rows_.size(); ++index) {
    if (!failuresOnly || rows_[index].failed()) shown.push_back(index);
  }
  return shown;
}

int ResultsModel::Failures() const {
  return static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const ResultRow& row) { return row.failed(); }));
}

std::string WriteRunReport(const std::filesystem::path& home, const ToolEnv& env) {
  const std::filesystem::path file = RunSummaryPath(home);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return "还没有运行过，没有可报告的成品";
  NamedSummary read;
  // Cut off (an empty or half-written file) reads as incomplete with nothing in it.
  if (!ReadSummaryFile(file, read).empty() || !read.summary.is_object())
    return "上次运行的汇总无法读取：" + file.string();
  // A run that has not ended yet has no totals; its ended outputs still count.
  read.incomplete = false;
  return WriteHtmlReport(MergeSummaries({read}), home / kResultsFolder / kRunReportFile, env);
}

ResultsModel ReadLastRun(const std::filesystem::path& home, std::string& note) {
  ResultsModel model;
  const std::filesystem::path file = RunSummaryPath(home);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    note.clear();
    return model;
  }
  NamedSummary read;
  if (!ReadSummaryFile(file, read).empty() || !read.summary.is_object()) {
    note = "上次运行的汇总无法读取：" + file.string();
    return model;
  }
  const bool versions = read.summary.value("variants", 1) > 1;
  if (read.summary.contains("items") && read.summary["items"].is_array()) {
    for (const nlohmann::json& item : read.summary["items"]) {
      std::optional<ItemResult> result = ResultOfSummaryItem(item);
      if (!result) continue;
      ResultRow row;
      row.result = std::move(*result);
      // A failure's summary names no output; its source and version stand in.
      row.name = !row.result.output.empty()
                     ? row.result.output.filename().string()
                     : std::filesystem::path(row.result.source).filename().string() +
                           (versions ? "（版本 " + std::to_string(row.result.variant) + "）" : "");
      model.Put(std::move(row));
    }
  }
  note = read.incomplete ? "上次运行没有结束，这里是它做完的部分" : "";
  return model;
}

}  // namespace mivora
