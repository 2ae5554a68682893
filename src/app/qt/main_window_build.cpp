// The main window's controls: the tab pages with their lists and buttons,
// the switches, the run buttons and the run settings, each in its place on
// the page, and the order Tab visits them.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpacerItem>
#include <QSpinBox>
#include <QThread>
#include <QTreeWidget>

#include "app/qt/main_window.h"
#include "app/qt/main_window_parts.h"
#include "app/qt/results_page.h"
#include "app/qt/tab_control.h"
#include "app/qt/title_page.h"
#include "app/qt/watermark_page.h"
#include "jobs/engine_choice.h"

namespace mivora {
namespace {

constexpr const char* kTallImportCaption = "导\r\n\r\n\r\n\r\n入";
// Wide enough for the caption "友情提示" beside the window buttons of any frame.
constexpr int kInfoBoxMinWidth = 280;

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

// One row of the run settings: its caption at the left, the field at `left`
// and `width` from there, the caption's shortcut leading to the field.
template <typename Field>
Field* MakeSettingRow(QWidget* group, const char* caption, const char* name, int top, int left,
                      int width) {
  constexpr int kRowHeight = 22;
  auto* label = new QLabel(caption, group);
  label->setGeometry(14, top, left - 16, kRowHeight);
  auto* field = new Field(group);
  field->setObjectName(name);
  field->setGeometry(left, top, width, kRowHeight);
  label->setBuddy(field);
  return field;
}

}  // namespace

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

QString ToDisplay(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace("\r\n", "\n");
  shown.replace('\r', '\n');
  return shown;
}

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

void MainWindow::BuildControls() {
  tabs_ = new TabControl(content_);
  tabs_->setObjectName("高级选择夹1");
  tabs_->setGeometry(5, 6, 750, 576);
  const char* pageCaptions[] = {"视频剪辑", "图片剪辑",    "特效代码",
                                "音频文件", "片头 | 片尾", "绿幕特效 | 黑幕特效",
                                "文本水印", "文案",        "成品"};
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
  results_ = new ResultsPage(pages[8], [this] { return runDir_; });

  log_ = MakeEditBox(content_, "编辑框_日志", {6, 592, 748, 136}, kDefaultLogText.c_str());
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
  group->setGeometry(765, 414, 232, 278);
  // Choices at 96 and 124 wide, numbers at 150 and 70 wide, a row every 22 pixels.
  engine_ = MakeSettingRow<QComboBox>(group, "处理方式", "下拉框_处理方式", 20, 96, 124);
  for (const std::string& name : EngineNames()) {
    engine_->addItem(QString::fromStdString(EngineCaption(name)), QString::fromStdString(name));
  }
  allItems_ =
      MakeSwitch<QCheckBox>(group, "选择框_处理全部素材", "处理全部素材", {12, 42, 210, 22}, false);
  jobs_ = MakeSettingRow<QSpinBox>(group, "同时处理", "数值框_同时处理", 64, 150, 70);
  jobs_->setRange(1, std::max(1, QThread::idealThreadCount()));
  stallTimeout_ =
      MakeSettingRow<QSpinBox>(group, "无响应超时（秒）", "数值框_无响应超时", 86, 150, 70);
  stallTimeout_->setRange(0, 3600);
  fit_ = MakeSettingRow<QComboBox>(group, "画面适配", "下拉框_画面适配", 108, 96, 124);
  fit_->addItems({"模糊背景", "裁切铺满", "拉伸"});
  sound_ = MakeSettingRow<QComboBox>(group, "声音", "下拉框_声音", 130, 96, 124);
  sound_->addItems({"背景音乐", "原声", "原声+背景音乐"});
  variants_ = MakeSettingRow<QSpinBox>(group, "每个素材生成", "数值框_每个素材生成", 152, 150, 70);
  variants_->setRange(1, kMaxVariants);
  minDistance_ =
      MakeSettingRow<QDoubleSpinBox>(group, "版本最小差异", "数值框_版本最小差异", 174, 150, 70);
  minDistance_->setRange(0, 1);
  minDistance_->setDecimals(2);
  minDistance_->setSingleStep(0.05);
  skipExisting_ = MakeSwitch<QCheckBox>(group, "选择框_跳过已有成品", "跳过已有成品",
                                        {12, 196, 104, 22}, false);
  duck_ = MakeSwitch<QCheckBox>(group, "选择框_人声压低音乐", "人声压低音乐", {118, 196, 108, 22},
                                false);
  canvas_ = MakeSettingRow<QComboBox>(group, "成品尺寸", "下拉框_成品尺寸", 218, 96, 124);
  for (const std::string& name : CanvasSizeNames()) canvas_->addItem(QString::fromStdString(name));
  engine_->setToolTip(
      "一次编码：每个素材只调用一次编码器，更快，失败时自动改用分步处理；"
      "分步处理：每一步调用一次编码器");
  allItems_->setToolTip("勾选：处理列表中的全部素材；不勾选：只处理前两个");
  jobs_->setToolTip("同时处理几个素材（不超过本机的处理器核数）");
  stallTimeout_->setToolTip("编码器这么多秒没有进展就停止它，该素材记为失败；0 表示不限");
  fit_->setToolTip("不是 9:16 的画面如何放进竖屏：模糊背景、裁切铺满或拉伸");
  sound_->setToolTip(
      "成品的声音：只用背景音乐；素材原声（片头片尾用自己的声音）；或原声，背景音乐垫在下面。"
      "没有声音的素材只用背景音乐");
  duck_->setToolTip("原声+背景音乐时，素材有声音的地方把背景音乐压低");
  variants_->setToolTip("每个素材做几个不同的成品（文件名加 -1、-2……）；1：一个，名字不变");
  minDistance_->setToolTip(
      "同一素材的几个版本之间至少要有多大差异（0 到 1）：差异更小的版本换一组选择重新生成，"
      "最多 3 次；0：不比较。0.1 能分开重新编码的副本和不同的特效组合；每个成品多一次编码");
  skipExisting_->setToolTip("完整的成品文件已存在就不再做，不完整的重新生成（中断后接着做）");
  canvas_->setToolTip(QString::fromStdString(
      "成品的画面尺寸：" + FrameSize(kBaseCanvas) + "，或平台推荐的 " + FrameSize(kLargeCanvas) +
      "（更清晰，码率随像素增加，每个成品的处理时间约为两倍多）"));
  MakeButton(group, "按钮_主目录", "主目录", {12, 244, 70, 28});
  MakeButton(group, "按钮_打开输出文件夹", "打开输出文件夹", {90, 244, 130, 28});

  home_ = new QLabel(content_);
  home_->setObjectName("标签_主目录");
  home_->setGeometry(767, 693, 228, 22);
  // One line, the middle of a long path elided; the whole path is the tooltip.
  home_->setWordWrap(false);
  progress_ = new QProgressBar(content_);
  progress_->setObjectName("进度条_运行");
  progress_->setGeometry(767, 716, 228, 18);
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  progress_->setFormat("0/0");
  times_ = new QLabel(content_);
  times_->setObjectName("标签_运行时间");
  times_->setGeometry(767, 735, 228, 22);
}

void MainWindow::SetTabOrder() {
  std::vector<QWidget*> chain = {tabs_};
  for (QAbstractButton* control : switches_) chain.push_back(control);
  for (Button button : {Button::按钮_开始检测, Button::按钮_暂停检测, Button::按钮_继续检测,
                        Button::按钮_停止检测}) {
    chain.push_back(runButtons_[static_cast<int>(button)]);
  }
  chain.insert(chain.end(),
               {engine_, allItems_, jobs_, stallTimeout_, fit_, sound_, variants_, minDistance_,
                skipExisting_, duck_, canvas_, findChild<QPushButton*>("按钮_主目录"),
                findChild<QPushButton*>("按钮_打开输出文件夹"), log_});
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

}  // namespace mivora
