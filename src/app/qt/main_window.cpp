// The main window: its controls, their wiring, and the window operations.
#include "app/qt/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <thread>
#include <type_traits>

#include "app/list_import.h"
#include "app/qt/tab_control.h"
#include "app/qt/watermark_page.h"
#include "jobs/gif_preview.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr const char* kTitle =
    "Mivora【竖屏短视频批量剪辑】       问题与建议：请在项目的问题列表中留言";
constexpr const char* kInfoCaption = "友情提示";
constexpr const char* kAudioFolderTitle = "请选择音频目录 mp3";
constexpr const char* kTallImportCaption = "导\r\n\r\n\r\n\r\n入";

struct ListLayout {
  ListView list;
  const char* name;
  int page;
  QRect rect;
  std::vector<const char*> headers;
  std::vector<int> widths;
};

const std::vector<ListLayout>& ListLayouts() {
  static const std::vector<ListLayout> layouts = {
      {ListView::超级列表框1,
       "超级列表框1",
       0,
       {9, 36, 666, 528},
       {"序号", "视频路径", "文件名", "状态"},
       {80, 350, 100, 100}},
      {ListView::超级列表框2,
       "超级列表框2",
       1,
       {9, 36, 666, 528},
       {"序号", "图片路径", "文件名", "图转视频后路径", "文件名", "状态"},
       {80, 120, 80, 170, 80, 100}},
      {ListView::超级列表框3,
       "超级列表框3",
       4,
       {9, 36, 634, 260},
       {"序号", "片头路径", "文件名"},
       {80, 400, 100}},
      {ListView::超级列表框4,
       "超级列表框4",
       4,
       {8, 306, 635, 260},
       {"序号", "片尾路径", "文件名"},
       {80, 400, 100}},
      {ListView::超级列表框5,
       "超级列表框5",
       3,
       {9, 36, 666, 528},
       {"序号", "音频路径", "文件名", "状态"},
       {80, 350, 100, 100}},
      {ListView::超级列表框6,
       "超级列表框6",
       5,
       {9, 36, 634, 260},
       {"序号", "绿幕特效路径", "文件名"},
       {80, 400, 100}},
      {ListView::超级列表框7,
       "超级列表框7",
       5,
       {8, 306, 635, 260},
       {"序号", "黑幕特效路径", "文件名"},
       {80, 400, 100}},
  };
  return layouts;
}

// The window shows line breaks as "\n"; the core's texts use "\r\n".
QString ToDisplay(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");
  shown.replace('\r', '\n');
  return shown;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect rect) {
  auto* button = new QPushButton(ToDisplay(caption), parent);
  button->setObjectName(name);
  button->setGeometry(rect);
  return button;
}

QPlainTextEdit* MakeEditBox(QWidget* parent, const char* name, QRect rect, const char* text) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(name);
  box->setGeometry(rect);
  box->setPlainText(ToDisplay(text));
  return box;
}

template <typename Control>
Control* MakeSwitch(QWidget* parent, const char* name, const char* caption, QRect rect,
                    bool checked) {
  auto* control = new Control(caption, parent);
  control->setObjectName(name);
  control->setGeometry(rect);
  control->setChecked(checked);
  return control;
}

template <typename T>
struct PendingCall {
  bool done = false;
  T value{};
};

}  // namespace

MainWindow::MainWindow(std::filesystem::path runDir) : runDir_(std::move(runDir)) {
  setWindowTitle(kTitle);
  setObjectName("MainWindow");
  BuildControls();
  // Until shown, the size is that of the client area; showEvent takes the
  // frame off once the window system has told us its size.
  resize(kOuterWidth, kOuterHeight);
  move(50, 50);
  background_.setMaxThreadCount(4);
  run_ = std::make_unique<RunControl>(*this, runDir_, [this](int ms) { PumpWait(ms); });
  run_->SetInputsHook([this](JobInputs& inputs) { inputs.watermark = Watermark(); });
  WireEvents();
}

MainWindow::~MainWindow() {
  BeginShutdown();
  gifToken_.Cancel();
  run_.reset();
  background_.waitForDone();
  for (const QPointer<QMessageBox>& box : infoBoxes_) delete box.data();
}

