#include "jobs/video_strip.h"

#include <algorithm>
#include <cstdio>

#include "runner/command_line.h"
#include "runner/media_info.h"
#include "runner/placeholders.h"

namespace mivora {
namespace {

std::string Fixed(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::filesystem::path Picture(const std::filesystem::path& folder, const std::string& stem,
                              int number) {
  return folder / (stem + "-" + std::to_string(number) + ".jpg");
}

}  // namespace

std::vector<std::filesystem::path> MakeStrip(const ToolEnv& env, const std::filesystem::path& video,
                                             double seconds, const std::filesystem::path& folder,
                                             const std::string& stem) {
  std::error_code error;
  for (int k = 1; k <= kStripPictures; ++k)
    std::filesystem::remove(Picture(folder, stem, k), error);
  std::string filters =
      "fps=" + std::to_string(kStripPictures) + "/" + Fixed(std::max(seconds, 0.1), "%.3f") +
      ",scale=" + std::to_string(kStripPictureWidth) + ":" + std::to_string(kStripPictureHeight);
  RunJudged(env, {std::string(kEncoderPlaceholder), "-nostdin", "-y", "-i", ToolPath(video), "-an",
                  "-vf", filters, "-frames:v", std::to_string(kStripPictures), "-q:v", "5",
                  (folder / (stem + "-%d.jpg")).string()});
  std::vector<std::filesystem::path> made;
  for (int k = 1; k <= kStripPictures; ++k) {
    if (std::filesystem::is_regular_file(Picture(folder, stem, k), error))
      made.push_back(Picture(folder, stem, k));
  }
  return made;
}

VideoFacts MeasureVideo(const ToolEnv& env, const std::filesystem::path& video,
                        const std::filesystem::path& folder, const std::string& stem) {
  VideoFacts facts;
  std::error_code error;
  if (video.empty() || !std::filesystem::is_regular_file(video, error)) return facts;
  const std::uintmax_t bytes = std::filesystem::file_size(video, error);
  facts.bytes = error ? 0 : bytes;
  facts.seconds = ProbeSource(env, video).seconds;
  facts.strip = MakeStrip(env, video, facts.seconds, folder, stem);
  return facts;
}

std::string LengthText(double seconds) {
  return Fixed(seconds, "%.1f 秒");
}

std::string SizeText(std::uintmax_t bytes) {
  if (bytes >= 1024 * 1024) return Fixed(static_cast<double>(bytes) / (1024 * 1024), "%.1f MB");
  return Fixed(static_cast<double>(bytes) / 1024, "%.1f KB");
}

}  // namespace mivora
