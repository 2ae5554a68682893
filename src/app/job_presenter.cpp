#include "app/job_presenter.h"

#include <algorithm>

namespace mivora {
namespace {

constexpr int kImageVideoPathColumn = 3;
constexpr int kImageVideoNameColumn = 4;
constexpr char kImageConversionStep[] = "图片转视频";
constexpr char kRunningStatus[] = "正在剪辑";

std::vector<std::string> ListPaths(WindowOps& window, ListView list) {
  std::vector<std::string> paths;
  int rows = window.RowCount(list);
  for (int row = 0; row < rows; ++row) paths.push_back(window.CellText(list, row, kPathColumn));
  return paths;
}

ListView ItemList(bool videoMode) {
  return videoMode ? kVideoList : kImageList;
}

std::string FailureHint(const ItemOutcome& outcome) {
  std::string hint = "失败步骤：" + outcome.failedStep;
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
  choices.videoMode = window.IsChecked(Switch::单选框_视频剪辑);
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
  inputs.videoMode = videoMode;
  inputs.effectLines = std::move(effectLines);
  ListView list = ItemList(videoMode);
  int rows = std::min(window.RowCount(list), maxItems);
  for (int row = 0; row < rows; ++row) {
    inputs.items.push_back({row + 1, window.CellText(list, row, kPathColumn),
                            window.CellText(list, row, kNameColumn)});
  }
  inputs.choices = ReadChoices(window);
  inputs.choicesNow = [&window] { return ReadChoices(window); };
  return inputs;
}

void JobPresenter::ItemStarted(const ItemPlan& plan) {
  ListView list = ItemList(plan.videoMode);
  const int row = plan.item - 1;
  variants_ = plan.variants;
  window_.SetCellText(list, row, StatusColumn(list), kRunningStatus);
  // A row's earlier versions keep the failures they named.
  if (plan.variants == 1 || tallies_.emplace(plan.item, VersionTally{}).second)
    window_.SetCellToolTip(list, row, StatusColumn(list), "");
  window_.AppendLog("正在剪辑\r\n");
  running_[{plan.item, plan.variant}] = 0;
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
  running_[{plan.item, plan.variant}] = 0;
  ShowProgress();
}

void JobPresenter::Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) {
  if (secondsTotal <= 0) return;
  running_[{plan.item, plan.variant}] = std::clamp(secondsDone / secondsTotal, 0.0, 1.0);
  ShowProgress();
}

void JobPresenter::ShowProgress() {
  if (itemCount_ <= 0) return;
  const int outputs = itemCount_ * variants_;
  double share = itemsDone_;
  for (const auto& [output, done] : running_) share += done;
  window_.SetRunProgress(itemsDone_, outputs, std::min(1.0, share / outputs));
}

void JobPresenter::Log(const ItemPlan&, std::string_view line) {
  window_.AppendLog(std::string(line));
}

void JobPresenter::RunLog(std::string_view line) {
  window_.AppendLog(std::string(line));
}

void JobPresenter::ConsoleOutput(const std::string& text) {
  window_.SetOutputText(text);
}

void JobPresenter::ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) {
  // A stopped run makes no further window call; the cell keeps the step it
  // stopped in.
  if (outcome.kind == ItemOutcome::Kind::kStopped) return;
  running_.erase({plan.item, plan.variant});
  ++itemsDone_;
  ShowProgress();
  // A failed conversion is the image list's own; every other status goes to
  // the list of the mode checked when the item ends.
  ListView list = outcome.failedStep == kImageConversionStep
                      ? kImageList
                      : ItemList(window_.IsChecked(Switch::单选框_视频剪辑));
  const int row = plan.item - 1;
  if (outcome.ok() && !outcome.output.empty()) {
    window_.AppendLog("生成视频：" + outcome.output.string() + "\r\n");
  }
  if (plan.variants > 1) {
    VersionFinished(plan, outcome, list);
    return;
  }
  window_.SetCellText(list, row, StatusColumn(list), outcome.status);
  if (!outcome.ok() && !outcome.failedStep.empty()) {
    window_.SetCellToolTip(list, row, StatusColumn(list), FailureHint(outcome));
  }
}

void JobPresenter::VersionFinished(const ItemPlan& plan, const ItemOutcome& outcome,
                                   ListView list) {
  VersionTally& tally = tallies_[plan.item];
  ++tally.ended;
  if (outcome.done()) {
    ++tally.made;
  } else {
    std::string failure = plan.outputName + "：" + outcome.status;
    if (!outcome.failedStep.empty()) failure += "\n" + FailureHint(outcome);
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
  if (end.kind == JobEnd::Kind::kStopped) return;
  if (!end.logLine.empty()) window_.AppendLog(end.logLine);
  window_.ShowInfo(end.message);
}

}  // namespace mivora
