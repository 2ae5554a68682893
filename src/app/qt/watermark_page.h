// The "文本水印" page: turning the text watermark on, its text, position,
// size, colour, opacity and margin, and a live preview. Every control is
// remembered under "watermark/..." in the program's settings: read when the
// page is built, written whenever a control changes.
#pragma once

#include <QColor>
#include <QWidget>
#include <functional>

#include "jobs/watermark.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace mivora {

// The anchors as the window names them, in the order of the positions, left
// to right and top to bottom; the title page offers the same.
inline constexpr const char* kPositionCaptions[] = {
    "左上", "顶部居中", "右上", "左侧居中", "正中", "右侧居中", "左下", "底部居中", "右下"};

class WatermarkPreview;

class WatermarkPage : public QWidget {
  Q_OBJECT

 public:
  // Placed on `page`, below the tab bar.
  explicit WatermarkPage(QWidget* page);

  // What the controls show, whether the watermark is turned on or not.
  WatermarkOptions Options() const;

  // Where the colour button asks for a colour (given the current one); the
  // default is the colour dialog. An invalid answer means cancelled.
  void SetColorChooser(std::function<QColor(const QColor&)> chooser);

 private:
  void BuildControls();
  void Load();
  void Save() const;
  void ChooseColor();
  void ShowColor(const QString& color);
  void Changed();

  QCheckBox* enabled_ = nullptr;
  QLineEdit* text_ = nullptr;
  QComboBox* position_ = nullptr;
  QSpinBox* size_ = nullptr;
  QPushButton* color_ = nullptr;
  QSpinBox* opacity_ = nullptr;  // percent
  QSpinBox* margin_ = nullptr;
  WatermarkPreview* preview_ = nullptr;
  QString colorText_;  // as the encoder takes it: "#rrggbb" or a colour name
  std::function<QColor(const QColor&)> colorChooser_;
  bool loading_ = false;
};

}  // namespace mivora
