#include "cli/demo_media.h"

#include <vector>

#include "effects/output_format.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "runner/tool.h"

namespace mivora {
namespace {

struct SampleFile {
  const char* folder;
  const char* name;
  std::vector<std::string> args;  // between the encoder and the output file
};

const std::vector<std::string> kH264 = {"-c:v",     "libx264",  "-preset",
                                        "veryfast", "-pix_fmt", "yuv420p"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<SampleFile> SampleFiles() {
  // Overlay clips: mostly the key colour, with something bright moving over
  // it, so the keyed result shows what the overlay does.
  const std::string moving = "overlay=x='(W-w)*abs(sin(t))':y='(H-h)*t/4'";
  // Intro, outro and overlays come at the frame of a finished video.
  const std::string frame =
      "s=" + FrameSize(kDefaultCanvas) + ":r=" + std::to_string(kDefaultCanvas.fps);
  return {
      {kTestVideoFolder, "sample-landscape-9s.mp4",
       Join({"-f", "lavfi", "-i", "testsrc2=s=1280x720:r=30:d=9", "-f", "lavfi", "-i",
             "sine=frequency=440:duration=9"},
            Join(kH264, {"-c:a", "aac", "-shortest"}))},
      {kTestVideoFolder, "sample-bars-6s.mp4",
       Join({"-f", "lavfi", "-i", "smptehdbars=s=640x480:r=25:d=6", "-f", "lavfi", "-i",
             "sine=frequency=660:duration=6"},
            Join(kH264, {"-c:a", "aac", "-shortest"}))},
      {kTestImageFolder,
       "sample-still.jpg",
       {"-f", "lavfi", "-i", "mandelbrot=s=1080x1080", "-frames:v", "1", "-f", "image2"}},
      {kIntroFolder, "intro.mp4",
       Join({"-f", "lavfi", "-i", "mandelbrot=" + frame, "-t", "2"}, kH264)},
      {kOutroFolder, "outro.mp4",
       Join({"-f", "lavfi", "-i", "rgbtestsrc=" + frame + ":d=2"}, kH264)},
      {kBlackScreenFolder, "black-sparkle.mp4",
       Join({"-f", "lavfi", "-i", "color=c=black:" + frame + ":d=4", "-f", "lavfi", "-i",
             "testsrc2=s=200x200:r=30:d=4", "-filter_complex", "[0:v][1:v]" + moving},
            kH264)},
      {kGreenScreenFolder, "green-bars.mp4",
       Join({"-f", "lavfi", "-i", "color=c=0x00FF00:" + frame + ":d=4", "-f", "lavfi", "-i",
             "smptebars=s=240x160:r=30:d=4", "-filter_complex", "[0:v][1:v]" + moving},
            kH264)},
      {kDemoAudioFolder,
       "tone-a.mp3",
       {"-f", "lavfi", "-i", "sine=frequency=440:beep_factor=4:duration=12", "-c:a", "libmp3lame"}},
      {kDemoAudioFolder,
       "tone-b.mp3",
       {"-f", "lavfi", "-i", "sine=frequency=523:beep_factor=2:duration=8", "-c:a", "libmp3lame"}},
  };
}

std::string LastLines(const std::string& text, int count) {
  std::size_t at = text.size();
  while (count-- > 0 && at > 0) {
    std::size_t previous = text.rfind('\n', at - 1);
    at = previous == std::string::npos ? 0 : previous;
  }
  return text.substr(at);
}

}  // namespace

std::string MakeDemoMedia(const std::filesystem::path& home, RunToken& token) {
  std::string encoder = ResolveTool(home, "ffmpeg");
  for (const SampleFile& sample : SampleFiles()) {
    std::filesystem::path folder = home / sample.folder;
    EnsureFolder(folder);
    std::vector<std::string> argv = {encoder, "-y", "-hide_banner"};
    argv.insert(argv.end(), sample.args.begin(), sample.args.end());
    argv.push_back((folder / sample.name).string());
    CaptureResult run = RunCapture(argv, token);
    if (run.cancelled) {
      DeleteWorkFile(folder / sample.name);
      return "已停止";
    }
    if (ClassifyOutput(run.output) != kOutputSucceeded) {
      DeleteWorkFile(folder / sample.name);
      return "无法生成示例文件 " + (folder / sample.name).string() + "：" +
             LastLines(run.output, 3);
    }
  }
  return {};
}

}  // namespace mivora
