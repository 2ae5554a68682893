#include "app/job_presenter.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>

#include "app/run_estimate.h"

namespace mivora {
namespace {

constexpr int kImageVideoPathColumn = 3;
constexpr int kImageVideoNameColumn = 4;
constexpr char kImageConversionStep[] = "图片转视频";
constexpr char kRunningStatus[] = "正在剪辑";
// A step may take at most this part of what is left of its item: how many
// steps an item has is known only as they come, and the bar must never go
// back when the next one begins.
constexpr double kStepShare = 0.6;

std::vector<std::string> ListPaths(WindowOps& window, ListView list) {
  std::vector<std::string> paths;
  int rows = window.RowCount(list);
  for (int row = 0; row < rows; ++row) paths.push_back(window.CellText(list, row, kPathColumn));
  return paths;
}

ListView ItemList(bool videoMode) {
  return videoMode ? kVideoList : kImageList;
}

std::string Now() {
  std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  std::ostringstream text;
  text << std::put_time(&local, "%Y-%m-%d %H:%M:%S");
  return text.str();
}

// What a row's hint says about an item that did not succeed.
std::string FailureHint(const ItemOutcome& outcome) {
  std::string hint = outcome.status;
  if (!outcome.failedStep.empty()) hint += "\n失败步骤：" + outcome.failedStep;
  if (!outcome.lastError.empty()) hint += "\n" + outcome.lastError;
  return hint;
}

}  // namespace

int StatusColumn(ListView list) {
  switch (list) {
    case kVideoList:
    case kAudioList:
      return 3;
    case kImageList:
      return 5;
    default:
      return -1;
  }
}

FrontChoices ReadChoices(WindowOps& window) {
  FrontChoices choices;
  choices.intro = window.IsChecked(Switch::选择框_加片头);
  choices.outro = window.IsChecked(Switch::选择框_加片尾);
  choices.blackScreen = window.IsChecked(Switch::单选框_加黑幕);
  choices.intros = ListPaths(window, kIntroList);
  choices.outros = ListPaths(window, kOutroList);
  choices.greenScreens = ListPaths(window, kGreenScreenList);
  choices.blackScreens = ListPaths(window, kBlackScreenList);
  choices.audios = ListPaths(window, kAudioList);
  return choices;
}

JobInputs ReadJobInputs(WindowOps& window, const std::filesystem::path& runDir, bool videoMode,
                        std::vector<std::string> effectLines, int maxItems) {
  JobInputs inputs;
  inputs.runDir = runDir;
  inputs.options.videoMode = videoMode;
  inputs.effectLines = std::move(effectLines);
  ListView list = ItemList(videoMode);
  int rows = std::min(window.RowCount(list), maxItems);
  for (int row = 0; row < rows; ++row) {
    inputs.items.push_back({row + 1, window.CellText(list, row, kPathColumn),
                            window.CellText(list, row, kNameColumn)});
  }
  inputs.choices = ReadChoices(window);
  return inputs;
}

std::string JobPresenter::Named(const ItemPlan& plan, std::string_view line) const {
  if (lines_ == LogLines::kPlain) return std::string(line);
  return "【" + std::to_string(plan.item) + " " + plan.name + "】" + std::string(line);
}

void JobPresenter::RunStarted() {
  // No status of an earlier run stays beside this one's.
  for (ListView list : {kVideoList, kImageList, kAudioList}) {
    const int rows = window_.RowCount(list);
    for (int row = 0; row < rows; ++row) {
      window_.SetCellText(list, row, StatusColumn(list), "");
      window_.SetCellToolTip(list, row, StatusColumn(list), "");
    }
  }
  window_.AppendLog("========== " + Now() + " 开始 ==========\r\n");
  ShowProgress();
}

void JobPresenter::GuessWork(const std::vector<std::string>& effectLines) {
  const double guess = GuessedOutputWork(effectLines);
  // Lines of unknown names weigh nothing; every output still counts.
  guessedWork_ = guess > 0 ? guess : 1;
}

void JobPresenter::ItemStarted(const ItemPlan& plan) {
  ListView list = ItemList(plan.videoMode);
  const int row = plan.item - 1;
  variants_ = plan.variants;
  window_.SetCellText(list, row, StatusColumn(list), kRunningStatus);
  // A row's earlier versions keep the failures they named.
  if (plan.variants == 1 || tallies_.emplace(plan.item, VersionTally{}).second)
    window_.SetCellToolTip(list, row, StatusColumn(list), "");
  window_.AppendLog(Named(plan, "正在剪辑\r\n"));
  const double work = OutputWork(plan.effects.names);
  running_[{plan.item, plan.variant}] = {.work = work > 0 ? work : guessedWork_};
  ShowProgress();
  if (!plan.videoMode) {
    window_.SetCellText(list, row, kImageVideoPathColumn, plan.imageVideo.string());
    window_.SetCellText(list, row, kImageVideoNameColumn, plan.outputName);
  }
}

void JobPresenter::StepStarted(const ItemPlan& plan, std::string_view step) {
  ListView list = ItemList(plan.videoMode);
  window_.SetCellText(list, plan.item - 1, StatusColumn(list),
                      std::string(kRunningStatus) + "：" + std::string(step));
  ItemShare& share = running_[{plan.item, plan.variant}];
  share.stepBase = share.shown;
  share.measuredBase = share.measured;
}

void JobPresenter::Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) {
  if (secondsTotal <= 0) return;
  ItemShare& share = running_[{plan.item, plan.variant}];
  double step = std::clamp(secondsDone / secondsTotal, 0.0, 1.0);
  share.shown = std::max(share.shown, share.stepBase + (1 - share.stepBase) * kStepShare * step);
  share.measured = std::max(share.measured, share.measuredBase + (1 - share.measuredBase) * step);
  ShowProgress();
}

