// Filling an effect template with real paths and running it.
#include "effects/render_effect.h"

#include <system_error>
#include <vector>

#include "effects/canvas_fill.h"
#include "effects/effect_catalogue.h"
#include "runner/command_line.h"
#include "runner/placeholders.h"

namespace mivora {
namespace {

// Every placeholder of the catalogue's templates but the encoder's. `filterInput`
// is the input as written inside a filter graph.
std::vector<Placeholder> EffectFills(const std::string& input, const std::string& filterInput,
                                     const std::string& audio, const std::string& output) {
  return {
      {std::string(kMovieSourcePlaceholder), filterInput},
      {std::string(kAudioPlaceholder), audio},
      {std::string(kSourcePlaceholder), input},
      {std::string(kOutputPlaceholder), output},
  };
}

}  // namespace

ToolOutcome RenderEffect(const ToolEnv& env, std::string_view effectName,
                         const std::filesystem::path& input, const std::filesystem::path& output,
                         const std::filesystem::path& audio, const Canvas& canvas) {
  std::string source = ToolPath(input);
  // Each argument is filled in one scan, so a path that happens to contain a
  // placeholder's text is never filled a second time.
  return RunJudged(
      env, FitTemplateToCanvas(EffectTemplate(effectName), canvas),
      EffectFills(source, EscapeFilterPath(source), ToolPath(audio), ToolPath(output)));
}

std::string EffectCommandText(std::string_view effectName, const Canvas& canvas) {
  std::string commandTemplate = FitTemplateToCanvas(EffectTemplate(effectName), canvas);
  if (commandTemplate.empty()) return {};
  std::vector<std::string> args =
      BuildCommand(commandTemplate, EffectFills("<输入>", "<输入>", "<音频>", "<输出>"));
  for (std::string& arg : args) {
    if (arg == kEncoderPlaceholder) arg = "ffmpeg";
  }
  return ShellLine(args);
}

}  // namespace mivora
