#include "effects/output_format.h"

#include <numeric>

namespace mivora {

std::string FrameSize(const OutputFormat& format, char separator) {
  return std::to_string(format.width) + separator + std::to_string(format.height);
}

std::string AspectText(const OutputFormat& format) {
  const int common = std::gcd(format.width, format.height);
  return std::to_string(format.width / common) + ":" + std::to_string(format.height / common);
}

std::string SegmentShape(const OutputFormat& format) {
  return "scale=" + FrameSize(format, ':') + ",setsar=1,format=" + std::string(format.pixelFormat);
}

std::string JoinShape(const OutputFormat& format) {
  return "scale=" + FrameSize(format, ':') + ",setsar=1,fps=" + std::to_string(format.fps) +
         ",format=" + std::string(format.pixelFormat);
}

std::string OutputEncoding(const OutputFormat& format) {
  return "-aspect " + AspectText(format) + " -s " + FrameSize(format) + " -pix_fmt " +
         std::string(format.pixelFormat) + " -vcodec libx264 -r:v " + std::to_string(format.fps) +
         " -preset medium -crf 30 -b:v " + std::to_string(format.bitRateKbps) + "k";
}

}  // namespace mivora
