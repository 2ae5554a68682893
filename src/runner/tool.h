// Running the encoder and judging what it printed. A run is judged from its
// console text alone: "muxing overhead:" means success, a fixed table of
// phrases names the failures. The raw text goes to the window's output box.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_ops.h"
#include "runner/command_line.h"
#include "runner/run_token.h"

namespace mivora {

// The outcome that means success; every other outcome is a failure text.
inline constexpr std::string_view kOutputSucceeded = "输出成功";
inline constexpr std::string_view kUnknownError = "未知错误";

// Placeholders of the tools in every command template.
inline constexpr std::string_view kEncoderPlaceholder = "D:\\ffmpeg\\bin\\ffmpeg.exe";
inline constexpr std::string_view kPlayerPlaceholder = "D:\\ffmpeg\\bin\\ffplay.exe";

// Where a judged or probing run gets its tools and reports its output.
struct ToolEnv {
  std::filesystem::path runDir;
  WindowOps* window = nullptr;  // receives the raw console text; may be null
  RunToken* token = nullptr;    // stop and pause of the run; may be null
};

// RunDir "/ffmpeg/bin/<name>" when executable there, else `name` (found on PATH).
std::string ResolveTool(const std::filesystem::path& runDir, const std::string& name);

// The text that stops a run before any item when the encoder is nowhere to be
// found (neither RunDir "/ffmpeg/bin/ffmpeg" nor "ffmpeg" on PATH), naming
// where it was looked for; the empty text when it can be started.
std::string MissingEncoderMessage(const std::filesystem::path& runDir);

// The outcome for a captured console text, by the classification table.
std::string ClassifyOutput(std::string_view captured);

// Rewrites the tool placeholders, empties the output box, runs the command,
// shows the captured text and classifies it. A cancelled run is never a
// success, even though a stopped encoder prints its final statistics.
std::string RunJudged(const ToolEnv& env, std::vector<std::string> args);

// The same for a command template with its placeholders.
std::string RunJudged(const ToolEnv& env, std::string_view commandTemplate,
                      const std::vector<Placeholder>& fills,
                      const std::vector<ListPlaceholder>& lists = {});

// Seconds of the "Duration: hh:mm:ss.xx, start" field, fraction kept; each
// field is read as the C library reads a number. 0 when there is no such
// field, it has not three parts, or it does not fit a 32-bit count.
double ParseDurationSeconds(std::string_view captured);

// The same truncated toward zero to whole seconds.
int ParseDuration(std::string_view captured);

// Runs "<encoder> -i <file>" and parses its duration. No output box.
int ProbeDuration(const ToolEnv& env, const std::filesystem::path& file);

}  // namespace mivora
