// How the main window shows a run: its inputs locked while it goes on, the
// progress bar, and the clock with the time left.
#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/qt/main_window.h"
#include "app/qt/watermark_page.h"

namespace mivora {
namespace {

// The time left is estimated once this much of the run is done, and after so
// many milliseconds; each second's estimate counts with this weight.
constexpr double kFractionForEstimate = 0.03;
constexpr qint64 kMsForEstimate = 5000;
constexpr double kEstimateWeight = 0.2;

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
  runClock_.start();
  runFraction_ = 0;
  secondsLeft_ = -1;
  progress_->setValue(0);
  progress_->setFormat("0/0");
  times_->clear();
  clockTick_.start();
  ShowTimes();
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
}

void MainWindow::ShowTimes() {
  const qint64 elapsed = runClock_.isValid() ? runClock_.elapsed() : 0;
  QString text = "已用 " + Clock(elapsed);
  // The time left is told once enough of the run is behind it, and it moves
  // smoothly from one second to the next.
  if (runFraction_ >= kFractionForEstimate && runFraction_ < 1 && elapsed >= kMsForEstimate) {
    double estimate = elapsed / 1000.0 * (1 - runFraction_) / runFraction_;
    secondsLeft_ = secondsLeft_ < 0 ? estimate
                                    : (1 - kEstimateWeight) * std::max(0.0, secondsLeft_ - 1) +
                                          kEstimateWeight * estimate;
    text += "  剩余约 " + Clock(static_cast<qint64>(secondsLeft_ * 1000));
  }
  times_->setText(text);
}

void MainWindow::ShowProgress(double fraction, const QString& shown) {
  runFraction_ = fraction;
  progress_->setValue(static_cast<int>(fraction * progress_->maximum()));
  progress_->setFormat(shown);
}

void MainWindow::ShowEnd(const QString& shown) {
  clockTick_.stop();
  if (shown.isEmpty() || !runClock_.isValid()) {
    times_->setText(shown);
    return;
  }
  times_->setText("已用 " + Clock(runClock_.elapsed()) + "  " + shown);
}

}  // namespace mivora
