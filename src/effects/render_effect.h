// Rendering one effect of the catalogue from one file into another through the
// judged tool runner. The command line's render-effect and the segment pass
// both use it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "runner/tool.h"

namespace mivora {

// Fills the effect's template (source inputs, movie sources inside the graph,
// the looped audio, the output) with absolute paths and runs it. Returns the
// outcome; a success only when the encoder finished. An unknown effect name
// runs nothing and is never a success.
ToolOutcome RenderEffect(const ToolEnv& env, std::string_view effectName,
                         const std::filesystem::path& input, const std::filesystem::path& output,
                         const std::filesystem::path& audio);

}  // namespace mivora
