// Filling an effect template with real paths and running it.
#include "effects/render_effect.h"

#include <system_error>
#include <vector>

#include "effects/effect_catalogue.h"
#include "runner/command_line.h"
#include "runner/placeholders.h"

namespace mivora {
ToolOutcome RenderEffect(const ToolEnv& env, std::string_view effectName,
                         const std::filesystem::path& input, const std::filesystem::path& output,
                         const std::filesystem::path& audio) {
  std::string source = ToolPath(input);
  // Each argument is filled in one scan, so a path that happens to contain a
  // placeholder's text is never filled a second time.
  std::vector<Placeholder> fills = {
      {std::string(kMovieSourcePlaceholder), EscapeFilterPath(source)},
      {std::string(kAudioPlaceholder), ToolPath(audio)},
      {std::string(kSourcePlaceholder), source},
      {std::string(kOutputPlaceholder), ToolPath(output)},
  };
  return RunJudged(env, EffectTemplate(effectName), fills);
}

}  // namespace mivora
