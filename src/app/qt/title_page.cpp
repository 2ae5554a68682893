#include "app/qt/title_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/qt/watermark_page.h"
#include "app/qt/window_settings.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

constexpr const char* kEnabledKey = "title/enabled";
constexpr const char* kPositionKey = "title/position";
constexpr const char* kStyleKey = "title/style";
constexpr const char* kListKey = "title/list";

// In the order of the styles.
constexpr const char* kStyleCaptions[] = {"描边", "半透明底框"};

QString Shown(const std::string& title) {
  // A line break of a title shows as the "\n" it was written with.
  return QString::fromStdString(title).replace('\n', "\\n");
}

}  // namespace

TitlePage::TitlePage(QWidget* page, std::function<std::filesystem::path()> home)
    : QWidget(page), home_(std::move(home)) {
  setObjectName("文案");
  setGeometry(9, 36, 730, 530);
  BuildControls();
  Load();
}

void TitlePage::BuildControls() {
  enabled_ = new QCheckBox("加文案", this);
  enabled_->setObjectName("选择框_加文案");
  enabled_->setToolTip("每个成品的画面上写一条文案；同一素材的几个版本各用不同的文案");
  position_ = new QComboBox(this);
  position_->setObjectName("组合框_文案位置");
  for (const char* caption : kPositionCaptions) position_->addItem(caption);
  style_ = new QComboBox(this);
  style_->setObjectName("组合框_文案样式");
  for (const char* caption : kStyleCaptions) style_->addItem(caption);
  list_ = new QTreeWidget(this);
  list_->setObjectName("超级列表框_文案");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels({"序号", "文案"});
  list_->setColumnWidth(0, 60);
  list_->header()->setStretchLastSection(true);
  count_ = new QLabel(this);
  count_->setObjectName("标签_文案条数");
  auto* import = new QPushButton("导入", this);
  import->setObjectName("按钮_导入文案");
  import->setToolTip(
      "读取主目录的“文案.txt”（每行一条，行内的 \\n 表示换行）；"
      "没有这个文件时选一个文件");
  auto* clear = new QPushButton("清空", this);
  clear->setObjectName("按钮_清空文案");

  auto* controls = new QHBoxLayout();
  controls->addWidget(enabled_);
  controls->addSpacing(16);
  controls->addWidget(new QLabel("位置", this));
  controls->addWidget(position_);
  controls->addWidget(new QLabel("样式", this));
  controls->addWidget(style_);
  controls->addStretch();
  controls->addWidget(count_);
  controls->addWidget(import);
  controls->addWidget(clear);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addLayout(controls);
  column->addWidget(list_, 1);

  connect(enabled_, &QCheckBox::toggled, this, [this] { Save(); });
  connect(position_, &QComboBox::currentIndexChanged, this, [this] { Save(); });
  connect(style_, &QComboBox::currentIndexChanged, this, [this] { Save(); });
  connect(import, &QPushButton::clicked, this, [this] {
    std::filesystem::path file = home_() / kTitleListFile;
    if (!std::filesystem::exists(file)) {
      QString picked = QFileDialog::getOpenFileName(
          this, "选择文案文件", QString::fromStdString(home_().string()), "文本文件 (*.txt)");
      if (picked.isEmpty()) return;
      file = picked.toStdString();
    }
    if (QString problem = Import(file); !problem.isEmpty()) {
      QMessageBox::information(this, "提示", problem);
    }
  });
  connect(clear, &QPushButton::clicked, this, &TitlePage::Clear);
}

QString TitlePage::Import(const std::filesystem::path& file) {
  std::vector<std::string> titles;
  if (!ReadTitleList(file, titles)) {
    return "无法读取文案文件：" + QString::fromStdString(file.string());
  }
  titles_ = std::move(titles);
  ShowList();
  Save();
  return titles_.empty() ? "文案文件里没有文案：" + QString::fromStdString(file.string())
                         : QString();
}

void TitlePage::Clear() {
  titles_.clear();
  ShowList();
  Save();
}

void TitlePage::ShowList() {
  list_->clear();
  for (std::size_t i = 0; i < titles_.size(); ++i) {
    list_->addTopLevelItem(new QTreeWidgetItem({QString::number(i + 1), Shown(titles_[i])}));
  }
  count_->setText(QString("共 %1 条").arg(titles_.size()));
}

void TitlePage::Load() {
  loading_ = true;
  TitleOptions defaults;
  QSettings settings = WindowSettings();
  enabled_->setChecked(settings.value(kEnabledKey, defaults.enabled).toBool());
  std::optional<WatermarkPosition> position =
      ParseWatermarkPosition(settings.value(kPositionKey).toString().toStdString());
  position_->setCurrentIndex(static_cast<int>(position.value_or(defaults.position)));
  std::optional<TitleStyle> style =
      ParseTitleStyle(settings.value(kStyleKey).toString().toStdString());
  style_->setCurrentIndex(static_cast<int>(style.value_or(defaults.style)));
  titles_.clear();
  for (const QString& title : settings.value(kListKey).toStringList()) {
    titles_.push_back(title.toStdString());
  }
  ShowList();
  loading_ = false;
}

void TitlePage::Save() const {
  if (loading_) return;
  TitleOptions options = Options();
  QSettings settings = WindowSettings();
  settings.setValue(kEnabledKey, options.enabled);
  settings.setValue(kPositionKey,
                    QString::fromStdString(std::string(WatermarkPositionName(options.position))));
  settings.setValue(kStyleKey, QString::fromStdString(std::string(TitleStyleName(options.style))));
  QStringList list;
  for (const std::string& title : titles_) list << QString::fromStdString(title);
  settings.setValue(kListKey, list);
}

TitleOptions TitlePage::Options() const {
  TitleOptions options;
  options.enabled = enabled_->isChecked();
  options.position = static_cast<WatermarkPosition>(std::max(0, position_->currentIndex()));
  options.style = static_cast<TitleStyle>(std::max(0, style_->currentIndex()));
  return options;
}

}  // namespace mivora
