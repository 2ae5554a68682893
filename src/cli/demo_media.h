// The demo's home folder: sample media made with the encoder's built-in
// sources, laid out in the folders the imports read, so a new user sees the
// whole pipeline run without bringing any media of their own.
#pragma once

#include <filesystem>
#include <string>

#include "runner/run_token.h"

namespace mivora {

// The folder of the demo's two audio files under its home.
inline constexpr char kDemoAudioFolder[] = "音频";

// Makes every sample file under `home` (which must exist): two source videos
// of different sizes and lengths, a still image, an intro, an outro, a
// black-screen and a green-screen overlay clip and two audio files. Returns
// the empty text, or what went wrong (the encoder's last lines included).
std::string MakeDemoMedia(const std::filesystem::path& home, RunToken& token);

}  // namespace mivora
