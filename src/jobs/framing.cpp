#include "jobs/framing.h"

#include <array>
#include <cmath>
#include <utility>

#include "effects/output_format.h"
#include "jobs/name_table.h"
#include "runner/command_line.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr NameTable<FitMode, 3> kNames({{
    {FitMode::kBlur, "blur"},
    {FitMode::kCover, "cover"},
    {FitMode::kStretch, "stretch"},
}});

// Both canvases are 9:16.
constexpr double kFrameAspect = static_cast<double>(kBaseCanvas.width) / kBaseCanvas.height;

// A scale to `width`x`height` that keeps the picture's shape (`dar` counts
// its pixel shape) and either covers the box or fits inside it; sizes are
// rounded up to even numbers, so a cover is never short of the box.
std::string KeepShapeScale(int width, int height, bool cover) {
  std::string w = std::to_string(width);
  std::string h = std::to_string(height);
  std::string wider = "gt(dar," + w + "/" + h + ")";
  std::string widthFromHeight = "ceil(" + h + "*dar/2)*2";
  std::string heightFromWidth = "ceil(" + w + "/dar/2)*2";
  if (cover) {
    return "scale=w='if(" + wider + "," + widthFromHeight + "," + w + ")':h='if(" + wider + "," +
           h + "," + heightFromWidth + ")'";
  }
  return "scale=w='if(" + wider + "," + w + "," + widthFromHeight + ")':h='if(" + wider + "," +
         heightFromWidth + "," + h + ")'";
}

std::string Label(std::string_view name) {
  return "[" + std::string(name) + "]";
}

}  // namespace

std::optional<FitMode> ParseFitMode(std::string_view name) {
  return kNames.Parse(name);
}

std::string_view FitModeName(FitMode mode) {
  return kNames.NameOf(mode);
}

std::vector<std::string> FitModeNames() {
  return kNames.Names();
}

bool NeedsFraming(double displayAspect) {
  if (!std::isfinite(displayAspect) || displayAspect <= 0) return false;
  return std::abs(displayAspect / kFrameAspect - 1) > 0.02;
}

std::string FramingGraph(FitMode mode, std::string_view input, std::string_view output,
                         std::string_view prefix, const Canvas& frame) {
  const std::string size = FrameSize(frame, ':');
  switch (mode) {
    case FitMode::kStretch:
      return Label(input) + "scale=" + size + ",setsar=1" + Label(output);
    case FitMode::kCover:
      return Label(input) + KeepShapeScale(frame.width, frame.height, true) + ",crop=" + size +
             ",setsar=1" + Label(output);
    case FitMode::kBlur:
      break;
  }
  std::string back = std::string(prefix) + "back";
  std::string front = std::string(prefix) + "front";
  std::string blurred = std::string(prefix) + "blurred";
  std::string fitted = std::string(prefix) + "fitted";
  // The backdrop is blurred at a quarter of the size, where the blur costs a
  // sixteenth, and only then brought up to the frame.
  const Canvas quarter{frame.width / 4, frame.height / 4};
  return Label(input) + "split" + Label(back) + Label(front) + ";" + Label(back) +
         KeepShapeScale(quarter.width, quarter.height, true) + ",crop=" + FrameSize(quarter, ':') +
         ",format=" + std::string(frame.pixelFormat) +
         ",boxblur=" + std::to_string(ScaledPixels(frame, 10)) +
         ":2,lutyuv=y=val*0.6,scale=" + size + ",setsar=1" + Label(blurred) + ";" +
         Label(front) + KeepShapeScale(frame.width, frame.height, false) + ",setsar=1" +
         Label(fitted) + ";" + Label(blurred) + Label(fitted) + "overlay=(W-w)/2:(H-h)/2" +
         Label(output);
}

std::vector<std::string> FramingEncodeArgs(FitMode mode, const std::filesystem::path& source,
                                           const std::filesystem::path& output,
                                           const Canvas& canvas) {
  return {std::string(kEncoderPlaceholder),
          "-y",
          "-i",
          ToolPath(source),
          "-filter_complex",
          FramingGraph(mode, "0:v", "framed", "fit_", canvas),
          "-map",
          "[framed]",
          "-map",
          "0:a:0?",
          "-c:v",
          "libx264",
          "-preset",
          "veryfast",
          "-crf",
          "18",
          "-pix_fmt",
          std::string(canvas.pixelFormat),
          "-c:a",
          "aac",
          "-b:a",
          "192k",
          ToolPath(output)};
}

std::vector<std::string> FramedImageArgs(FitMode mode, const std::filesystem::path& image,
                                         const std::filesystem::path& output,
                                         const Canvas& canvas) {
  // The picture is read by its content, whatever its name says (a PNG named
  // .jpg), and a damaged one stops the decoder instead of giving a grey
  // picture; the output is one picture, never a numbered series.
  return {std::string(kEncoderPlaceholder),
          "-y",
          "-err_detect",
          "explode",
          "-xerror",
          "-i",
          ToolPath(image),
          "-filter_complex",
          FramingGraph(mode, "0:v", "framed", "fit_", canvas),
          "-map",
          "[framed]",
          "-frames:v",
          "1",
          "-update",
          "1",
          ToolPath(output)};
}

}  // namespace mivora
