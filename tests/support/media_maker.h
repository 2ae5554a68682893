// Tiny media made with the encoder's built-in sources, for tests that need the
// real encoder. Nothing is downloaded.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mivora::test {

struct ClipSpec {
  double seconds = 3;
  int width = 720;
  int height = 1280;
  int fps = 30;
  bool audio = true;
  std::string source = "testsrc2";  // any lavfi video source name
};

// Writes an H.264/AAC .mp4 clip; returns false (with the encoder's text in
// `log`, when given) if the encoder failed.
bool MakeClip(const std::filesystem::path& file, const ClipSpec& spec, std::string* log = nullptr);
// A still image (.jpg) of the given size.
bool MakeImage(const std::filesystem::path& file, int width, int height);
// An mp3 tone of the given length.
bool MakeTone(const std::filesystem::path& file, double seconds, int frequencyHz = 440);

// Media of an odd kind made by the encoder from `arguments` (inputs,
// options), written to `file`; false when the encoder failed.
bool MakeMedia(const std::filesystem::path& file, const std::vector<std::string>& arguments);

// What ffprobe-like reading of a file gives.
struct MediaInfo {
  int width = 0;
  int height = 0;
  double fps = 0;
  double seconds = 0;
  int frames = 0;
  bool hasAudio = false;
  std::string videoCodec;
};
MediaInfo ReadMediaInfo(const std::filesystem::path& file);

// True when a process whose command line contains `needle` is still alive
// (zombies excluded).
bool ProcessRunning(const std::string& needle);

}  // namespace mivora::test
