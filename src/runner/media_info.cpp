#include "runner/media_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "runner/run_capture.h"
#include "runner/text.h"

namespace mivora {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    begin = end + 1;
  }
  return lines;
}

std::string_view TrimStart(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// A positive count at the start of `text`; advances `text` past it.
std::optional<int> TakeCount(std::string_view& text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || value <= 0) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

std::optional<double> TakeNumber(std::string_view text) {
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

// The stream's fields: split at the commas outside parentheses and brackets,
// since a pixel format like "yuvj420p(pc, bt470bg/unknown/unknown)" holds
// commas of its own.
std::vector<std::string_view> Fields(std::string_view description) {
  std::vector<std::string_view> fields;
  int depth = 0;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= description.size(); ++i) {
    char c = i < description.size() ? description[i] : ',';
    if (c == '(' || c == '[') ++depth;
    if ((c == ')' || c == ']') && depth > 0) --depth;
    if (c == ',' && depth == 0) {
      fields.push_back(TrimStart(description.substr(begin, i - begin)));
      begin = i + 1;
    }
  }
  return fields;
}

// "1920x1080" or "1920x1080 [SAR 4:3 DAR 16:9]".
bool ReadSizeField(std::string_view field, VideoShape& shape) {
  std::optional<int> width = TakeCount(field);
  if (!width || field.empty() || field.front() != 'x') return false;
  field.remove_prefix(1);
  std::optional<int> height = TakeCount(field);
  if (!height || !(field.empty() || field.front() == ' ')) return false;
  shape.width = *width;
  shape.height = *height;
  std::size_t sar = field.find("SAR ");
  if (sar != std::string_view::npos) {
    std::string_view ratio = field.substr(sar + 4);
    std::optional<int> num = TakeCount(ratio);
    if (num && !ratio.empty() && ratio.front() == ':') {
      ratio.remove_prefix(1);
      std::optional<int> den = TakeCount(ratio);
      if (den) {
        shape.sarNum = *num;
        shape.sarDen = *den;
      }
    }
  }
  return true;
}

int QuarterTurns(double degrees) {
  long turns = std::lround(degrees / 90.0) % 4;
  return static_cast<int>(turns < 0 ? turns + 4 : turns);
}

// The rotation written in the stream's following lines, up to the next stream.
int ReadRotation(const std::vector<std::string_view>& lines, std::size_t streamLine) {
  constexpr std::string_view kMatrix = "displaymatrix: rotation of ";
  std::optional<double> matrix;
  std::optional<double> tag;
  for (std::size_t i = streamLine + 1; i < lines.size(); ++i) {
    std::string_view line = TrimStart(lines[i]);
    // Stream details are indented deeper than the stream line; anything at
    // its depth or above belongs elsewhere.
    if (lines[i].size() - line.size() <= 2) break;
    if (line.starts_with(kMatrix)) {
      matrix = TakeNumber(line.substr(kMatrix.size()));
    } else if (line.starts_with("rotate ")) {
      std::size_t colon = line.find(':');
      if (colon != std::string_view::npos) tag = TakeNumber(TrimStart(line.substr(colon + 1)));
    }
  }
  if (matrix) return QuarterTurns(*matrix) * 90;
  if (tag) return QuarterTurns(*tag) * 90;
  return 0;
}

// Camera files carry PCM audio in QuickTime; an MP4 holds none of it as is.
bool AudioNeedsEncoding(std::string_view captured) {
  constexpr std::string_view kAudio = ": Audio: ";
  for (std::string_view line : Lines(captured)) {
    line = TrimStart(line);
    std::size_t audio = line.find(kAudio);
    if (!line.starts_with("Stream #") || audio == std::string_view::npos) continue;
    std::string_view codec = line.substr(audio + kAudio.size());
    if (codec.starts_with("pcm_") || codec.starts_with("adpcm_")) return true;
  }
  return false;
}

}  // namespace

double VideoShape::DisplayAspect() const {
  if (width <= 0 || height <= 0 || sarNum <= 0 || sarDen <= 0) return 0;
  double aspect = static_cast<double>(width) * sarNum / (static_cast<double>(height) * sarDen);
  return rotationDegrees % 180 == 90 ? 1 / aspect : aspect;
}