void MainWindow::BuildControls() {
  tabs_ = new TabControl(this);
  tabs_->setObjectName("高级选择夹1");
  tabs_->setGeometry(5, 6, 750, 576);
  const char* pageCaptions[] = {"视频剪辑", "图片剪辑",    "特效代码",
                                "音频文件", "片头 | 片尾", "绿幕特效 | 黑幕特效",
                                "文本水印"};
  std::vector<QWidget*> pages;
  for (const char* caption : pageCaptions) pages.push_back(tabs_->AddPage(caption));

  for (const ListLayout& layout : ListLayouts()) {
    auto* view = new QTreeWidget(pages[layout.page]);
    view->setObjectName(layout.name);
    view->setGeometry(layout.rect);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->header()->setStretchLastSection(false);
    QStringList headers;
    for (const char* header : layout.headers) headers << header;
    view->setHeaderLabels(headers);
    for (int column = 0; column < static_cast<int>(layout.widths.size()); ++column) {
      view->setColumnWidth(column, layout.widths[column]);
    }
    lists_[static_cast<int>(layout.list)] = view;
  }

  MakeButton(pages[0], "按钮_导入视频剪辑", kTallImportCaption, {686, 34, 48, 528});
  MakeButton(pages[1], "按钮_导入图片剪辑", kTallImportCaption, {686, 35, 48, 528});
  effectCode_ = MakeEditBox(pages[2], "编辑框_特效代码", {10, 36, 728, 530}, kDefaultEffectCode);
  MakeButton(pages[3], "按钮_导入音频文件", kTallImportCaption, {686, 35, 48, 528});
  MakeButton(pages[4], "按钮_导入片头", "导入", {651, 34, 88, 40});
  MakeButton(pages[4], "按钮_导入片尾", "导入", {652, 306, 88, 40});
  MakeButton(pages[5], "按钮_导入绿幕特效", "导入", {651, 34, 88, 40});
  MakeButton(pages[5], "按钮_清空绿幕特效", "清空", {650, 88, 88, 40});
  MakeButton(pages[5], "按钮_导入黑幕特效", "导入", {652, 306, 88, 40});
  MakeButton(pages[5], "按钮_清空黑幕特效", "清空", {652, 360, 88, 40});
  watermark_ = new WatermarkPage(pages[6]);

  log_ = MakeEditBox(this, "编辑框_日志", {6, 592, 748, 136}, kDefaultLogText);
  // The log only ever grows; the user may select and copy but not edit it.
  log_->setReadOnly(true);
  log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  auto* settings = new QGroupBox("功能设置", this);
  settings->setObjectName("分组框1");
  settings->setGeometry(765, 21, 232, 168);
  auto index = [](auto value) { return static_cast<int>(value); };
  switches_[index(Switch::单选框_视频剪辑)] =
      MakeSwitch<QRadioButton>(settings, "单选框_视频剪辑", "视频剪辑", {13, 21, 88, 40}, true);
  switches_[index(Switch::单选框_图片剪辑)] =
      MakeSwitch<QRadioButton>(settings, "单选框_图片剪辑", "图片剪辑", {13, 56, 88, 40}, false);
  switches_[index(Switch::选择框_加片头)] =
      MakeSwitch<QCheckBox>(settings, "选择框_加片头", "加片头", {138, 21, 72, 40}, false);
  switches_[index(Switch::选择框_加片尾)] =
      MakeSwitch<QCheckBox>(settings, "选择框_加片尾", "加片尾", {138, 55, 72, 40}, false);
  // A group box of its own makes the two overlay radio buttons a radio group
  // apart from the mode buttons.
  auto* overlay = new QGroupBox(settings);
  overlay->setObjectName("分组框2");
  overlay->setGeometry(12, 109, 208, 48);
  switches_[index(Switch::单选框_加绿幕)] =
      MakeSwitch<QRadioButton>(overlay, "单选框_加绿幕", "加绿幕", {9, 16, 80, 25}, false);
  switches_[index(Switch::单选框_加黑幕)] =
      MakeSwitch<QRadioButton>(overlay, "单选框_加黑幕", "加黑幕", {117, 15, 80, 25}, true);

  runButtons_[index(Button::按钮_开始检测)] =
      MakeButton(this, "按钮_开始检测", "开始", {768, 209, 224, 40});
  runButtons_[index(Button::按钮_暂停检测)] =
      MakeButton(this, "按钮_暂停检测", "暂停", {768, 261, 224, 40});
  runButtons_[index(Button::按钮_继续检测)] =
      MakeButton(this, "按钮_继续检测", "继续", {768, 314, 224, 40});
  runButtons_[index(Button::按钮_停止检测)] =
      MakeButton(this, "按钮_停止检测", "停止", {768, 368, 224, 40});
  for (Button button : {Button::按钮_暂停检测, Button::按钮_继续检测, Button::按钮_停止检测}) {
    runButtons_[index(button)]->setEnabled(false);
  }
  MakeButton(this, "按钮_生成mp4转gif", "生成mp4转gif", {768, 432, 104, 40})->hide();

  // Kept beyond the right edge: the console text is there for whoever reads
  // the window's state, not for the eye.
  output_ = MakeEditBox(this, "编辑框_输出返回", {1056, 416, 296, 136}, "");
}