void JobPresenter::ShowProgress() {
  if (itemCount_ <= 0) return;
  double done = itemsDone_;
  for (const auto& [output, share] : running_) done += share.shown;
  shownFraction_ = std::max(shownFraction_, std::min(1.0, done / Outputs()));
  window_.SetRunProgress(shownFraction_,
                         std::to_string(itemsDone_) + "/" + std::to_string(Outputs()));
  double workDone = endedWork_;
  double workTotal = endedWork_;
  for (const auto& [output, share] : running_) {
    workDone += share.work * share.measured;
    workTotal += share.work;
  }
  const int waiting = std::max(0, Outputs() - outputsEnded_ - static_cast<int>(running_.size()));
  window_.SetRunWork(workDone, workTotal + waiting * guessedWork_);
}

void JobPresenter::Log(const ItemPlan& plan, std::string_view line) {
  window_.AppendLog(Named(plan, line));
}

void JobPresenter::RunLog(std::string_view line) {
  window_.AppendLog(std::string(line));
}

void JobPresenter::ClipUnreadable(const std::string& path) {
  // Only the audio list has a status column.
  int rows = window_.RowCount(kAudioList);
  for (int row = 0; row < rows; ++row) {
    if (window_.CellText(kAudioList, row, kPathColumn) == path) {
      window_.SetCellText(kAudioList, row, StatusColumn(kAudioList), "无法读取");
    }
  }
}

void JobPresenter::ConsoleOutput(const std::string& text) {
  window_.SetOutputText(text);
}

void JobPresenter::ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) {
  if (auto ended = running_.find({plan.item, plan.variant}); ended != running_.end()) {
    // A made video did all its work, a failed one what it did before it
    // failed, a skipped one none: it only was found.
    const double share = outcome.kind == ItemOutcome::Kind::kSkipped ? 0
                         : outcome.done()                            ? 1
                                                                     : ended->second.measured;
    endedWork_ += ended->second.work * share;
    running_.erase(ended);
  }
  ++outputsEnded_;
  // A failed conversion is the image list's own; every other status goes to
  // the list of the item's mode.
  ListView list =
      outcome.failedStep == kImageConversionStep ? kImageList : ItemList(plan.videoMode);
  const int row = plan.item - 1;
  if (outcome.kind == ItemOutcome::Kind::kStopped) {
    // Stopped is no failure: the row says so and the item is not counted.
    window_.SetCellText(list, row, StatusColumn(list), kStoppedStatus);
    window_.SetCellToolTip(list, row, StatusColumn(list), "");
    return;
  }
  ++itemsDone_;
  if (!outcome.done()) ++itemsFailed_;
  ShowProgress();
  if (outcome.ok() && !outcome.output.empty()) {
    window_.AppendLog("生成视频：" + outcome.output.string() + "\r\n");
  }
  if (plan.variants > 1) {
    VersionFinished(plan, outcome, list);
    return;
  }
  window_.SetCellText(list, row, StatusColumn(list), outcome.status);
  if (!outcome.done()) window_.SetCellToolTip(list, row, StatusColumn(list), FailureHint(outcome));
}

void JobPresenter::VersionFinished(const ItemPlan& plan, const ItemOutcome& outcome,
                                   ListView list) {
  VersionTally& tally = tallies_[plan.item];
  ++tally.ended;
  if (outcome.done()) {
    ++tally.made;
  } else {
    std::string failure = plan.outputName + "：" + FailureHint(outcome);
    tally.failures += (tally.failures.empty() ? "" : "\n\n") + failure;
  }
  const std::string of = "/" + std::to_string(plan.variants);
  // The row is done only when every version has ended; one where none was
  // made says why the last one failed.
  std::string status = tally.ended < plan.variants ? "已完成 " + std::to_string(tally.ended) + of
                       : tally.made > 0            ? "成功 " + std::to_string(tally.made) + of
                                                   : outcome.status;
  window_.SetCellText(list, plan.item - 1, StatusColumn(list), status);
  window_.SetCellToolTip(list, plan.item - 1, StatusColumn(list), tally.failures);
}

void JobPresenter::JobEnded(const JobEnd& end) {
  if (end.kind == JobEnd::Kind::kStopped) {
    JobStopped();
    return;
  }
  if (!end.logLine.empty()) window_.AppendLog(end.logLine);
  if (end.kind == JobEnd::Kind::kRefused) {
    window_.ShowRunEnd("", false);
    window_.ShowInfo(end.message);
    return;
  }
  std::string message = end.message;
  if (itemCount_ > 0) {
    std::string label =
        std::to_string(itemsDone_ - itemsFailed_) + "/" + std::to_string(Outputs()) + " 成功";
    if (itemsFailed_ > 0) label += "，" + std::to_string(itemsFailed_) + " 个失败";
    window_.SetRunProgress(1.0, label);
  }
  if (itemsFailed_ > 0) {
    message += "\r\n成功 " + std::to_string(itemsDone_ - itemsFailed_) + " 个，失败 " +
               std::to_string(itemsFailed_) + " 个";
  }
  window_.ShowRunEnd("已完成", itemsFailed_ > 0);
  window_.ShowInfo(message);
}

void JobPresenter::JobStopped() {
  std::string line = "已停止：完成 " + std::to_string(itemsDone_) + " 个";
  if (itemCount_ > 0) line += "，共 " + std::to_string(Outputs()) + " 个";
  window_.AppendLog(line + "\r\n");
  window_.ShowRunEnd(kStoppedStatus, itemsFailed_ > 0);
}

}  // namespace mivora
