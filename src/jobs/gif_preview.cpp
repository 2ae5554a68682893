#include "jobs/gif_preview.h"

#include <string>

#include "effects/effect_catalogue.h"
#include "runner/placeholders.h"
#include "runner/run_capture.h"

namespace mivora {
namespace {

// Only the last effects of the catalogue have sample clips to preview.
constexpr int kFirstPreviewedEffect = 65;

}  // namespace

void MakeGifPreviews(const ToolEnv& env) {
  const std::filesystem::path samples = env.runDir / "aa";
  const std::filesystem::path previews = env.runDir / "bb";
  for (int effect = kFirstPreviewedEffect; effect <= kEffectCount; ++effect) {
    std::string name = EffectName(effect);
    RunJudged(env,
              std::string(kEncoderPlaceholder) + " -y -i " + std::string(kSourcePlaceholder) +
                  " -loop 0 -vf "
                  "\"fps=5,crop=iw:ih:0:0,split[s1][s2];[s1]palettegen[p];[s2][p]paletteuse\" -s "
                  "200x200  " +
                  std::string(kGifOutputPlaceholder),
              {{std::string(kSourcePlaceholder), (samples / (name + ".mp4")).string()},
               {std::string(kGifOutputPlaceholder), (previews / (name + ".gif")).string()}});
    if (!PumpWait(50, env.token)) return;
  }
}

}  // namespace mivora
