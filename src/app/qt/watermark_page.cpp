#include "app/qt/watermark_page.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <cmath>

#include "app/qt/watermark_preview.h"
#include "app/qt/window_settings.h"
#include "effects/output_format.h"

namespace mivora {
namespace {

constexpr const char* kEnabledKey = "watermark/enabled";
constexpr const char* kTextKey = "watermark/text";
constexpr const char* kPositionKey = "watermark/position";
constexpr const char* kSizeKey = "watermark/size";
constexpr const char* kColorKey = "watermark/color";
constexpr const char* kOpacityKey = "watermark/opacity";
constexpr const char* kMarginKey = "watermark/margin";

QSpinBox* MakeSpinBox(QWidget* parent, const char* name, int minimum, int maximum,
                      const char* suffix) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(name);
  box->setRange(minimum, maximum);
  box->setSuffix(suffix);
  return box;
}

// A stored number, or `fallback` when there is none or it is not a number.
int IntSetting(const QSettings& settings, const char* key, int fallback) {
  bool read = false;
  int value = settings.value(key).toInt(&read);
  return read ? value : fallback;
}

QIcon Swatch(const QColor& color) {
  QPixmap pixmap(28, 16);
  pixmap.fill(color);
  QPainter painter(&pixmap);
  painter.setPen(QColor(0x9a, 0xa5, 0xb1));
  painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
  return QIcon(pixmap);
}

}  // namespace

WatermarkPage::WatermarkPage(QWidget* page) : QWidget(page) {
  setObjectName("文本水印");
  setGeometry(9, 36, 730, 530);
  BuildControls();
  Load();
}

void WatermarkPage::BuildControls() {
  enabled_ = new QCheckBox("添加文本水印", this);
  enabled_->setObjectName("选择框_文本水印");
  text_ = new QLineEdit(this);
  text_->setObjectName("编辑框_水印文字");
  text_->setPlaceholderText("例如：@我的账号");
  position_ = new QComboBox(this);
  position_->setObjectName("组合框_水印位置");
  for (const char* caption : kPositionCaptions) position_->addItem(caption);
  size_ = MakeSpinBox(this, "调节框_水印字号", kMinWatermarkSize, kMaxWatermarkSize, " 像素");
  color_ = new QPushButton(this);
  color_->setObjectName("按钮_水印颜色");
  opacity_ = MakeSpinBox(this, "调节框_水印不透明度", 0, 100, " %");
  margin_ = MakeSpinBox(this, "调节框_水印边距", 0, kMaxWatermarkMargin, " 像素");
  auto* note = new QLabel(QString::fromStdString("水印画在成片（" + FrameSize(kDefaultCanvas) +
                                                 "）上，在绿幕/黑幕叠加之后。"),
                          this);
  note->setStyleSheet("color: #52606d;");
  preview_ = new WatermarkPreview(this);

  auto* form = new QFormLayout();
  form->setVerticalSpacing(14);
  form->addRow(enabled_);
  form->addRow("水印文字", text_);
  form->addRow("位置", position_);
  form->addRow("字号", size_);
  form->addRow("颜色", color_);
  form->addRow("不透明度", opacity_);
  form->addRow("边距", margin_);
  form->addRow(note);
  auto* previewColumn = new QVBoxLayout();
  previewColumn->addWidget(new QLabel("预览", this));
  previewColumn->addWidget(preview_);
  previewColumn->addStretch();
  auto* columns = new QHBoxLayout(this);
  columns->setContentsMargins(12, 12, 12, 12);
  columns->addLayout(form, 1);
  columns->addSpacing(24);
  columns->addLayout(previewColumn);

  connect(enabled_, &QCheckBox::toggled, this, &WatermarkPage::Changed);
  connect(text_, &QLineEdit::textChanged, this, &WatermarkPage::Changed);
  connect(position_, &QComboBox::currentIndexChanged, this, &WatermarkPage::Changed);
  for (QSpinBox* box : {size_, opacity_, margin_}) {
    connect(box, &QSpinBox::valueChanged, this, &WatermarkPage::Changed);
  }
  connect(color_, &QPushButton::clicked, this, &WatermarkPage::ChooseColor);
}

void WatermarkPage::Load() {
  loading_ = true;
  WatermarkOptions defaults;
  QSettings settings = WindowSettings();
  enabled_->setChecked(settings.value(kEnabledKey, defaults.enabled).toBool());
  text_->setText(settings.value(kTextKey).toString());
  std::optional<WatermarkPosition> position =
      ParseWatermarkPosition(settings.value(kPositionKey).toString().toStdString());
  position_->setCurrentIndex(static_cast<int>(position.value_or(defaults.position)));
  size_->setValue(IntSetting(settings, kSizeKey, defaults.size));
  QString color = settings.value(kColorKey).toString();
  ShowColor(IsWatermarkColor(color.toStdString()) ? color : QString::fromStdString(defaults.color));
  bool read = false;
  double opacity = settings.value(kOpacityKey).toDouble(&read);
  if (!read || !(opacity >= 0 && opacity <= 1)) opacity = defaults.opacity;
  opacity_->setValue(static_cast<int>(std::lround(opacity * 100)));
  margin_->setValue(IntSetting(settings, kMarginKey, defaults.margin));
  loading_ = false;
  Changed();
}

void WatermarkPage::Save() const {
  WatermarkOptions options = Options();
  QSettings settings = WindowSettings();
  settings.setValue(kEnabledKey, options.enabled);
  settings.setValue(kTextKey, text_->text());
  settings.setValue(kPositionKey,
                    QString::fromStdString(std::string(WatermarkPositionName(options.position))));
  settings.setValue(kSizeKey, options.size);
  settings.setValue(kColorKey, colorText_);
  settings.setValue(kOpacityKey, options.opacity);
  settings.setValue(kMarginKey, options.margin);
}

WatermarkOptions WatermarkPage::Options() const {
  WatermarkOptions options;
  options.enabled = enabled_->isChecked();
  options.text = text_->text().toStdString();
  options.position = static_cast<WatermarkPosition>(position_->currentIndex());
  options.size = size_->value();
  options.color = colorText_.toStdString();
  options.opacity = opacity_->value() / 100.0;
  options.margin = margin_->value();
  return options;
}

void WatermarkPage::SetColorChooser(std::function<QColor(const QColor&)> chooser) {
  colorChooser_ = std::move(chooser);
}

void WatermarkPage::ChooseColor() {
  QColor current(colorText_);
  QColor chosen = colorChooser_ ? colorChooser_(current)
                                : QColorDialog::getColor(current, this, "选择水印颜色");
  if (!chosen.isValid()) return;
  ShowColor(chosen.name());
  Changed();
}

void WatermarkPage::ShowColor(const QString& color) {
  colorText_ = color;
  color_->setIcon(Swatch(QColor(color)));
  color_->setText(" " + color);
}

void WatermarkPage::Changed() {
  // Only the check box stays usable while the watermark is off.
  for (QWidget* control :
       std::initializer_list<QWidget*>{text_, position_, size_, color_, opacity_, margin_}) {
    control->setEnabled(enabled_->isChecked());
  }
  preview_->SetOptions(Options());
  if (!loading_) Save();
}

}  // namespace mivora
