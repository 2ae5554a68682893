// The main window: its controls, their wiring, and the window operations.
#include "app/qt/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpacerItem>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

#include "app/list_import.h"
#include "app/qt/tab_control.h"
#include "app/qt/title_page.h"
#include "app/qt/watermark_page.h"
#include "app/qt/window_settings.h"
#include "jobs/engine_choice.h"
#include "jobs/gif_preview.h"
#include "media/media_import.h"
#include "media/work_folders.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr const char* kTitle =
    "Mivora【竖屏短视频批量剪辑】       问题与建议：请在项目的问题列表中留言";
constexpr const char* kInfoCaption = "友情提示";
constexpr const char* kAudioFolderTitle = "请选择音频目录 mp3";
constexpr const char* kTallImportCaption = "导\r\n\r\n\r\n\r\n入";
constexpr const char* kHomeFolderTitle = "请选择主目录";
constexpr const char* kQuitDuringRun = "正在剪辑，确定要停止并退出吗？";
// Wide enough for the caption "友情提示" beside the window buttons of any frame.
constexpr int kInfoBoxMinWidth = 280;
// The time left is estimated once this much of the run is done, and after so
// many milliseconds; each second's estimate counts with this weight.
constexpr double kFractionForEstimate = 0.03;
constexpr qint64 kMsForEstimate = 5000;
constexpr double kEstimateWeight = 0.2;

// QSettings keys; those of the run settings are the run settings' table's.
// The framing choices in the order of the "画面适配" box.
constexpr std::array<FitMode, 3> kFitChoices = {FitMode::kBlur, FitMode::kCover, FitMode::kStretch};
constexpr const char* kHomeKey = "paths/home";
constexpr const char* kAudioKey = "paths/audio";
constexpr const char* kEffectCodeKey = "choices/effectCode";
constexpr const char* kVideoModeKey = "choices/videoMode";
constexpr const char* kIntroKey = "choices/intro";
constexpr const char* kOutroKey = "choices/outro";
constexpr const char* kBlackScreenKey = "choices/blackScreen";
constexpr const char* kPositionKey = "window/position";
// Followed by the list's name: its column widths.
constexpr const char* kColumnsKeyPrefix = "columns/";

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
       {60, 250, 100, 250}},
      {ListView::超级列表框2,
       "超级列表框2",
       1,
       {9, 36, 666, 528},
       {"序号", "图片路径", "文件名", "图转视频后路径", "文件名", "状态"},
       {60, 110, 80, 120, 80, 210}},
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
       {60, 300, 150, 150}},
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

