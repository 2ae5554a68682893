#include "jobs/gated_window.h"

namespace mivora {

void GatedWindow::Admit() {
  if (!token_.WaitWhilePaused()) throw JobStopped();
}

void GatedWindow::CheckStop() {
  if (token_.IsCancelled()) throw JobStopped();
}

int GatedWindow::RowCount(ListView list) {
  Admit();
  int count = inner_.RowCount(list);
  CheckStop();
  return count;
}

std::string GatedWindow::CellText(ListView list, int row, int column) {
  Admit();
  std::string text = inner_.CellText(list, row, column);
  CheckStop();
  return text;
}

void GatedWindow::SetCellText(ListView list, int row, int column, const std::string& text) {
  Admit();
  inner_.SetCellText(list, row, column, text);
}

int GatedWindow::AppendRow(ListView list) {
  Admit();
  return inner_.AppendRow(list);
}

void GatedWindow::ClearRows(ListView list) {
  Admit();
  inner_.ClearRows(list);
}

std::string GatedWindow::ControlText(TextBox box) {
  Admit();
  std::string text = inner_.ControlText(box);
  CheckStop();
  return text;
}

void GatedWindow::AppendLog(const std::string& text) {
  Admit();
  inner_.AppendLog(text);
}

void GatedWindow::SetOutputText(const std::string& text) {
  Admit();
  inner_.SetOutputText(text);
}

bool GatedWindow::IsChecked(Switch control) {
  Admit();
  bool checked = inner_.IsChecked(control);
  CheckStop();
  return checked;
}

void GatedWindow::SetEnabled(Button button, bool enabled) {
  Admit();
  inner_.SetEnabled(button, enabled);
}

void GatedWindow::ShowInfo(const std::string& text) {
  Admit();
  inner_.ShowInfo(text);
  CheckStop();
}

}  // namespace mivora
