#include "app/qt/watermark_preview.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "effects/output_format.h"

namespace mivora {
namespace {

constexpr double kScale = static_cast<double>(WatermarkPreview::kWidth) / kDefaultCanvas.width;

// Something like a frame of a short video: sky, sun and hills.
void PaintSampleFrame(QPainter& painter, const QRect& frame) {
  QLinearGradient sky(frame.topLeft(), frame.bottomLeft());
  sky.setColorAt(0, QColor(0x3b, 0x6e, 0xc9));
  sky.setColorAt(0.6, QColor(0xf2, 0xa6, 0x5a));
  sky.setColorAt(1, QColor(0xf6, 0xd3, 0x8c));
  painter.fillRect(frame, sky);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xff, 0xf1, 0xc1));
  painter.drawEllipse(QPointF(frame.width() * 0.68, frame.height() * 0.42), 34, 34);
  QPainterPath hills(QPointF(0, frame.height() * 0.72));
  hills.cubicTo(frame.width() * 0.3, frame.height() * 0.62, frame.width() * 0.6,
                frame.height() * 0.8, frame.width(), frame.height() * 0.68);
  hills.lineTo(frame.width(), frame.height());
  hills.lineTo(0, frame.height());
  hills.closeSubpath();
  painter.setBrush(QColor(0x2f, 0x5d, 0x3a));
  painter.drawPath(hills);
}

// The encoder's anchor arithmetic: margin, centred, or margin from the far edge.
double Edge(int place, double frame, double text, double margin) {
  if (place == 0) return margin;
  if (place == 1) return (frame - text) / 2;
  return frame - text - margin;
}

}  // namespace

WatermarkPreview::WatermarkPreview(QWidget* parent) : QWidget(parent) {
  setObjectName("水印预览");
  setFixedSize(kWidth, kHeight);
}

void WatermarkPreview::SetOptions(const WatermarkOptions& options) {
  options_ = options;
  update();
}

void WatermarkPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintSampleFrame(painter, rect());
  if (!options_.enabled || options_.text.empty()) return;

  QFont font("Noto Sans CJK SC");
  font.setPixelSize(std::max(1, static_cast<int>(options_.size * kScale + 0.5)));
  painter.setFont(font);
  QFontMetricsF metrics(font);
  QString text = QString::fromStdString(options_.text);
  double textWidth = metrics.horizontalAdvance(text);
  double textHeight = metrics.ascent() + metrics.descent();
  int index = static_cast<int>(options_.position);
  double margin = options_.margin * kScale;
  double x = Edge(index % 3, width(), textWidth, margin);
  double y = Edge(index / 3, height(), textHeight, margin);
  QColor color(QString::fromStdString(options_.color));
  if (!color.isValid()) color = Qt::white;
  color.setAlphaF(static_cast<float>(options_.opacity >= 0 ? std::min(options_.opacity, 1.0) : 0));
  painter.setPen(color);
  painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

}  // namespace mivora