// An information box; a spacer row keeps it wide enough for its caption.
QMessageBox* MakeInfoBox(const QString& text, QWidget* parent) {
  auto* box =
      new QMessageBox(QMessageBox::Information, kInfoCaption, text, QMessageBox::Ok, parent);
  // Folder names in a box can be copied.
  box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    grid->addItem(new QSpacerItem(kInfoBoxMinWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  return box;
}

QString Clock(qint64 ms) {
  qint64 seconds = ms / 1000;
  return QString("%1:%2:%3")
      .arg(seconds / 3600, 2, 10, QChar('0'))
      .arg(seconds / 60 % 60, 2, 10, QChar('0'))
      .arg(seconds % 60, 2, 10, QChar('0'));
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
  // The controls keep their places on a page of fixed size; a screen too
  // small for it scrolls the page instead of cutting it off.
  content_ = new QWidget;
  content_->setObjectName("页面_内容");
  content_->setFixedSize(kOuterWidth, kOuterHeight);
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("滚动区_内容");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidget(content_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  BuildControls();
  // Until shown, the size is that of the client area; FitInto takes the
  // frame off once the window system has told us its size.
  setMaximumSize(kOuterWidth, kOuterHeight);
  resize(kOuterWidth, kOuterHeight);
  move(50, 50);
  background_.setMaxThreadCount(4);
  clockTick_.setInterval(1000);
  connect(&clockTick_, &QTimer::timeout, this, [this] { ShowTimes(); });
  run_ = std::make_unique<RunControl>(
      *this, runDir_, [this](int ms) { PumpWait(ms); },
      [this](std::function<void()> task) { PostToWindow(std::move(task)); });
  LoadSettings();
  // Every list is read again, as its import would, so that the remembered
  // switches and the lists agree.
  ImportAllLists(runDir_, Imports::kHere);
  if (!audioFolder_.isEmpty() && std::filesystem::is_directory(audioFolder_.toStdString())) {
    ImportAudio(*this, std::filesystem::path(audioFolder_.toStdString()));
  }
  ShowHome();
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
  tabs_ = new TabControl(content_);
  tabs_->setObjectName("高级选择夹1");
  tabs_->setGeometry(5, 6, 750, 576);
  const char* pageCaptions[] = {"视频剪辑", "图片剪辑",    "特效代码",
                                "音频文件", "片头 | 片尾", "绿幕特效 | 黑幕特效",
                                "文本水印", "文案"};
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
    // Long paths and statuses keep both their ends.
    view->setTextElideMode(Qt::ElideMiddle);
    QStringList headers;
    for (const char* header : layout.headers) headers << header;
    view->setHeaderLabels(headers);
    for (int column = 0; column < static_cast<int>(layout.widths.size()); ++column) {
      view->setColumnWidth(column, layout.widths[column]);
    }
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
    lists_[static_cast<int>(layout.list)] = view;
  }

  MakeButton(pages[0], "按钮_导入视频剪辑", kTallImportCaption, {686, 34, 48, 528});
  MakeButton(pages[1], "按钮_导入图片剪辑", kTallImportCaption, {686, 35, 48, 528});
  effectCode_ = MakeEditBox(pages[2], "编辑框_特效代码", {10, 36, 728, 530}, kDefaultEffectCode);
  // Effect codes hold no tabs; Tab moves on, as everywhere in the window.
  effectCode_->setTabChangesFocus(true);
  MakeButton(pages[3], "按钮_导入音频文件", kTallImportCaption, {686, 35, 48, 528});
  MakeButton(pages[4], "按钮_导入片头", "导入", {651, 34, 88, 40});
  MakeButton(pages[4], "按钮_导入片尾", "导入", {652, 306, 88, 40});
  MakeButton(pages[5], "按钮_导入绿幕特效", "导入", {651, 34, 88, 40});
  MakeButton(pages[5], "按钮_清空绿幕特效", "清空", {650, 88, 88, 40});
  MakeButton(pages[5], "按钮_导入黑幕特效", "导入", {652, 306, 88, 40});
  MakeButton(pages[5], "按钮_清空黑幕特效", "清空", {652, 360, 88, 40});
  watermark_ = new WatermarkPage(pages[6]);
  titles_ = new TitlePage(pages[7], [this] { return runDir_; });

  log_ = MakeEditBox(content_, "编辑框_日志", {6, 592, 748, 136}, kDefaultLogText);
  // The log only ever grows; the user may select and copy but not edit it.
  log_->setReadOnly(true);
  log_->setTabChangesFocus(true);
  log_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

  auto* settings = new QGroupBox("功能设置", content_);
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
  // Two exclusive groups, each with one button checked at all times: without
  // them the four radio buttons of the nested boxes count as one set.
  for (auto [first, second] : {std::pair{Switch::单选框_视频剪辑, Switch::单选框_图片剪辑},
                               std::pair{Switch::单选框_加绿幕, Switch::单选框_加黑幕}}) {
    auto* group = new QButtonGroup(this);
    group->setExclusive(true);
    group->addButton(switches_[index(first)]);
    group->addButton(switches_[index(second)]);
  }

  runButtons_[index(Button::按钮_开始检测)] =
      MakeButton(content_, "按钮_开始检测", "开始", {768, 209, 224, 40});
  runButtons_[index(Button::按钮_暂停检测)] =
      MakeButton(content_, "按钮_暂停检测", "暂停", {768, 261, 224, 40});
  runButtons_[index(Button::按钮_继续检测)] =
      MakeButton(content_, "按钮_继续检测", "继续", {768, 314, 224, 40});
  runButtons_[index(Button::按钮_停止检测)] =
      MakeButton(content_, "按钮_停止检测", "停止", {768, 368, 224, 40});
  for (Button button : {Button::按钮_暂停检测, Button::按钮_继续检测, Button::按钮_停止检测}) {
    runButtons_[index(button)]->setEnabled(false);
  }
  MakeButton(content_, "按钮_生成mp4转gif", "生成mp4转gif", {768, 432, 104, 40})->hide();

  // Kept beyond the right edge: the console text is there for whoever reads
  // the window's state, not for the eye, so it never takes the focus.
  output_ = MakeEditBox(content_, "编辑框_输出返回", {1056, 416, 296, 136}, "");
  output_->setReadOnly(true);
  output_->setFocusPolicy(Qt::NoFocus);

  BuildRunSettings();
  SetTabOrder();
}

void MainWindow::BuildRunSettings() {
  auto* group = new QGroupBox("运行设置", content_);
  runSettings_ = group;
  group->setObjectName("分组框_运行设置");
  group->setGeometry(765, 418, 232, 240);
  auto* engineLabel = new QLabel("处理方式", group);
  engineLabel->setGeometry(14, 20, 80, 24);
  engine_ = new QComboBox(group);
  engine_->setObjectName("下拉框_处理方式");
  engine_->setGeometry(96, 20, 124, 24);
  for (const std::string& name : EngineNames()) {
    engine_->addItem(QString::fromStdString(EngineCaption(name)), QString::fromStdString(name));
  }
  engineLabel->setBuddy(engine_);
  allItems_ =
      MakeSwitch<QCheckBox>(group, "选择框_处理全部素材", "处理全部素材", {12, 46, 210, 24}, false);
  auto* jobsLabel = new QLabel("同时处理", group);
  jobsLabel->setGeometry(14, 72, 120, 24);
  jobs_ = new QSpinBox(group);
  jobs_->setObjectName("数值框_同时处理");
  jobs_->setGeometry(150, 72, 70, 24);
  jobs_->setRange(1, std::max(1, QThread::idealThreadCount()));
  jobsLabel->setBuddy(jobs_);
  auto* stallLabel = new QLabel("无响应超时（秒）", group);
  stallLabel->setGeometry(14, 98, 130, 24);
  stallTimeout_ = new QSpinBox(group);
  stallTimeout_->setObjectName("数值框_无响应超时");
  stallTimeout_->setGeometry(150, 98, 70, 24);
  stallTimeout_->setRange(0, 3600);
  stallLabel->setBuddy(stallTimeout_);
  auto* fitLabel = new QLabel("画面适配", group);
  fitLabel->setGeometry(14, 124, 80, 24);
  fit_ = new QComboBox(group);
  fit_->setObjectName("下拉框_画面适配");
  fit_->setGeometry(96, 124, 124, 24);
  fit_->addItems({"模糊背景", "裁切铺满", "拉伸"});
  fitLabel->setBuddy(fit_);
  auto* variantsLabel = new QLabel("每个素材生成", group);
  variantsLabel->setGeometry(14, 150, 130, 24);
  variants_ = new QSpinBox(group);
  variants_->setObjectName("数值框_每个素材生成");
  variants_->setGeometry(150, 150, 70, 24);
  variants_->setRange(1, kMaxVariants);
  variantsLabel->setBuddy(variants_);
  skipExisting_ = MakeSwitch<QCheckBox>(group, "选择框_跳过已有成品", "跳过已有成品",
                                        {12, 176, 210, 24}, false);
  engine_->setToolTip(
      "一次编码：每个素材只调用一次编码器，更快，失败时自动改用分步处理；"
      "分步处理：每一步调用一次编码器");
  allItems_->setToolTip("勾选：处理列表中的全部素材；不勾选：只处理前两个");
  jobs_->setToolTip("同时处理几个素材（不超过本机的处理器核数）");
  stallTimeout_->setToolTip("编码器这么多秒没有进展就停止它，该素材记为失败；0 表示不限");
  fit_->setToolTip("不是 9:16 的画面如何放进竖屏：模糊背景、裁切铺满或拉伸");
  variants_->setToolTip("每个素材做几个不同的成品（文件名加 -1、-2……）；1：一个，名字不变");
  skipExisting_->setToolTip("完整的成品文件已存在就不再做，不完整的重新生成（中断后接着做）");
  MakeButton(group, "按钮_主目录", "主目录", {12, 204, 70, 30});
  MakeButton(group, "按钮_打开输出文件夹", "打开输出文件夹", {90, 204, 130, 30});

  home_ = new QLabel(content_);
  home_->setObjectName("标签_主目录");
  home_->setGeometry(767, 660, 228, 28);
  // One line, the middle of a long path elided; the whole path is the tooltip.
  home_->setWordWrap(false);
  progress_ = new QProgressBar(content_);
  progress_->setObjectName("进度条_运行");
  progress_->setGeometry(767, 690, 228, 20);
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setFormat("0/0");
  times_ = new QLabel(content_);
  times_->setObjectName("标签_运行时间");
  times_->setGeometry(767, 712, 228, 22);
}

void MainWindow::SetTabOrder() {
  std::vector<QWidget*> chain = {tabs_};
  for (QAbstractButton* control : switches_) chain.push_back(control);
  for (Button button : {Button::按钮_开始检测, Button::按钮_暂停检测, Button::按钮_继续检测,
                        Button::按钮_停止检测}) {
    chain.push_back(runButtons_[static_cast<int>(button)]);
  }
  chain.insert(chain.end(), {engine_, allItems_, jobs_, stallTimeout_, fit_, variants_,
                             skipExisting_, findChild<QPushButton*>("按钮_主目录"),
                             findChild<QPushButton*>("按钮_打开输出文件夹"), log_});
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

RunSettings MainWindow::CurrentRunSettings() const {
  RunSettings shown;
  shown.run.engine = kEngineNames.Parse(engine_->currentData().toString().toStdString())
                         .value_or(shown.run.engine);
  shown.allItems = allItems_->isChecked();
  shown.run.jobs = jobs_->value();
  shown.run.stallTimeout = std::chrono::seconds(stallTimeout_->value());
  shown.run.fit = kFitChoices[std::max(0, fit_->currentIndex())];
  shown.run.variants = variants_->value();
  shown.run.skipExisting = skipExisting_->isChecked();
  return shown;
}

void MainWindow::ShowRunSettings(const RunSettings& shown) {
  const std::string_view engine = kEngineNames.NameOf(shown.run.engine);
  engine_->setCurrentIndex(engine_->findData(QString::fromUtf8(engine.data(), engine.size())));
  allItems_->setChecked(shown.allItems);
  jobs_->setValue(shown.run.jobs);
  stallTimeout_->setValue(StallTimeoutSeconds(shown.run));
  variants_->setValue(shown.run.variants);
  skipExisting_->setChecked(shown.run.skipExisting);
  for (std::size_t i = 0; i < kFitChoices.size(); ++i) {
    if (kFitChoices[i] == shown.run.fit) fit_->setCurrentIndex(static_cast<int>(i));
  }
}

void MainWindow::LoadSettings() {
  QSettings settings = WindowSettings();
  ShowRunSettings(LoadRunSettings([&settings](std::string_view key) -> std::optional<std::string> {
    const QString name = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    if (!settings.contains(name)) return std::nullopt;
    return settings.value(name).toString().toStdString();
  }));
  if (settings.contains(kEffectCodeKey)) {
    effectCode_->setPlainText(settings.value(kEffectCodeKey).toString());
  }
  auto restore = [&settings, this](const char* key, Switch on, Switch off) {
    if (!settings.contains(key)) return;
    bool checked = settings.value(key).toBool();
    switches_[static_cast<int>(checked ? on : off)]->setChecked(true);
    if (on == off) switches_[static_cast<int>(on)]->setChecked(checked);
  };
  restore(kVideoModeKey, Switch::单选框_视频剪辑, Switch::单选框_图片剪辑);
  restore(kIntroKey, Switch::选择框_加片头, Switch::选择框_加片头);
  restore(kOutroKey, Switch::选择框_加片尾, Switch::选择框_加片尾);
  restore(kBlackScreenKey, Switch::单选框_加黑幕, Switch::单选框_加绿幕);
  audioFolder_ = settings.value(kAudioKey).toString();
  // Kept on a screen when it is shown.
  if (settings.contains(kPositionKey)) move(settings.value(kPositionKey).toPoint());
  for (const ListLayout& layout : ListLayouts()) {
    QStringList widths =
        settings.value(QString(kColumnsKeyPrefix) + layout.name).toString().split(',');
    if (widths.size() != static_cast<int>(layout.widths.size())) continue;
    for (int column = 0; column < widths.size(); ++column) {
      int width = widths[column].toInt();
      if (width > 0) List(layout.list)->setColumnWidth(column, width);
    }
  }
}

void MainWindow::SaveSettings() {
  QSettings settings = WindowSettings();
  SaveRunSettings(
      CurrentRunSettings(), [&settings](std::string_view key, const std::string& value) {
        settings.setValue(QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size())),
                          QString::fromStdString(value));
      });
  settings.setValue(kEffectCodeKey, effectCode_->toPlainText());
  auto checked = [this](Switch control) {
    return switches_[static_cast<int>(control)]->isChecked();
  };
  settings.setValue(kVideoModeKey, checked(Switch::单选框_视频剪辑));
  settings.setValue(kIntroKey, checked(Switch::选择框_加片头));
  settings.setValue(kOutroKey, checked(Switch::选择框_加片尾));
  settings.setValue(kBlackScreenKey, checked(Switch::单选框_加黑幕));
  if (!audioFolder_.isEmpty()) settings.setValue(kAudioKey, audioFolder_);
}

void MainWindow::ShowHome() {
  QString folder = QString::fromStdString(runDir_.string());
  home_->setText(
      home_->fontMetrics().elidedText("主目录：" + folder, Qt::ElideMiddle, home_->width()));
  home_->setToolTip(folder);
}

void MainWindow::ChangeHome(const std::filesystem::path& folder) {
  runDir_ = folder;
  run_->SetRunDir(folder);
  WindowSettings().setValue(kHomeKey, QString::fromStdString(folder.string()));
  ShowHome();
  ImportAllLists(folder, Imports::kIntrosInBackground);
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
  for (QCheckBox* box : {allItems_, skipExisting_}) connect(box, &QCheckBox::toggled, this, save);
  // The lists show at once the rows a run would take.
  connect(allItems_, &QCheckBox::toggled, this, [this](bool all) {
    for (ListView list : {kVideoList, kImageList}) ImportList(*this, list, runDir_, all);
  });
  for (QSpinBox* box : {jobs_, stallTimeout_, variants_})
    connect(box, &QSpinBox::valueChanged, this, save);
  for (QComboBox* box : {engine_, fit_}) connect(box, &QComboBox::currentIndexChanged, this, save);
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

void MainWindow::RememberColumnWidths() {
  QSettings settings = WindowSettings();
  for (const ListLayout& layout : ListLayouts()) {
    QStringList widths;
    for (int column = 0; column < static_cast<int>(layout.widths.size()); ++column) {
      widths << QString::number(List(layout.list)->columnWidth(column));
    }
    settings.setValue(QString(kColumnsKeyPrefix) + layout.name, widths.join(','));
  }
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

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  QTimer::singleShot(0, this, [this] { FitToScreen(); });
}

void MainWindow::FitToScreen() {
  const QSize frame = frameGeometry().size() - geometry().size();
  if (frame == fittedFrame_) return;
  fittedFrame_ = frame;
  // The outer size includes the frame, which is known only once the window
  // system has framed the window (often after it is shown); without a frame
  // the client keeps it all.
  if (QScreen* shown = screen()) FitInto(shown->availableGeometry());
}

void MainWindow::FitInto(const QRect& available) {
  const QSize frame = frameGeometry().size() - geometry().size();
  const QSize page = QSize(kOuterWidth, kOuterHeight) - frame;
  content_->setFixedSize(page);
  setMaximumSize(page);
  resize(page.boundedTo(available.size() - frame));
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

void MainWindow::closeEvent(QCloseEvent* event) {
  // Stop is enabled exactly while a run goes on.
  if (!runButtons_[static_cast<int>(Button::按钮_停止检测)]->isEnabled()) {
    event->accept();
    return;
  }
  QMessageBox ask(QMessageBox::Question, kInfoCaption, kQuitDuringRun,
                  QMessageBox::Ok | QMessageBox::Cancel, this);
  ask.setAttribute(Qt::WA_QuitOnClose, false);
  if (ask.exec() == QMessageBox::Ok) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
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
  Marshal([this, button, enabled] {
    QPushButton* control = runButtons_[static_cast<int>(button)];
    // Start is disabled exactly while a run goes on.
    bool runBegins = button == Button::按钮_开始检测 && control->isEnabled() && !enabled;
    bool runEnds = button == Button::按钮_开始检测 && !control->isEnabled() && enabled;
    control->setEnabled(enabled);
    if (runBegins) RunBegan();
    if (runEnds) SetInputsEnabled(true);
  });
}

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
  titles_->setEnabled(enabled);
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
  Marshal([this, fraction, shown = QString::fromStdString(label)] {
    runFraction_ = fraction;
    progress_->setValue(static_cast<int>(fraction * progress_->maximum()));
    progress_->setFormat(shown);
  });
}

void MainWindow::ShowRunEnd(const std::string& note) {
  Marshal([this, shown = QString::fromStdString(note)] {
    clockTick_.stop();
    if (shown.isEmpty() || !runClock_.isValid()) {
      times_->setText(shown);
      return;
    }
    times_->setText("已用 " + Clock(runClock_.elapsed()) + "  " + shown);
  });
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
