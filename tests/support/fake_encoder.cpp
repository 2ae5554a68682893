#include "support/fake_encoder.h"

#include <sys/stat.h>
#include <cctype>

#include <fstream>
#include <sstream>

#include "support/temp_dir.h"

namespace mivora::test {

void InstallFakeEncoder(const std::filesystem::path& runDir) {
  std::filesystem::path tool = runDir / "ffmpeg" / "bin" / "ffmpeg";
  WriteFile(tool, R"SH(#!/bin/sh
log="$(dirname "$0")/calls.log"
# One write per call: calls that run side by side must not interleave.
us="$(printf '\037')"
line=""
for a in "$@"; do line="$line$a$us"; done
printf '%s\n' "$line" >> "$log"
if { [ "$#" -eq 2 ] && [ "$1" = "-i" ]; } || { [ "$#" -eq 3 ] && [ "$2" = "-i" ]; }; then
  for a in "$@"; do file="$a"; done
  if [ -n "$MIVORA_FAKE_UNREADABLE" ] && case "$file" in *"$MIVORA_FAKE_UNREADABLE"*) true;; *) false;; esac; then
    echo "$file: Invalid data found when processing input"; exit 1
  fi
  echo "  Duration: ${MIVORA_FAKE_DURATION:-00:00:20.00}, start: 0.000000, bitrate: 1 kb/s"
  echo "  Stream #0:0: Video: h264, yuv420p, ${MIVORA_FAKE_SIZE-720x1280}, 30 fps"
  exit 1
fi
for a in "$@"; do last="$a"; done
# A frame listing lists nothing: no length of pictures is known.
for a in "$@"; do [ "$a" = framecrc ] && exit 0; done
# A source written over or deleted while the run goes.
if [ -n "$MIVORA_FAKE_APPEND_TO" ]; then echo x >> "$MIVORA_FAKE_APPEND_TO"; fi
if [ -n "$MIVORA_FAKE_REMOVE" ]; then rm -f "$MIVORA_FAKE_REMOVE"; fi
for a in "$@"; do
  if [ -n "$MIVORA_FAKE_FAIL_ON" ] && case "$a" in *"$MIVORA_FAKE_FAIL_ON"*) true;; *) false;; esac; then
    if [ -n "$MIVORA_FAKE_FAIL_TEXT" ]; then echo "$last: $MIVORA_FAKE_FAIL_TEXT"; else echo "Error reinitializing filters"; fi
    exit 1
  fi
  if [ -n "$MIVORA_FAKE_SLOW_ON" ] && case "$a" in *"$MIVORA_FAKE_SLOW_ON"*) true;; *) false;; esac; then
    for t in 1 2 3; do sleep 0.3; printf 'size=%dkB time=00:00:0%d.00 bitrate=1kbits/s\r' "$t" "$t"; done
  fi
  if [ -n "$MIVORA_FAKE_SLEEP_ON" ] && case "$a" in *"$MIVORA_FAKE_SLEEP_ON"*) true;; *) false;; esac; then
    : > "$last"; sleep "${MIVORA_FAKE_SLEEP_SECONDS:-1000}"; exit 1
  fi
done
: > "$last"
echo "video:1kB audio:0kB muxing overhead: 0.1%"
)SH");
  chmod(tool.c_str(), 0755);
}

std::vector<std::vector<std::string>> FakeEncoderCalls(const std::filesystem::path& runDir) {
  std::vector<std::vector<std::string>> calls;
  std::istringstream lines(ReadFile(runDir / "ffmpeg" / "bin" / "calls.log"));
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> args;
    std::string arg;
    for (char c : line) {
      if (c == '\037') {
        args.push_back(arg);
        arg.clear();
      } else {
        arg.push_back(c);
      }
    }
    calls.push_back(args);
  }
  return calls;
}

std::string JoinArgs(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
  return text;
}

void WriteFakeMedia(const std::filesystem::path& file) {
  using namespace std::string_literals;
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  WriteFile(file, extension == ".jpg"   ? "\xFF\xD8\xFF\xE0\0\x10JFIF\0"s
                  : extension == ".mp4" ? "\0\0\0\x18"
                                          "ftypisom\0\0\x02\0isomiso2"s
                                        : "x"s);
}

}  // namespace mivora::test
