// A stand-in encoder placed where the program looks for the real one
// (RunDir "/ffmpeg/bin/ffmpeg"). It records every call and answers like the
// encoder, so exact command lines and reports can be checked quickly.
//   probe ("-i FILE" alone, or after one option): prints a Duration line
//     (MIVORA_FAKE_DURATION, default 00:00:20.00) and a video stream of
//     MIVORA_FAKE_SIZE (default 720x1280; empty: no size); a file whose
//     path contains MIVORA_FAKE_UNREADABLE is unreadable
//   a frame listing ("-f framecrc"): lists no frame
//   an argument containing MIVORA_FAKE_SLOW_ON: prints a progress line
//     every 0.3 seconds, three times, then goes on as below
//   every other run: appends a line to MIVORA_FAKE_APPEND_TO and deletes
//     MIVORA_FAKE_REMOVE, when set
//   an argument containing MIVORA_FAKE_FAIL_ON: prints an error phrase, or
//     "<last argument>: MIVORA_FAKE_FAIL_TEXT" when that is set
//   an argument containing MIVORA_FAKE_SLEEP_ON: creates the output, then
//     sleeps until killed (for
//     MIVORA_FAKE_SLEEP_SECONDS, default 1000; tests pick distinct values so
//     they can look for their own sleeping process)
//   otherwise: creates the last argument as a file and prints success
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mivora::test {

void InstallFakeEncoder(const std::filesystem::path& runDir);

// The recorded calls, one argument vector each (without the program).
std::vector<std::vector<std::string>> FakeEncoderCalls(const std::filesystem::path& runDir);

// A recorded call as one text, arguments joined by single blanks.
std::string JoinArgs(const std::vector<std::string>& args);

// A media file for the stand-in's runs: only its first bytes are those of an
// MP4 (".mp4") or a JPEG (".jpg"), enough for an import to take it.
void WriteFakeMedia(const std::filesystem::path& file);

}  // namespace mivora::test
