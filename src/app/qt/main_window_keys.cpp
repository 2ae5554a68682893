// The main window's keys: Ctrl+Enter starts, Space pauses and resumes a run,
// Escape asks before it stops one, Ctrl+Tab and Ctrl+Shift+Tab move between
// the pages, Ctrl+O imports the list of the page shown. Questions whose yes
// ends work never have it as their default answer.
#include <QKeySequence>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/tab_control.h"

namespace mivora {
namespace {

constexpr const char* kStopQuestion = "正在剪辑，确定要停止吗？";
// The import button of each page, in the order of the pages ("" for none).
constexpr const char* kPageImports[] = {
    "按钮_导入视频剪辑", "按钮_导入图片剪辑", "", "按钮_导入音频文件",
    "按钮_导入片头",     "按钮_导入绿幕特效", ""};

}  // namespace

bool AskBeforeEndingWork(QWidget* parent, const QString& question) {
  QMessageBox ask(QMessageBox::Question, kInfoCaption, question,
                  QMessageBox::Ok | QMessageBox::Cancel, parent);
  ask.setAttribute(Qt::WA_QuitOnClose, false);
  // Enter or a stray Space must not end the work.
  ask.setDefaultButton(QMessageBox::Cancel);
  ask.setEscapeButton(QMessageBox::Cancel);
  return ask.exec() == QMessageBox::Ok;
}

void MainWindow::BindKeys() {
  auto onKeys = [this](const QKeySequence& keys, auto handler) {
    auto* shortcut = new QShortcut(keys, this);
    connect(shortcut, &QShortcut::activated, this, handler);
    return shortcut;
  };
  auto clickIfEnabled = [this](Button button) {
    QPushButton* control = runButtons_[static_cast<int>(button)];
    if (control->isEnabled()) control->click();
  };
  for (QKeySequence keys :
       {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
    onKeys(keys, [clickIfEnabled] { clickIfEnabled(Button::按钮_开始检测); });
  }
  // Only while a run goes on: otherwise Space presses the focused button.
  runKeys_ = {
      onKeys(QKeySequence(Qt::Key_Space),
             [this, clickIfEnabled] {
               clickIfEnabled(runButtons_[static_cast<int>(Button::按钮_暂停检测)]->isEnabled()
                                  ? Button::按钮_暂停检测
                                  : Button::按钮_继续检测);
             }),
      onKeys(QKeySequence(Qt::Key_Escape), [this, clickIfEnabled] {
        if (AskBeforeEndingWork(this, kStopQuestion)) {
          clickIfEnabled(Button::按钮_停止检测);
        }
      })};
  for (QShortcut* shortcut : runKeys_) shortcut->setEnabled(false);
  auto movePage = [this](int step) {
    const int count = tabs_->PageCount();
    tabs_->Bar()->setCurrentIndex((tabs_->Bar()->currentIndex() + step + count) % count);
  };
  onKeys(QKeySequence(Qt::CTRL | Qt::Key_Tab), [movePage] { movePage(1); });
  onKeys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), [movePage] { movePage(-1); });
  onKeys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), [movePage] { movePage(-1); });
  onKeys(QKeySequence::Open, [this] {
    const char* name = kPageImports[tabs_->Bar()->currentIndex()];
    if (!*name) return;
    auto* button = findChild<QPushButton*>(name);
    if (button && button->isEnabled()) button->click();
  });
}

void MainWindow::SetRunKeysEnabled(bool enabled) {
  for (QShortcut* shortcut : runKeys_) shortcut->setEnabled(enabled);
}

}  // namespace mivora