std::optional<VideoShape> ParseVideoShape(std::string_view captured) {
  constexpr std::string_view kVideo = ": Video: ";
  std::vector<std::string_view> lines = Lines(captured);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = TrimStart(lines[i]);
    std::size_t video = line.find(kVideo);
    if (!line.starts_with("Stream #") || video == std::string_view::npos) continue;
    if (line.find("(attached pic)") != std::string_view::npos) continue;
    VideoShape shape;
    bool sized = false;
    for (std::string_view field : Fields(line.substr(video + kVideo.size()))) {
      if (ReadSizeField(field, shape)) {
        sized = true;
        break;
      }
    }
    if (!sized) return std::nullopt;
    shape.rotationDegrees = ReadRotation(lines, i);
    return shape;
  }
  return std::nullopt;
}

std::optional<VideoShape> ProbeVideoShape(const ToolEnv& env, const std::filesystem::path& file) {
  CaptureResult run = RunCapture(
      {ResolveTool(env.runDir, "ffmpeg"), "-hide_banner", "-i", ToolPath(file)}, env.token);
  if (run.cancelled) return std::nullopt;
  return ParseVideoShape(run.output);
}

SourceInfo ParseSourceInfo(std::string_view captured) {
  bool audio = false;
  bool video = false;
  for (std::string_view line : Lines(captured)) {
    line = TrimStart(line);
    if (!line.starts_with("Stream #")) continue;
    audio = audio || line.find(": Audio: ") != std::string_view::npos;
    video = video || (line.find(": Video: ") != std::string_view::npos &&
                      line.find("(attached pic)") == std::string_view::npos);
  }
  return {ParseDurationSeconds(captured),
          ParseVideoShape(captured),
          AudioNeedsEncoding(captured),
          audio && !video,
          captured.find("Estimating duration from bitrate") != std::string_view::npos,
          audio};
}

double ParseFrameListSeconds(std::string_view listing) {
  constexpr std::string_view kTimeBase = "#tb 0: ";
  double unit = 0;
  std::optional<long long> first;
  long long end = 0;
  for (std::string_view line : Lines(listing)) {
    if (line.starts_with(kTimeBase)) {
      std::string_view ratio = line.substr(kTimeBase.size());
      std::optional<int> num = TakeCount(ratio);
      if (num && !ratio.empty() && ratio.front() == '/') {
        ratio.remove_prefix(1);
        if (std::optional<int> den = TakeCount(ratio)) unit = static_cast<double>(*num) / *den;
      }
      continue;
    }
    std::vector<std::string> fields = SplitText(line, ",");
    if (fields.size() < 4 || TrimStart(fields[0]) != "0") continue;
    long long pts = 0;
    long long duration = 0;
    std::string_view ptsText = TrimStart(fields[2]);
    std::string_view durationText = TrimStart(fields[3]);
    if (std::from_chars(ptsText.data(), ptsText.data() + ptsText.size(), pts).ec != std::errc() ||
        std::from_chars(durationText.data(), durationText.data() + durationText.size(), duration)
                .ec != std::errc()) {
      continue;
    }
    first = first ? std::min(*first, pts) : pts;
    end = std::max(end, pts + duration);
  }
  if (!first || end <= *first) return 0;
  return static_cast<double>(end - *first) * unit;
}

double ProbeVideoSeconds(const ToolEnv& env, const std::filesystem::path& file) {
  CaptureResult run =
      RunCapture({ResolveTool(env.runDir, "ffmpeg"), "-v", "error", "-nostats", "-i",
                  ToolPath(file), "-map", "0:v:0", "-c", "copy", "-f", "framecrc", "-"},
                 env.token);
  if (run.cancelled) return 0;
  return ParseFrameListSeconds(run.output);
}

SourceInfo ProbeSource(const ToolEnv& env, const std::filesystem::path& file) {
  CaptureResult run =
      RunCapture({ResolveTool(env.runDir, "ffmpeg"), "-i", file.string()}, env.token);
  if (run.cancelled) return {};
  return ParseSourceInfo(run.output);
}

}  // namespace mivora
