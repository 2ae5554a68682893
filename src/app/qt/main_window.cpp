// The main window as a whole: its making and ending, what its buttons and
// drops do, the home folder and the dialogs it opens. Its controls, settings,
// window operations, run display and screen fitting have files of their own.
#include "app/qt/main_window.h"
#include "app/qt/results_page.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <system_error>
#include <utility>

#include "app/list_import.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/title_page.h"
#include "app/qt/watermark_page.h"
#include "app/qt/window_settings.h"
#include "jobs/gif_preview.h"
#include "media/media_import.h"
#include "media/work_folders.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr const char* kTitle =
    "Mivora【竖屏短视频批量剪辑】       问题与建议：请在项目的问题列表中留言";
constexpr const char* kAudioFolderTitle = "请选择音频目录 mp3";
constexpr const char* kHomeFolderTitle = "请选择主目录";
constexpr const char* kQuitDuringRun = "正在剪辑，确定要停止并退出吗？";

// A control that a turn of the wheel would change.
bool IsChoice(QWidget* control) {
  return qobject_cast<QComboBox*>(control) || qobject_cast<QAbstractSpinBox*>(control);
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path runDir) : runDir_(std::move(runDir)) {
  setWindowTitle(kTitle);
  setObjectName("MainWindow");
  // The page fills the window and its controls follow its size; a window
  // smaller than the page's minimum scrolls the page instead of cutting it.
  content_ = new QWidget;
  content_->setObjectName("页面_内容");
  content_->resize(kOuterWidth, kOuterHeight);
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("滚动区_内容");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  scroll_->setWidget(content_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  BuildControls();
  SetPageLimits();
  content_->installEventFilter(this);
  for (QWidget* choice : content_->findChildren<QWidget*>()) {
    if (IsChoice(choice)) {
      choice->setFocusPolicy(Qt::StrongFocus);
      choice->installEventFilter(this);
    }
  }
  // Until shown, the size is that of the client area; FitInto takes the
  // frame off once the window system has told us its size.
  resize(kOuterWidth, kOuterHeight);
  move(50, 50);
  background_.setMaxThreadCount(4);
  clockTick_.setInterval(1000);
  connect(&clockTick_, &QTimer::timeout, this, [this] { ShowTimes(); });
  run_ = std::make_unique<RunControl>(
      *this, runDir_, [this](int ms) { PumpWait(ms); },
      [this](std::function<void()> task) { PostToWindow(std::move(task)); });
  run_->SetResults([this](const JobInputs& inputs) { return results_->BeginRun(inputs); });
  LoadSettings();
  // Every list is read again, as its import would, so that the remembered
  // switches and the lists agree.
  ImportAllLists(runDir_, Imports::kHere);
  if (!audioFolder_.isEmpty() && std::filesystem::is_directory(audioFolder_.toStdString())) {
    ImportAudio(*this, std::filesystem::path(audioFolder_.toStdString()));
  }
  ShowHome();
  WireEvents();
  BindKeys();
}

MainWindow::~MainWindow() {
  BeginShutdown();
  gifToken_.Cancel();
  run_.reset();
  background_.waitForDone();
  for (const QPointer<QMessageBox>& box : infoBoxes_) delete box.data();
}

void MainWindow::ShowHome() {
  QString folder = QString::fromStdString(runDir_.string());
  home_->setText(
      home_->fontMetrics().elidedText("主目录：" + folder, Qt::ElideMiddle, home_->width()));
  home_->setToolTip(folder);
}

void MainWindow::ChangeHome(const std::filesystem::path& folder) {
  std::error_code error;
  if (homeClaimer_ && !std::filesystem::equivalent(folder, runDir_, error)) {
    if (QString refusal = homeClaimer_(folder); !refusal.isEmpty()) {
      ShowInfo(refusal.toStdString());
      return;
    }
  }
  runDir_ = folder;
  run_->SetRunDir(folder);
  WindowSettings().setValue(kHomeKey, QString::fromStdString(folder.string()));
  ShowHome();
  ImportAllLists(folder, Imports::kIntrosInBackground);
  results_->ShowLastRun();
  bool anyFolder = false;
  for (ListView list :
       {kVideoList, kImageList, kIntroList, kOutroList, kGreenScreenList, kBlackScreenList}) {
    anyFolder = anyFolder || std::filesystem::is_directory(folder / ImportFolderName(KindOf(list)));
  }
  if (!anyFolder) ShowInfo(NoMediaFoldersMessage(folder));
}

void MainWindow::ImportAllLists(const std::filesystem::path& folder, Imports imports) {
  const bool allRows = allItems_->isChecked();
  for (ListView list : {kVideoList, kImageList, kGreenScreenList, kBlackScreenList}) {
    ImportList(*this, list, folder, allRows);
  }
  for (ListView list : {kIntroList, kOutroList}) {
    if (imports == Imports::kHere) {
      ImportList(*this, list, folder);
    } else {
      RunInBackground([this, list, folder] { ImportList(*this, list, folder); });
    }
  }
}

void MainWindow::OpenOutputFolder() {
  bool videoMode = switches_[static_cast<int>(Switch::单选框_视频剪辑)]->isChecked();
  std::filesystem::path folder = runDir_ / (videoMode ? kVideoOutputFolder : kImageOutputFolder);
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  QString shown = QString::fromStdString(folder.string());
  bool opened =
      folderOpener_ ? folderOpener_(shown) : QDesktopServices::openUrl(QUrl::fromLocalFile(shown));
  if (!opened) ShowInfo(("没有可以打开文件夹的程序，输出文件夹在：\n" + shown).toStdString());
}

void MainWindow::WireEvents() {
  auto button = [this](const char* name) { return findChild<QPushButton*>(name); };
  auto onClick = [this, &button](const char* name, auto handler) {
    connect(button(name), &QPushButton::clicked, this, handler);
  };
  onClick("按钮_开始检测", [this] {
    run_->StartRun(
        {CurrentRunSettings(), watermark_->Options(), titles_->Options(), titles_->Titles()});
  });
  onClick("按钮_停止检测", [this] { run_->StopRun(); });
  onClick("按钮_暂停检测", [this] { run_->PauseRun(); });
  onClick("按钮_继续检测", [this] { run_->ResumeRun(); });
  // An import that finds nothing says where it looked.
  auto importHere = [this](ListView list) {
    ImportList(*this, list, runDir_, allItems_->isChecked());
    if (RowCount(list) == 0) ShowInfo(NothingFoundMessage(list, runDir_));
  };
  auto importInBackground = [this](ListView list) {
    RunInBackground([this, list, folder = runDir_] {
      ImportList(*this, list, folder);
      if (RowCount(list) == 0) ShowInfo(NothingFoundMessage(list, folder));
    });
  };
  onClick("按钮_导入视频剪辑", [importHere] { importHere(kVideoList); });
  onClick("按钮_导入图片剪辑", [importHere] { importHere(kImageList); });
  onClick("按钮_导入绿幕特效", [importHere] { importHere(kGreenScreenList); });
  onClick("按钮_导入黑幕特效", [importHere] { importHere(kBlackScreenList); });
  onClick("按钮_导入片头", [importInBackground] { importInBackground(kIntroList); });
  onClick("按钮_导入片尾", [importInBackground] { importInBackground(kOutroList); });
  onClick("按钮_导入音频文件", [this] {
    QString folder = ChooseAudioFolder();
    if (folder.isEmpty()) return;
    std::filesystem::path chosen(folder.toStdString());
    ImportAudio(*this, chosen);
    audioFolder_ = folder;
    SaveSettings();
    if (RowCount(kAudioList) == 0) ShowInfo(NothingFoundMessage(kAudioList, chosen));
  });
  onClick("按钮_主目录", [this] {
    QString folder = homeChooser_
                         ? homeChooser_()
                         : ChooseFolder(kHomeFolderTitle, QString::fromStdString(runDir_.string()));
    if (!folder.isEmpty()) ChangeHome(std::filesystem::path(folder.toStdString()));
  });
  onClick("按钮_打开输出文件夹", [this] { OpenOutputFolder(); });
  auto save = [this] { SaveSettings(); };
  for (QCheckBox* box : {allItems_, skipExisting_, duck_})
    connect(box, &QCheckBox::toggled, this, save);
  // The lists show at once the rows a run would take.
  connect(allItems_, &QCheckBox::toggled, this, [this](bool all) {
    for (ListView list : {kVideoList, kImageList}) ImportList(*this, list, runDir_, all);
  });
  for (QSpinBox* box : {jobs_, stallTimeout_, variants_})
    connect(box, &QSpinBox::valueChanged, this, save);
  connect(minDistance_, &QDoubleSpinBox::valueChanged, this, save);
  for (QComboBox* box : {engine_, fit_, sound_, canvas_})
    connect(box, &QComboBox::currentIndexChanged, this, save);
  for (QAbstractButton* control : switches_)
    connect(control, &QAbstractButton::toggled, this, save);
  connect(effectCode_, &QPlainTextEdit::textChanged, this, save);
  for (QTreeWidget* view : lists_) {
    connect(view->header(), &QHeaderView::sectionResized, this, [this] { RememberColumnWidths(); });
  }
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

void MainWindow::SetHomeChooser(std::function<QString()> chooser) {
  homeChooser_ = std::move(chooser);
}

void MainWindow::SetHomeClaimer(std::function<QString(const std::filesystem::path&)> claimer) {
  homeClaimer_ = std::move(claimer);
}

void MainWindow::SetFolderOpener(std::function<bool(const QString&)> opener) {
  folderOpener_ = std::move(opener);
}

QString MainWindow::ChooseAudioFolder() {
  if (folderChooser_) return folderChooser_();
  return ChooseFolder(kAudioFolderTitle, audioFolder_);
}

QString MainWindow::ChooseFolder(const QString& title, const QString& start) {
  // Qt's own dialog, so that every word of it is Chinese.
  QFileDialog dialog(this, title, start);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
  dialog.setLabelText(QFileDialog::LookIn, "查找范围：");
  dialog.setLabelText(QFileDialog::FileName, "文件夹：");
  dialog.setLabelText(QFileDialog::FileType, "类型：");
  dialog.setLabelText(QFileDialog::Accept, "选择");
  dialog.setLabelText(QFileDialog::Reject, "取消");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Stop is enabled exactly while a run goes on.
  if (!runButtons_[static_cast<int>(Button::按钮_停止检测)]->isEnabled()) {
    event->accept();
    return;
  }
  if (AskBeforeEndingWork(this, kQuitDuringRun)) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == content_ && event->type() == QEvent::Resize) {
    LayOutPage();
    return false;
  }
  auto* choice = qobject_cast<QWidget*>(watched);
  if (event->type() == QEvent::Wheel && IsChoice(choice) && !choice->hasFocus()) {
    // A wheel turned over a choice the user is not working with scrolls the
    // page, instead of changing the choice under the pointer.
    QCoreApplication::sendEvent(scroll_->verticalScrollBar(), event);
    return true;
  }
  if (event->type() != QEvent::DragEnter && event->type() != QEvent::DragMove &&
      event->type() != QEvent::Drop) {
    return QWidget::eventFilter(watched, event);
  }
  auto* drop = static_cast<QDropEvent*>(event);
  // A run's lists are not changed while it goes on.
  if (!drop->mimeData()->hasUrls() ||
      !runButtons_[static_cast<int>(Button::按钮_开始检测)]->isEnabled()) {
    return false;
  }
  drop->acceptProposedAction();
  if (event->type() != QEvent::Drop) return true;
  for (const ListLayout& layout : ListLayouts()) {
    if (List(layout.list)->viewport() != watched) continue;
    std::vector<std::filesystem::path> paths;
    for (const QUrl& url : drop->mimeData()->urls()) {
      if (url.isLocalFile()) paths.emplace_back(url.toLocalFile().toStdString());
    }
    AddDroppedPaths(*this, layout.list, paths);
  }
  return true;
}

}  // namespace mivora