void MainWindow::WireEvents() {
  auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  auto onClick = [this, &button](const char* name, auto handler) {
    connect(button(name), &QPushButton::clicked, this, handler);
  };
  onClick("按钮_开始检测", [this] { run_->StartRun(); });
  onClick("按钮_停止检测", [this] { run_->StopRun(); });
  onClick("按钮_暂停检测", [this] { run_->PauseRun(); });
  onClick("按钮_继续检测", [this] { run_->ResumeRun(); });
  onClick("按钮_导入视频剪辑", [this] { ImportList(*this, ListView::超级列表框1, runDir_); });
  onClick("按钮_导入图片剪辑", [this] { ImportList(*this, ListView::超级列表框2, runDir_); });
  onClick("按钮_导入音频文件", [this] {
    QString folder = ChooseAudioFolder();
    if (!folder.isEmpty()) ImportAudio(*this, std::filesystem::path(folder.toStdString()));
  });
  onClick("按钮_导入片头", [this] {
    RunInBackground([this] { ImportList(*this, ListView::超级列表框3, runDir_); });
  });
  onClick("按钮_导入片尾", [this] {
    RunInBackground([this] { ImportList(*this, ListView::超级列表框4, runDir_); });
  });
  onClick("按钮_导入绿幕特效", [this] { ImportList(*this, ListView::超级列表框6, runDir_); });
  onClick("按钮_导入黑幕特效", [this] { ImportList(*this, ListView::超级列表框7, runDir_); });
  onClick("按钮_清空绿幕特效", [this] { ClearList(*this, ListView::超级列表框6); });
  onClick("按钮_清空黑幕特效", [this] { ClearList(*this, ListView::超级列表框7); });
  onClick("按钮_生成mp4转gif", [this] { MakeGifPreviewsInBackground(); });
}

void MainWindow::RunInBackground(std::function<void()> task) {
  background_.start(std::move(task));
}

void MainWindow::MakeGifPreviewsInBackground() {
  // One conversion series at a time: a second click while it runs would make
  // two encoders write the same files.
  if (gifRunning_.exchange(true)) return;
  RunInBackground([this] {
    MakeGifPreviews(
        ToolEnv{runDir_, gifToken_, [this](const std::string& text) { SetOutputText(text); }});
    gifRunning_ = false;
  });
}

void MainWindow::SetFolderChooser(std::function<QString()> chooser) {
  folderChooser_ = std::move(chooser);
}

QString MainWindow::ChooseAudioFolder() {
  if (folderChooser_) return folderChooser_();
  return QFileDialog::getExistingDirectory(this, kAudioFolderTitle);
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (framed_) return;
  // The outer size includes the frame, which is known only once the window
  // system has framed the window; without a frame the client keeps it all.
  QTimer::singleShot(0, this, [this] {
    QSize frame = frameGeometry().size() - geometry().size();
    if (!frame.isEmpty()) {
      framed_ = true;
      resize(kOuterWidth - frame.width(), kOuterHeight - frame.height());
    }
  });
}

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
  Marshal([this, button, enabled] { runButtons_[static_cast<int>(button)]->setEnabled(enabled); });
}

void MainWindow::ShowInfo(const std::string& text) {
  QString shown = ToDisplay(text);
  if (!OnWindowThread()) {
    ShowInfoFromOtherThread(shown);
    return;
  }
  QMessageBox box(QMessageBox::Information, kInfoCaption, shown, QMessageBox::Ok);
  // Closing the main window must end the program even while a box is open.
  box.setAttribute(Qt::WA_QuitOnClose, false);
  box.exec();
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
        auto* box = new QMessageBox(QMessageBox::Information, kInfoCaption, text, QMessageBox::Ok);
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
