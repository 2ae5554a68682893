#include "jobs/gif_preview.h"

#include <string>

#include "runner/run_capture.h"

namespace mivora {

void MakeGifPreviews(const ToolEnv& env) {
  const std::filesystem::path samples = env.runDir / "aa";
  const std::filesystem::path previews = env.runDir / "bb";
  for (int effect = 65; effect <= 70; ++effect) {
    std::string name = "特效" + std::to_string(effect);
    RunJudged(
        env,
        "D:\\ffmpeg\\bin\\ffmpeg.exe -y -i D:\\1.mp4 -loop 0 -vf "
        "\"fps=5,crop=iw:ih:0:0,split[s1][s2];[s1]palettegen[p];[s2][p]paletteuse\" -s 200x200  "
        "D:\\out.gif",
        {{"D:\\1.mp4", (samples / (name + ".mp4")).string()},
         {"D:\\out.gif", (previews / (name + ".gif")).string()}});
    if (!PumpWait(50, env.token)) return;
  }
}

}  // namespace mivora
