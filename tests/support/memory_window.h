// The window state held in memory, with the same semantics as the Qt window,
// for the tests of the window's logic. Thread-safe: every operation runs under
// one lock, like operations carried out one at a time on a window thread.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "app/window_ops.h"

namespace mivora {

class MemoryWindow : public WindowOps {
 public:
  // Starts in the window's initial state: default effect code and log text,
  // video mode and black screen checked, only Start enabled.
  MemoryWindow();

  int RowCount(ListView list) override;
  std::string CellText(ListView list, int row, int column) override;
  void SetCellText(ListView list, int row, int column, const std::string& text) override;
  int AppendRow(ListView list) override;
  void ClearRows(ListView list) override;
  void FillRows(ListView list, const std::vector<std::vector<std::string>>& rows,
                bool append) override;
  std::string ControlText(TextBox box) override;
  void AppendLog(const std::string& text) override;
  void SetOutputText(const std::string& text) override;
  bool IsChecked(Switch control) override;
  void SetEnabled(Button button, bool enabled) override;
  void ShowInfo(const std::string& text) override;
  void SetCellToolTip(ListView list, int row, int column, const std::string& text) override;
  void SetRunProgress(double fraction, const std::string& label) override;
  void SetRunWork(double done, double total) override;
  void ShowRunEnd(const std::string& note, bool failed) override;

  // What a user does in the window.
  void SetText(TextBox box, const std::string& text);
  // Checking one radio button unchecks its partner, as in the window.
  void SetChecked(Switch control, bool checked);
  bool IsEnabled(Button button);
  std::vector<std::string> InfoMessages();
  std::string CellToolTip(ListView list, int row, int column);
  struct Progress {
    double fraction = 0;
    std::string label;
    std::string endNote;  // what ShowRunEnd said last
    bool failed = false;  // and whether it told of failures
    double workDone = 0;  // what SetRunWork said last
    double workTotal = 0;
  };
  // The latest progress and every fraction reported, in order.
  Progress RunProgress();
  std::vector<double> ProgressHistory();
  // Called (outside the lock) after every ShowInfo, e.g. to print it.
  void OnInfo(std::function<void(const std::string&)> listener);
  // Called (outside the lock) after every status cell or log change.
  void OnChange(std::function<void()> listener);

 private:
  using Rows = std::vector<std::vector<std::string>>;
  void Notify();

  std::mutex mutex_;
  std::array<Rows, kListViewCount> lists_;
  std::map<TextBox, std::string> texts_;
  std::map<Switch, bool> switches_;
  std::map<Button, bool> enabled_;
  std::vector<std::string> infos_;
  std::map<std::tuple<ListView, int, int>, std::string> toolTips_;
  Progress progress_;
  std::vector<double> progressHistory_;
  std::function<void(const std::string&)> infoListener_;
  std::function<void()> changeListener_;
};

}  // namespace mivora
