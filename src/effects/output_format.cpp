#include "effects/output_format.h"

#include <cmath>
#include <numeric>

namespace mivora {

std::optional<Canvas> ParseCanvasSize(std::string_view text) {
  for (const Canvas& canvas : {kBaseCanvas, kLargeCanvas}) {
    if (text == FrameSize(canvas)) return canvas;
  }
  return std::nullopt;
}

std::vector<std::string> CanvasSizeNames() {
  return {FrameSize(kBaseCanvas), FrameSize(kLargeCanvas)};
}

double CanvasFactor(const Canvas& canvas) {
  return static_cast<double>(canvas.width) / kBaseCanvas.width;
}

int ScaledPixels(const Canvas& canvas, int pixels) {
  return static_cast<int>(std::lround(pixels * CanvasFactor(canvas)));
}

std::string FrameSize(const Canvas& format, char separator) {
  return std::to_string(format.width) + separator + std::to_string(format.height);
}

std::string AspectText(const Canvas& format) {
  const int common = std::gcd(format.width, format.height);
  return std::to_string(format.width / common) + ":" + std::to_string(format.height / common);
}

std::string SegmentShape(const Canvas& format) {
  return "scale=" + FrameSize(format, ':') + ",setsar=1,format=" + std::string(format.pixelFormat);
}

std::string JoinShape(const Canvas& format) {
  return "scale=" + FrameSize(format, ':') + ",setsar=1,fps=" + std::to_string(format.fps) +
         ",format=" + std::string(format.pixelFormat);
}

std::string OutputEncoding(const Canvas& format) {
  return "-aspect " + AspectText(format) + " -s " + FrameSize(format) + " -pix_fmt " +
         std::string(format.pixelFormat) + " -vcodec libx264 -r:v " + std::to_string(format.fps) +
         " -preset medium -crf 30 -b:v " + std::to_string(format.bitRateKbps) + "k";
}

}  // namespace mivora
