// The effect catalogue: seventy named effects "特效1" to "特效70", each with its
// length in whole seconds and the encoder command template that renders that
// many seconds of a source through the effect into a 720x1280 clip.
#pragma once

#include <string>
#include <string_view>

namespace mivora {

// How many effects the catalogue holds: "特效1" to "特效<kEffectCount>". The
// table itself is sized by this number, so a row added or missing does not build.
inline constexpr int kEffectCount = 70;

// "特效<number>", for 1 to kEffectCount.
std::string EffectName(int number);

// The effect's duration ("1" to "4"), or the empty text when `name` is not
// exactly one of the seventy names.
std::string EffectDuration(std::string_view name);

// The effect's command template with its placeholders ("D:\ffmpeg\bin\ffmpeg.exe",
// "D:\1.mp4", "D\\:/1.mp4", "D:\1.mp3", "D:\out.mp4"), or the empty text when
// `name` is not exactly one of the seventy names.
std::string EffectTemplate(std::string_view name);

// Whether the effect's template lays the looped audio ("D:\1.mp3") under its
// clip; false for a name that is none of the effects.
bool EffectNeedsAudio(std::string_view name);

}  // namespace mivora
