// A small picture of how the watermark will look: a sample 9:16 frame drawn
// at a reduced scale with the text at its anchor, in the same font, size,
// colour and opacity the encoder will use on the output frame.
#pragma once

#include <QWidget>

#include "jobs/watermark.h"

namespace mivora {

class WatermarkPreview : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 270;  // the output frame at three eighths
  static constexpr int kHeight = 480;

  explicit WatermarkPreview(QWidget* parent);

  // Draws `options` from now on; a watermark that is turned off shows the
  // sample frame alone.
  void SetOptions(const WatermarkOptions& options);

  QSize sizeHint() const override { return {kWidth, kHeight}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  WatermarkOptions options_;
};

}  // namespace mivora
