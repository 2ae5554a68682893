#include "support/media_maker.h"
#include "support/never_stopped.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "runner/run_capture.h"
#include "runner/text.h"
#include "support/process_probe.h"

namespace mivora::test {
namespace {

bool Encode(const std::vector<std::string>& args, std::string* log) {
  CaptureResult run = RunCapture(args, test::NeverStopped());
  if (log) *log = run.output;
  return run.output.find("muxing overhead:") != std::string::npos;
}

std::string Number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

}  // namespace

bool MakeClip(const std::filesystem::path& file, const ClipSpec& spec, std::string* log) {
  std::filesystem::create_directories(file.parent_path());
  std::string size = std::to_string(spec.width) + "x" + std::to_string(spec.height);
  std::vector<std::string> args = {
      "ffmpeg",
      "-y",
      "-hide_banner",
      "-f",
      "lavfi",
      "-i",
      spec.source + (spec.source.find('=') == std::string::npos ? "=" : ":") + "s=" + size +
          ":r=" + std::to_string(spec.fps) + ":d=" + Number(spec.seconds)};
  if (spec.audio) {
    args.insert(args.end(),
                {"-f", "lavfi", "-i", "sine=frequency=330:duration=" + Number(spec.seconds)});
  }
  args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
  if (spec.audio) args.insert(args.end(), {"-c:a", "aac", "-shortest"});
  args.push_back(file.string());
  return Encode(args, log);
}

bool MakeMedia(const std::filesystem::path& file, const std::vector<std::string>& arguments) {
  std::filesystem::create_directories(file.parent_path());
  std::vector<std::string> args = {"ffmpeg", "-y", "-hide_banner"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  args.push_back(file.string());
  return Encode(args, nullptr);
}

bool MakeImage(const std::filesystem::path& file, int width, int height) {
  std::filesystem::create_directories(file.parent_path());
  return Encode({"ffmpeg", "-y", "-hide_banner", "-f", "lavfi", "-i",
                 "testsrc2=s=" + std::to_string(width) + "x" + std::to_string(height) + ":d=1",
                 "-frames:v", "1", "-f", "image2", file.string()},
                nullptr);
}

bool MakeTone(const std::filesystem::path& file, double seconds, int frequencyHz) {
  std::filesystem::create_directories(file.parent_path());
  return Encode({"ffmpeg", "-y", "-hide_banner", "-f", "lavfi", "-i",
                 "sine=frequency=" + std::to_string(frequencyHz) + ":duration=" + Number(seconds),
                 "-c:a", "libmp3lame", file.string()},
                nullptr);
}

MediaInfo ReadMediaInfo(const std::filesystem::path& file) {
  MediaInfo info;
  CaptureResult run =
      RunCapture({"ffprobe", "-v", "error", "-count_frames", "-show_entries",
                  "stream=codec_type,codec_name,width,height,avg_frame_rate,nb_read_frames:"
                  "format=duration",
                  "-of", "default=nw=1", file.string()},
                 test::NeverStopped());
  std::istringstream lines(run.output);
  std::string line;
  bool video = false;
  while (std::getline(lines, line)) {
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    std::string value = line.substr(eq + 1);
    if (key == "codec_name") {
      info.videoCodec = info.videoCodec.empty() ? value : info.videoCodec;
    } else if (key == "codec_type") {
      video = value == "video";
      if (value == "audio") info.hasAudio = true;
    } else if (key == "width" && video) {
      info.width = std::atoi(value.c_str());
    } else if (key == "height" && video) {
      info.height = std::atoi(value.c_str());
    } else if (key == "avg_frame_rate" && video) {
      auto slash = value.find('/');
      double den = slash == std::string::npos ? 1 : std::atof(value.substr(slash + 1).c_str());
      if (den > 0) info.fps = std::atof(value.c_str()) / den;
    } else if (key == "nb_read_frames" && video) {
      info.frames = std::atoi(value.c_str());
    } else if (key == "duration") {
      info.seconds = std::atof(value.c_str());
    }
  }
  // ffprobe lists streams in file order; keep the video codec's name.
  CaptureResult codec =
      RunCapture({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                  "stream=codec_name", "-of", "default=nw=1:nk=1", file.string()},
                 test::NeverStopped());
  auto end = codec.output.find('\n');
  info.videoCodec = codec.output.substr(0, end);
  return info;
}

bool ProcessRunning(const std::string& needle) {
  return !FindProcesses({needle}).empty();
}

}  // namespace mivora::test
