// Fitting the main window to its screen: its outer size, frame included,
// smaller on a smaller screen, where its page scrolls, and always wholly on
// the screen.
#include <QMoveEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/window_settings.h"

namespace mivora {

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QTimer::singleShot(0, this, [this] { FitToScreen(); });
}

void MainWindow::FitToScreen() {
  const QSize frame = frameGeometry().size() - geometry().size();
  // A maximized window keeps the size its window manager gave it.
  if (frame == fittedFrame_ || isMaximized() || isFullScreen()) return;
  fittedFrame_ = frame;
  // The outer size includes the frame, which is known only once the window
  // system has framed the window (often after it is shown); without a frame
  // the client keeps it all.
  if (QScreen* shown = screen()) FitInto(shown->availableGeometry());
}

void MainWindow::FitInto(const QRect& available) {
  const QSize frame = frameGeometry().size() - geometry().size();
  const QSize page = QSize(kOuterWidth, kOuterHeight) - frame;
  designPage_ = page;
  SetPageLimits(available.size() - frame);
  resize(page.boundedTo(available.size() - frame));
  LayOutPage();
  // The whole frame on the screen, as near as possible to where it was.
  QRect outer(frameGeometry().topLeft(), size() + frame);
  outer.moveLeft(std::clamp(outer.left(), available.left(),
                            std::max(available.left(), available.right() + 1 - outer.width())));
  outer.moveTop(std::clamp(outer.top(), available.top(),
                           std::max(available.top(), available.bottom() + 1 - outer.height())));
  move(outer.topLeft());
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!isVisible()) return;
  WindowSettings().setValue(kPositionKey, pos());
  // A window manager frames the window after it is shown, and moves it then.
  QTimer::singleShot(0, this, [this] { FitToScreen(); });
}

}  // namespace mivora
