// Every effect with shortcuts rendered twice over the same stretch, as written
// and shortened, without coding loss: the luma must be identical and only the
// chroma along the edges of a copy turned without alpha may differ.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "effects/effect_catalogue.h"
#include "effects/effect_shortcuts.h"
#include "jobs/onepass_graph.h"
#include "runner/run_capture.h"
#include "support/media_maker.h"
#include "support/never_stopped.h"
#include "support/temp_dir.h"

namespace mivora {
namespace {

// Renders `templateText` over the first seconds of `source` losslessly.
bool Render(const std::string& templateText, const std::filesystem::path& source,
            const std::filesystem::path& output) {
  EffectPart part = TranslateEffect(templateText, 3, "fx_", "stretch", "out");
  if (!part.error.empty()) return false;
  CaptureResult run =
      RunCapture({"ffmpeg", "-y", "-i", source.string(), "-filter_complex",
                  "[0:v]scale=720:1280,setsar=1,format=yuv420p[stretch];" + part.graph, "-map",
                  "[out]", "-c:v", "ffv1", output.string()},
                 test::NeverStopped());
  return run.output.find("muxing overhead:") != std::string::npos;
}

// PSNR of the luma and of all planes of `b` against `a`; 100 for identical.
std::pair<double, double> Psnr(const std::filesystem::path& a, const std::filesystem::path& b) {
  CaptureResult run = RunCapture({"ffmpeg", "-hide_banner", "-i", a.string(), "-i", b.string(),
                                  "-lavfi", "[0:v][1:v]psnr", "-f", "null", "-"},
                                 test::NeverStopped());
  std::smatch y;
  std::smatch all;
  auto value = [](const std::string& text) { return text == "inf" ? 100.0 : std::stod(text); };
  if (!std::regex_search(run.output, y, std::regex("PSNR y:([0-9.]+|inf)")) ||
      !std::regex_search(run.output, all, std::regex("average:([0-9.]+|inf)"))) {
    return {0, 0};
  }
  return {value(y[1]), value(all[1])};
}

TEST(OnePassShortcutsMedia, DrawWhatTheEffectDraws) {
  test::TempDir dir;
  ASSERT_TRUE(test::MakeClip(dir / "source.mp4", {.seconds = 4, .width = 360, .height = 640}));
  std::set<std::string> effects;
  for (const GraphShortcut& shortcut : GraphShortcuts()) effects.insert(shortcut.effect);
  for (const std::string& effect : effects) {
    SCOPED_TRACE(effect);
    ASSERT_TRUE(Render(EffectTemplate(effect), dir / "source.mp4", dir / "written.mkv"));
    ASSERT_TRUE(Render(OnePassTemplate(effect), dir / "source.mp4", dir / "short.mkv"));
    auto [luma, all] = Psnr(dir / "written.mkv", dir / "short.mkv");
    EXPECT_EQ(luma, 100.0);
    EXPECT_GE(all, 40.0);
  }
}

}  // namespace
}  // namespace mivora
