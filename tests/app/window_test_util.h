// Helpers of the window tests: waiting with the event loop running, and
// answering the information boxes the window opens.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/qt/main_window.h"

namespace mivora::test {

// Runs the event loop until `done` holds or `timeoutMs` has passed; returns
// whether it holds.
inline bool ProcessUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QEventLoop loop;
    QTimer::singleShot(20, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return true;
}

// The visible information boxes.
inline std::vector<QMessageBox*> OpenBoxes() {
  std::vector<QMessageBox*> boxes;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box && box->isVisible()) boxes.push_back(box);
  }
  return boxes;
}

// Answers every box that opens (also modal ones, whose own loop runs the
// timer) with OK and records "caption|text".
class BoxAnswerer {
 public:
  BoxAnswerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      for (QMessageBox* box : OpenBoxes()) {
        seen_.push_back(box->windowTitle().toStdString() + "|" + box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(30);
  }
  const std::vector<std::string>& Seen() const { return seen_; }

 private:
  QTimer timer_;
  std::vector<std::string> seen_;
};

inline QPushButton* ButtonOf(MainWindow& window, const char* name) {
  return window.findChild<QPushButton*>(name);
}

}  // namespace mivora::test
