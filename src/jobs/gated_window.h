// The window as a job sees it: every operation first waits while the run is
// paused and refuses once it is stopped, so a stopped job never writes to the
// window again and a paused job makes no visible progress.
#pragma once

#include <stdexcept>

#include "app/window_ops.h"
#include "runner/run_token.h"

namespace mivora {

// Thrown into a job when its run has been stopped; the worker catches it at
// its top and ends.
class JobStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "job stopped"; }
};

class GatedWindow : public WindowOps {
 public:
  GatedWindow(WindowOps& inner, RunToken& token) : inner_(inner), token_(token) {}

  int RowCount(ListView list) override;
  std::string CellText(ListView list, int row, int column) override;
  void SetCellText(ListView list, int row, int column, const std::string& text) override;
  int AppendRow(ListView list) override;
  void ClearRows(ListView list) override;
  std::string ControlText(TextBox box) override;
  void AppendLog(const std::string& text) override;
  void SetOutputText(const std::string& text) override;
  bool IsChecked(Switch control) override;
  void SetEnabled(Button button, bool enabled) override;
  void ShowInfo(const std::string& text) override;

  // Throws JobStopped once the run is stopped.
  void CheckStop();

 private:
  void Admit();

  WindowOps& inner_;
  RunToken& token_;
};

}  // namespace mivora
