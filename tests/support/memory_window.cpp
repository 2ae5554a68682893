#include "support/memory_window.h"

#include <utility>

namespace mivora {
namespace {

std::size_t Index(ListView list) {
  return static_cast<std::size_t>(list);
}

Switch PartnerOf(Switch control) {
  switch (control) {
    case Switch::单选框_视频剪辑:
      return Switch::单选框_图片剪辑;
    case Switch::单选框_图片剪辑:
      return Switch::单选框_视频剪辑;
    case Switch::单选框_加绿幕:
      return Switch::单选框_加黑幕;
    case Switch::单选框_加黑幕:
      return Switch::单选框_加绿幕;
    default:
      return control;
  }
}

}  // namespace

MemoryWindow::MemoryWindow() {
  texts_[TextBox::编辑框_特效代码] = kDefaultEffectCode;
  texts_[TextBox::编辑框_日志] = kDefaultLogText;
  texts_[TextBox::编辑框_输出返回] = "";
  switches_ = {{Switch::单选框_视频剪辑, true}, {Switch::单选框_图片剪辑, false},
               {Switch::选择框_加片头, false},  {Switch::选择框_加片尾, false},
               {Switch::单选框_加绿幕, false},  {Switch::单选框_加黑幕, true}};
  enabled_ = {{Button::按钮_开始检测, true},
              {Button::按钮_暂停检测, false},
              {Button::按钮_继续检测, false},
              {Button::按钮_停止检测, false}};
}

int MemoryWindow::RowCount(ListView list) {
  std::lock_guard lock(mutex_);
  return static_cast<int>(lists_[Index(list)].size());
}

std::string MemoryWindow::CellText(ListView list, int row, int column) {
  std::lock_guard lock(mutex_);
  const Rows& rows = lists_[Index(list)];
  if (row < 0 || row >= static_cast<int>(rows.size())) return {};
  if (column < 0 || column >= static_cast<int>(rows[row].size())) return {};
  return rows[row][column];
}

void MemoryWindow::SetCellText(ListView list, int row, int column, const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    Rows& rows = lists_[Index(list)];
    if (row < 0 || row >= static_cast<int>(rows.size())) return;
    if (column < 0 || column >= static_cast<int>(rows[row].size())) return;
    rows[row][column] = text;
  }
  Notify();
}

int MemoryWindow::AppendRow(ListView list) {
  std::lock_guard lock(mutex_);
  Rows& rows = lists_[Index(list)];
  rows.emplace_back(ColumnCount(list));
  return static_cast<int>(rows.size()) - 1;
}

void MemoryWindow::ClearRows(ListView list) {
  std::lock_guard lock(mutex_);
  lists_[Index(list)].clear();
  std::erase_if(toolTips_, [list](const auto& tip) { return std::get<0>(tip.first) == list; });
}

void MemoryWindow::FillRows(ListView list, const std::vector<std::vector<std::string>>& rows,
                            bool append) {
  if (!append) ClearRows(list);
  std::lock_guard lock(mutex_);
  Rows& shown = lists_[Index(list)];
  for (const std::vector<std::string>& cells : rows) {
    std::vector<std::string>& row = shown.emplace_back(ColumnCount(list));
    row[kNumberColumn] = std::to_string(shown.size());
    for (std::size_t i = 0; i < cells.size() && kPathColumn + i < row.size(); ++i) {
      row[kPathColumn + i] = cells[i];
    }
  }
}

std::string MemoryWindow::ControlText(TextBox box) {
  std::lock_guard lock(mutex_);
  return texts_[box];
}

void MemoryWindow::AppendLog(const std::string& text) {
  {
    std::lock_guard lock(mutex_);
    texts_[TextBox::编辑框_日志] += text;
  }
  Notify();
}

void MemoryWindow::SetOutputText(const std::string& text) {
  std::lock_guard lock(mutex_);
  texts_[TextBox::编辑框_输出返回] = text;
}

bool MemoryWindow::IsChecked(Switch control) {
  std::lock_guard lock(mutex_);
  return switches_[control];
}

void MemoryWindow::SetEnabled(Button button, bool enabled) {
  std::lock_guard lock(mutex_);
  enabled_[button] = enabled;
}

void MemoryWindow::ShowInfo(const std::string& text) {
  std::function<void(const std::string&)> listener;
  {
    std::lock_guard lock(mutex_);
    infos_.push_back(text);
    listener = infoListener_;
  }
  if (listener) listener(text);
}

void MemoryWindow::SetCellToolTip(ListView list, int row, int column, const std::string& text) {
  std::lock_guard lock(mutex_);
  const Rows& rows = lists_[Index(list)];
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  toolTips_[{list, row, column}] = text;
}

void MemoryWindow::SetRunProgress(double fraction, const std::string& label) {
  std::lock_guard lock(mutex_);
  progress_.fraction = fraction;
  progress_.label = label;
  progressHistory_.push_back(fraction);
}

void MemoryWindow::SetRunWork(double done, double total) {
  std::lock_guard lock(mutex_);
  progress_.workDone = done;
  progress_.workTotal = total;
}

void MemoryWindow::ShowRunEnd(const std::string& note, bool failed) {
  std::lock_guard lock(mutex_);
  progress_.endNote = note;
  progress_.failed = failed;
}

std::string MemoryWindow::CellToolTip(ListView list, int row, int column) {
  std::lock_guard lock(mutex_);
  auto it = toolTips_.find({list, row, column});
  return it == toolTips_.end() ? std::string() : it->second;
}

MemoryWindow::Progress MemoryWindow::RunProgress() {
  std::lock_guard lock(mutex_);
  return progress_;
}

std::vector<double> MemoryWindow::ProgressHistory() {
  std::lock_guard lock(mutex_);
  return progressHistory_;
}

void MemoryWindow::SetText(TextBox box, const std::string& text) {
  std::lock_guard lock(mutex_);
  texts_[box] = text;
}

void MemoryWindow::SetChecked(Switch control, bool checked) {
  std::lock_guard lock(mutex_);
  switches_[control] = checked;
  Switch partner = PartnerOf(control);
  if (partner != control) switches_[partner] = !checked;
}

bool MemoryWindow::IsEnabled(Button button) {
  std::lock_guard lock(mutex_);
  return enabled_[button];
}

std::vector<std::string> MemoryWindow::InfoMessages() {
  std::lock_guard lock(mutex_);
  return infos_;
}

void MemoryWindow::OnInfo(std::function<void(const std::string&)> listener) {
  std::lock_guard lock(mutex_);
  infoListener_ = std::move(listener);
}

void MemoryWindow::OnChange(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  changeListener_ = std::move(listener);
}

void MemoryWindow::Notify() {
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = changeListener_;
  }
  if (listener) listener();
}

}  // namespace mivora
