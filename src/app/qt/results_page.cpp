#include "app/qt/results_page.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <utility>

namespace mivora {
namespace {

// The strip as the list shows it: each picture at half its size.
constexpr int kShownWidth = kStripPictureWidth / 2;
constexpr int kShownHeight = kStripPictureHeight / 2;
constexpr int kShownGap = 2;
constexpr QSize kStripSize(kStripPictures* kShownWidth + (kStripPictures - 1) * kShownGap,
                           kShownHeight);

// The picks, the longest texts, come last and take what is left.
enum Column { kStrip, kName, kOutcome, kLength, kSize, kNearest, kPicks };

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QPixmap StripPixmap(const std::vector<std::filesystem::path>& pictures) {
  QPixmap strip(kStripSize);
  strip.fill(Qt::transparent);
  QPainter painter(&strip);
  int left = 0;
  for (const std::filesystem::path& picture : pictures) {
    QPixmap one(Q(picture.string()));
    if (!one.isNull()) painter.drawPixmap(QRect(left, 0, kShownWidth, kShownHeight), one);
    left += kShownWidth + kShownGap;
  }
  return strip;
}

}  // namespace

ResultsPage::ResultsPage(QWidget* page, std::function<std::filesystem::path()> home)
    : QWidget(page),
      home_(std::move(home)),
      opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
  setObjectName("成品");
  setGeometry(9, 36, 730, 530);
  measuring_.setMaxThreadCount(1);
  BuildControls();
  ShowLastRun();
}

ResultsPage::~ResultsPage() {
  model_->rowChanged = nullptr;
  measureToken_.Cancel();
  measuring_.waitForDone();
}

void ResultsPage::BuildControls() {
  failuresOnly_ = new QCheckBox("只看失败", this);
  failuresOnly_->setObjectName("选择框_只看失败");
  failuresOnly_->setToolTip("只列出没有做成的成品");
  count_ = new QLabel(this);
  count_->setObjectName("标签_成品数");
  note_ = new QLabel(this);
  note_->setObjectName("标签_成品提示");
  // A long path in the note never widens the page; the tooltip has it whole.
  note_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  report_ = new QPushButton("生成报告", this);
  report_->setObjectName("按钮_生成报告");
  report_->setToolTip("把上次运行的成品写成一页报告（每个成品一行，带画面），写好后打开");
  list_ = new QTreeWidget(this);
  list_->setObjectName("超级列表框_成品");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setIconSize(kStripSize);
  // A line too long for its column keeps its start; the tooltip has it all.
  list_->setTextElideMode(Qt::ElideRight);
  list_->setHeaderLabels({"画面", "名称", "结果", "时长", "大小", "最相近的版本", "选择"});
  list_->header()->setStretchLastSection(true);
  const int widths[] = {kStripSize.width() + 8, 110, 120, 55, 70, 130};
  for (int column = 0; column < static_cast<int>(std::size(widths)); ++column)
    list_->setColumnWidth(column, widths[column]);
  list_->setToolTip("回车或双击播放成品；右键打开所在文件夹或复制路径");
  list_->setContextMenuPolicy(Qt::CustomContextMenu);

  auto* controls = new QHBoxLayout();
  controls->addWidget(failuresOnly_);
  controls->addSpacing(16);
  controls->addWidget(count_);
  controls->addSpacing(16);
  controls->addWidget(note_, 1);
  controls->addWidget(report_);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addLayout(controls);
  column->addWidget(list_, 1);

  connect(failuresOnly_, &QCheckBox::toggled, this, [this] { ApplyFilter(); });
  connect(report_, &QPushButton::clicked, this, &ResultsPage::WriteReport);
  connect(list_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { Play(ShownRowOf(item)); });
  connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QTreeWidgetItem* item = list_->itemAt(at);
    if (!item) return;
    QMenu* menu = RowMenu(ShownRowOf(item));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list_->viewport()->mapToGlobal(at));
  });
}

int ResultsPage::ShownRowOf(const QTreeWidgetItem* item) const {
  int shown = 0;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    if (list_->topLevelItem(row) == item) return shown;
    if (!list_->topLevelItem(row)->isHidden()) ++shown;
  }
  return -1;
}

std::shared_ptr<ResultsModel> ResultsPage::BeginRun(const JobInputs& inputs) {
  SummaryRun run;
  run.home = inputs.runDir;
  run.options = inputs.options;
  run.seed = inputs.seed;
  run.ended = false;
  Show(std::make_shared<ResultsModel>(std::move(run)));
  return model_;
}

void ResultsPage::ShowLastRun() {
  std::string note;
  Show(std::make_shared<ResultsModel>(ReadLastRun(home_(), note)));
  SetNote(Q(note));
}

void ResultsPage::Show(std::shared_ptr<ResultsModel> model) {
  // The last run's events still on their way (a stopped run's last words)
  // go to its own model, which nothing shows any more.
  if (model_) model_->rowChanged = nullptr;
  model_ = std::move(model);
  model_->rowChanged = [this](std::size_t index) {
    ShowRow(index);
    Measure(index);
  };
  ++generation_;
  pending_ = 0;
  SetNote({});
  ShowAll();
}

void ResultsPage::SetOpener(std::function<bool(const QUrl&)> opener) {
  opener_ = std::move(opener);
}

