// Rendering one effect of the catalogue from one file into another through the
// judged tool runner. The command line's render-effect and the segment pass
// both use it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "effects/output_format.h"
#include "runner/tool.h"

namespace mivora {

// Fills the effect's template (source inputs, movie sources inside the graph,
// the looped audio, the output) with absolute paths and runs it. Returns the
// outcome; a success only when the encoder finished. An unknown effect name
// runs nothing and is never a success.
ToolOutcome RenderEffect(const ToolEnv& env, std::string_view effectName,
                         const std::filesystem::path& input, const std::filesystem::path& output,
                         const std::filesystem::path& audio, const Canvas& canvas = kBaseCanvas);

// The command RenderEffect runs for the effect, for a person to read: one
// line a POSIX shell splits into the same arguments, with "<输入>", "<音频>" and
// "<输出>" in place of the input, audio and output, and the encoder as
// "ffmpeg". The empty text for an unknown name.
std::string EffectCommandText(std::string_view effectName, const Canvas& canvas = kBaseCanvas);

}  // namespace mivora
