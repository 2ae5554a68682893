// GIF previews of the effect sample clips: RunDir "/aa/特效<i>.mp4" becomes
// RunDir "/bb/特效<i>.gif" for effects 65 to the last of the catalogue.
#pragma once

#include "runner/tool.h"

namespace mivora {

// Runs the six conversions in ascending order; failures are not reported
// (the output box shows the last conversion's console text).
void MakeGifPreviews(const ToolEnv& env);

}  // namespace mivora