void ResultsPage::ShowRow(std::size_t index) {
  const ResultRow& row = model_->Rows()[index];
  while (list_->topLevelItemCount() <= static_cast<int>(index))
    list_->addTopLevelItem(new QTreeWidgetItem());
  QTreeWidgetItem* item = list_->topLevelItem(static_cast<int>(index));
  const QString reason = Q(ReasonText(row));
  item->setText(kName, Q(row.name));
  item->setToolTip(kName,
                   Q(row.result.output.empty() ? row.result.source : row.result.output.string()));
  item->setText(kOutcome, reason);
  item->setToolTip(kOutcome, reason);
  // Every line of a reason has room, also in a row without pictures.
  const int lines = static_cast<int>(reason.count('\n')) + 1;
  item->setSizeHint(kOutcome, QSize(-1, lines * list_->fontMetrics().lineSpacing() + 4));
  item->setForeground(kOutcome, row.failed() ? QBrush(QColor(0xc0, 0x39, 0x2b)) : QBrush());
  item->setText(kPicks, Q(PicksText(row)));
  item->setToolTip(kPicks, item->text(kPicks));
  item->setText(kNearest, Q(NearestText(row)));
  if (row.measured) {
    item->setData(kStrip, Qt::DecorationRole, StripPixmap(row.facts.strip));
    item->setText(kLength, Q(LengthText(row.facts.seconds)));
    item->setText(kSize, Q(SizeText(row.facts.bytes)));
  } else {
    item->setData(kStrip, Qt::DecorationRole, QVariant());
    item->setText(kLength, QString());
    item->setText(kSize, QString());
  }
  item->setHidden(failuresOnly_->isChecked() && !row.failed());
  ShowCount();
}

void ResultsPage::ShowAll() {
  list_->clear();
  for (std::size_t index = 0; index < model_->Rows().size(); ++index) {
    ShowRow(index);
    Measure(index);
  }
  ShowCount();
}

void ResultsPage::ApplyFilter() {
  const std::vector<std::size_t> shown = model_->Shown(failuresOnly_->isChecked());
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    const bool keep =
        std::find(shown.begin(), shown.end(), static_cast<std::size_t>(row)) != shown.end();
    list_->topLevelItem(row)->setHidden(!keep);
  }
}

void ResultsPage::ShowCount() {
  const int rows = static_cast<int>(model_->Rows().size());
  const int failures = model_->Failures();
  count_->setText(rows == 0 ? "还没有成品"
                            : QString("共 %1 个，失败 %2 个").arg(rows).arg(failures));
}

void ResultsPage::Measure(std::size_t index) {
  const ResultRow& row = model_->Rows()[index];
  if (row.measured || row.result.output.empty()) {
    if (pending_ == 0) emit MeasuringDone();
    return;
  }
  const std::filesystem::path home = home_();
  const std::filesystem::path folder = home / kResultsFolder / kStripFolder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  ++pending_;
  measuring_.start([this, home, folder, video = row.result.output, stem = StripStem(row), index,
                    generation = generation_] {
    VideoFacts facts = MeasureVideo(ToolEnv{home, measureToken_}, video, folder, stem);
    QMetaObject::invokeMethod(
        this,
        [this, index, generation, facts = std::move(facts)]() mutable {
          if (generation != generation_) return;
          --pending_;
          model_->SetFacts(index, std::move(facts));
        },
        Qt::QueuedConnection);
  });
}

const ResultRow* ResultsPage::RowAt(int shownRow) const {
  int shown = 0;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    if (list_->topLevelItem(row)->isHidden()) continue;
    if (shown++ == shownRow) return &model_->Rows()[static_cast<std::size_t>(row)];
  }
  return nullptr;
}

void ResultsPage::SetNote(const QString& text) {
  note_->setText(text);
  note_->setToolTip(text);
}

bool ResultsPage::Open(const QUrl& url, const QString& what) {
  if (opener_(url)) {
    SetNote({});
    return true;
  }
  SetNote("无法打开" + what + "：" + url.toLocalFile());
  return false;
}

void ResultsPage::Play(int shownRow) {
  const ResultRow* row = RowAt(shownRow);
  if (!row) return;
  if (row->result.output.empty()) {
    SetNote("这个成品没有做成，没有可播放的视频：" + Q(row->name));
    return;
  }
  Open(QUrl::fromLocalFile(Q(row->result.output.string())), "成品");
}

QMenu* ResultsPage::RowMenu(int shownRow) {
  auto* menu = new QMenu(list_);
  QAction* folder = menu->addAction("打开所在文件夹");
  QAction* copy = menu->addAction("复制路径");
  const ResultRow* row = RowAt(shownRow);
  const bool made = row && !row->result.output.empty();
  folder->setEnabled(made);
  copy->setEnabled(made);
  if (!made) return menu;
  const QString path = Q(row->result.output.string());
  const QString parent = Q(row->result.output.parent_path().string());
  connect(folder, &QAction::triggered, this,
          [this, parent] { Open(QUrl::fromLocalFile(parent), "文件夹"); });
  connect(copy, &QAction::triggered, this, [path] { QGuiApplication::clipboard()->setText(path); });
  return menu;
}

void ResultsPage::WriteReport() {
  report_->setEnabled(false);
  SetNote("正在生成报告……");
  measuring_.start([this, home = home_()] {
    std::string problem = WriteRunReport(home, ToolEnv{home, measureToken_});
    QMetaObject::invokeMethod(
        this,
        [this, home, problem = std::move(problem)] {
          report_->setEnabled(true);
          if (problem.empty()) {
            const std::filesystem::path page = home / kResultsFolder / kRunReportFile;
            if (Open(QUrl::fromLocalFile(Q(page.string())), "报告"))
              SetNote("报告：" + Q(page.string()));
          } else {
            SetNote(Q(problem));
          }
          emit ReportDone();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace mivora
