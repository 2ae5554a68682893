// The window operations of the main window. Calls from other threads are
// carried out on the window's thread while the caller waits, or abandoned
// once the window shuts down; the window's thread itself never waits for
// another thread.
#include <QEventLoop>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <memory>
#include <thread>
#include <type_traits>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/watermark_page.h"

namespace mivora {
namespace {

template <typename T>
struct PendingCall {
  bool done = false;
  T value{};
};

}  // namespace

bool MainWindow::OnWindowThread() const {
  return QThread::currentThread() == thread();
}

template <typename Call>
auto MainWindow::Marshal(Call call) {
  using Result = std::invoke_result_t<Call&>;
  if (OnWindowThread()) return call();
  using Stored = std::conditional_t<std::is_void_v<Result>, bool, Result>;
  auto pending = std::make_shared<PendingCall<Stored>>();
  {
    std::lock_guard lock(callMutex_);
    if (shuttingDown_) return Result();
  }
  // Queued, never blocking-queued: the window's thread must stay free to
  // shut down while callers wait.
  QMetaObject::invokeMethod(
      this,
      [this, call = std::move(call), pending]() mutable {
        if constexpr (std::is_void_v<Result>) {
          call();
          std::lock_guard lock(callMutex_);
          pending->done = true;
        } else {
          Stored value = call();
          std::lock_guard lock(callMutex_);
          pending->value = std::move(value);
          pending->done = true;
        }
        callDone_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(callMutex_);
  callDone_.wait(lock, [&] { return pending->done || shuttingDown_; });
  if constexpr (std::is_void_v<Result>) {
    return;
  } else {
    return pending->done ? pending->value : Result();
  }
}

void MainWindow::BeginShutdown() {
  std::lock_guard lock(callMutex_);
  shuttingDown_ = true;
  callDone_.notify_all();
}

int MainWindow::RowCount(ListView list) {
  return Marshal([this, list] { return List(list)->topLevelItemCount(); });
}

std::string MainWindow::CellText(ListView list, int row, int column) {
  return Marshal([this, list, row, column] {
    QTreeWidgetItem* item = List(list)->topLevelItem(row);
    if (!item || column < 0 || column >= ColumnCount(list)) return std::string();
    return item->text(column).toStdString();
  });
}

void MainWindow::SetCellText(ListView list, int row, int column, const std::string& text) {
  Marshal([this, list, row, column, shown = QString::fromStdString(text)] {
    QTreeWidgetItem* item = List(list)->topLevelItem(row);
    if (item && column >= 0 && column < ColumnCount(list)) item->setText(column, shown);
  });
}

int MainWindow::AppendRow(ListView list) {
  return Marshal([this, list] {
    QTreeWidget* view = List(list);
    view->addTopLevelItem(new QTreeWidgetItem());
    return view->topLevelItemCount() - 1;
  });
}

WatermarkOptions MainWindow::Watermark() {
  return Marshal([this] { return watermark_->Options(); });
}

void MainWindow::ClearRows(ListView list) {
  Marshal([this, list] { List(list)->clear(); });
}

void MainWindow::FillRows(ListView list, const std::vector<std::vector<std::string>>& rows,
                          bool append) {
  Marshal([this, list, rows, append] {
    QTreeWidget* view = List(list);
    if (!append) view->clear();
    const int columns = ColumnCount(list);
    int number = view->topLevelItemCount();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::vector<std::string>& cells : rows) {
      auto* item = new QTreeWidgetItem();
      item->setText(kNumberColumn, QString::number(++number));
      for (int i = 0; i < static_cast<int>(cells.size()) && kPathColumn + i < columns; ++i) {
        item->setText(kPathColumn + i, QString::fromStdString(cells[i]));
        // A path cut in the middle shows whole where the pointer rests.
        if (i == 0) item->setToolTip(kPathColumn, item->text(kPathColumn));
      }
      items.append(item);
    }
    view->addTopLevelItems(items);
  });
}

std::string MainWindow::ControlText(TextBox box) {
  return Marshal([this, box] {
    switch (box) {
      case TextBox::编辑框_特效代码:
        return effectCode_->toPlainText().toStdString();
      case TextBox::编辑框_日志:
        return log_->toPlainText().toStdString();
      case TextBox::编辑框_输出返回:
        return output_->toPlainText().toStdString();
    }
    return std::string();
  });
}

void MainWindow::AppendLog(const std::string& text) {
  Marshal([this, shown = ToDisplay(text)] {
    log_->moveCursor(QTextCursor::End);
    log_->insertPlainText(shown);
    log_->ensureCursorVisible();
  });
}

void MainWindow::SetOutputText(const std::string& text) {
  Marshal([this, shown = ToDisplay(text)] { output_->setPlainText(shown); });
}

bool MainWindow::IsChecked(Switch control) {
  return Marshal([this, control] { return switches_[static_cast<int>(control)]->isChecked(); });
}

void MainWindow::SetEnabled(Button button, bool enabled) {
  Marshal([this, button, enabled] {
    QPushButton* control = runButtons_[static_cast<int>(button)];
    // Start is disabled exactly while a run goes on.
    bool runBegins = button == Button::按钮_开始检测 && control->isEnabled() && !enabled;
    bool runEnds = button == Button::按钮_开始检测 && !control->isEnabled() && enabled;
    // Resume is enabled exactly while a run is paused.
    bool pauses = button == Button::按钮_继续检测 && !control->isEnabled() && enabled;
    bool resumes = button == Button::按钮_继续检测 && control->isEnabled() && !enabled;
    control->setEnabled(enabled);
    if (runBegins) RunBegan();
    if (runEnds) {
      SetInputsEnabled(true);
      SetRunKeysEnabled(false);
    }
    if (pauses) RunPaused();
    if (resumes) RunResumed();
  });
}

void MainWindow::ShowInfo(const std::string& text) {
  QString shown = ToDisplay(text);
  if (!OnWindowThread()) {
    ShowInfoFromOtherThread(shown);
    return;
  }
  std::unique_ptr<QMessageBox> box(MakeInfoBox(shown, nullptr));
  // Closing the main window must end the program even while a box is open.
  box->setAttribute(Qt::WA_QuitOnClose, false);
  box->exec();
}

void MainWindow::SetCellToolTip(ListView list, int row, int column, const std::string& text) {
  Marshal([this, list, row, column, shown = ToDisplay(text)] {
    QTreeWidgetItem* item = List(list)->topLevelItem(row);
    if (item && column >= 0 && column < ColumnCount(list)) item->setToolTip(column, shown);
  });
}

void MainWindow::SetRunProgress(double fraction, const std::string& label) {
  Marshal(
      [this, fraction, shown = QString::fromStdString(label)] { ShowProgress(fraction, shown); });
}

void MainWindow::SetRunWork(double done, double total) {
  Marshal([this, done, total] { estimate_.SetWork(done, total, RunMs() / 1000.0); });
}

void MainWindow::ShowRunEnd(const std::string& note, bool failed) {
  Marshal([this, shown = QString::fromStdString(note), failed] { ShowEnd(shown, failed); });
}

void MainWindow::PostToWindow(std::function<void()> task) {
  {
    std::lock_guard lock(callMutex_);
    if (shuttingDown_) return;
  }
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void MainWindow::ShowInfoFromOtherThread(const QString& text) {
  auto closed = std::make_shared<bool>(false);
  {
    std::lock_guard lock(callMutex_);
    if (shuttingDown_) return;
  }
  // The box is opened without a modal loop, so the window's thread goes on
  // handling events; only the caller waits until the box is closed.
  QMetaObject::invokeMethod(
      this,
      [this, text, closed] {
        auto* box = MakeInfoBox(text, nullptr);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAttribute(Qt::WA_QuitOnClose, false);
        connect(box, &QMessageBox::finished, this, [this, closed] {
          std::lock_guard lock(callMutex_);
          *closed = true;
          callDone_.notify_all();
        });
        std::erase_if(infoBoxes_, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
        infoBoxes_.emplace_back(box);
        box->show();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(callMutex_);
  callDone_.wait(lock, [&] { return *closed || shuttingDown_; });
}

void MainWindow::PumpWait(int ms) {
  if (!OnWindowThread()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace mivora
