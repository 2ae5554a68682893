// How the main window shows a run: its inputs locked while it goes on, the
// progress bar (in a warning colour once outputs failed), and the clock with
// the time left, both standing still while the run is paused.
#include <QAbstractButton>
#include <QColor>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <optional>

#include "app/qt/main_window.h"
#include "app/qt/title_page.h"
#include "app/qt/watermark_page.h"

namespace mivora {
namespace {

QString Clock(qint64 ms) {
  qint64 seconds = ms / 1000;
  return QString("%1:%2:%3")
      .arg(seconds / 3600, 2, 10, QChar('0'))
      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
      .arg(seconds % 60, 2, 10, QChar('0'));
}

}  // namespace

void MainWindow::RunBegan() {
  SetInputsEnabled(false);
  SetRunKeysEnabled(true);
  runClock_.start();
  pausedMs_ = 0;
  pausedSince_.invalidate();
  estimate_.Reset();
  progress_->setValue(0);
  progress_->setFormat("0/0");
  ShowFailures(false);
  times_->clear();
  clockTick_.start();
  ShowTimes();
}

void MainWindow::RunPaused() {
  pausedSince_.start();
  clockTick_.stop();
  ShowTimes();
}

void MainWindow::RunResumed() {
  if (pausedSince_.isValid()) pausedMs_ += pausedSince_.elapsed();
  pausedSince_.invalidate();
  // A paused run that is stopped is resumed on its way out; its clock stays.
  if (runButtons_[static_cast<int>(Button::按钮_开始检测)]->isEnabled()) return;
  clockTick_.start();
  ShowTimes();
}

qint64 MainWindow::RunMs() const {
  if (!runClock_.isValid()) return 0;
  const qint64 paused = pausedMs_ + (pausedSince_.isValid() ? pausedSince_.elapsed() : 0);
  return std::max<qint64>(0, runClock_.elapsed() - paused);
}

void MainWindow::ShowFailures(bool failed) {
  // The bar of a run with failures is painted in the colour of a warning, so
  // a full bar never reads as all done well.
  progress_->setProperty("failed", failed);
  QPalette palette = progress_->parentWidget()->palette();
  if (failed) palette.setColor(QPalette::Highlight, QColor(0xc0, 0x39, 0x2b));
  progress_->setPalette(palette);
}

void MainWindow::SetInputsEnabled(bool enabled) {
  for (QAbstractButton* control : switches_) control->setEnabled(enabled);
  for (QPushButton* button : content_->findChildren<QPushButton*>()) {
    if (button->objectName().startsWith("按钮_导入") ||
        button->objectName().startsWith("按钮_清空")) {
      button->setEnabled(enabled);
    }
  }
  // Everything of the run settings but the output folder's button.
  for (QWidget* control : runSettings_->findChildren<QWidget*>()) {
    if (control->objectName() != "按钮_打开输出文件夹") control->setEnabled(enabled);
  }
  effectCode_->setReadOnly(!enabled);
  watermark_->setEnabled(enabled);
  titles_->setEnabled(enabled);
}

void MainWindow::ShowTimes() {
  const qint64 elapsed = RunMs();
  QString text = "已用 " + Clock(elapsed);
  if (pausedSince_.isValid()) {
    times_->setText(text + "  已暂停");
    return;
  }
  // The time left, from the pace of the work done so far, once it is known.
  if (std::optional<double> left = estimate_.SecondsLeft(elapsed / 1000.0)) {
    text += "  剩余约 " + Clock(static_cast<qint64>(*left * 1000));
  }
  times_->setText(text);
}

void MainWindow::ShowProgress(double fraction, const QString& shown) {
  progress_->setValue(static_cast<int>(fraction * progress_->maximum()));
  progress_->setFormat(shown);
}

void MainWindow::ShowEnd(const QString& shown, bool failed) {
  clockTick_.stop();
  pausedSince_.invalidate();
  ShowFailures(failed);
  if (shown.isEmpty() || !runClock_.isValid()) {
    times_->setText(shown);
    return;
  }
  times_->setText("已用 " + Clock(RunMs()) + "  " + shown);
}

}  // namespace mivora
