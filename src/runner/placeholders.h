// The placeholders of the command templates. Every template is written with
// these fixed texts where a tool or a file goes; a run fills each of them in
// its own argument with a real path, so a path is never read as syntax.
#pragma once

#include <string_view>

namespace mivora {

inline constexpr std::string_view kEncoderPlaceholder = R"(D:\ffmpeg\bin\ffmpeg.exe)";

inline constexpr std::string_view kSourcePlaceholder = R"(D:\1.mp4)";
// The source inside a filter graph's movie= source, escaped as graphs write it.
inline constexpr std::string_view kMovieSourcePlaceholder = R"(D\\:/1.mp4)";
inline constexpr std::string_view kAudioPlaceholder = R"(D:\1.mp3)";
inline constexpr std::string_view kImagePlaceholder = R"(D:\1.jpg)";
inline constexpr std::string_view kOutputPlaceholder = R"(D:\out.mp4)";
inline constexpr std::string_view kGifOutputPlaceholder = R"(D:\out.gif)";

}  // namespace mivora
