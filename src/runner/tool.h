// Running the encoder and judging what it printed: "muxing overhead:" means
// success, a fixed table of phrases names the failures, and the final frame
// count tells a finished encode that fell short of its length. The raw text
// goes to whoever asked for it (`ToolEnv::showOutput`).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runner/command_line.h"
#include "runner/placeholders.h"
#include "runner/run_token.h"

namespace mivora {

// The outcome that means success; every other outcome is a failure text.
inline constexpr std::string_view kOutputSucceeded = "输出成功";
inline constexpr std::string_view kUnknownError = "未知错误";
// The outcome of an encoder stopped by the stall watch.
inline constexpr std::string_view kEncoderStalled = "编码器无响应";
// The outcome of an encode whose picture fell far short of its length.
inline constexpr std::string_view kSourceDamaged = "素材损坏";
// The machine's faults, each followed by "：<folder>": the folder's file
// system is full, or nothing may be written there.
inline constexpr std::string_view kDiskFull = "磁盘空间不足";
inline constexpr std::string_view kFolderUnwritable = "输出目录无法写入";

// How a judged run ended. The text is what the window shows: "输出成功" for
// a success, otherwise a failure text of the classification table.
struct ToolOutcome {
  enum class Kind {
    kSucceeded,
    kFailed,         // the encoder ran and did not finish its output
    kStopped,        // the run was stopped while it ran
    kCouldNotStart,  // the program could not be started at all
    kStalled,        // the encoder made no progress and was stopped
    kDamaged,        // it finished, but its source gave far too few frames
    kDiskFull,       // the output's file system ran out of space
    kUnwritable,     // the output could not be written where it goes
  };
  Kind kind = Kind::kFailed;
  std::string text;
  std::string lastLines;  // the console's last lines, for a failure's details
  int frames = -1;        // video frames the encoder's final report counts (-1: none)

  bool ok() const { return kind == Kind::kSucceeded; }
  // A fault of the machine, not of the source or the encoder's graph: any
  // other engine or item would meet it again.
  bool MachineFault() const { return kind == Kind::kDiskFull || kind == Kind::kUnwritable; }
  static ToolOutcome Succeeded() { return {Kind::kSucceeded, std::string(kOutputSucceeded), {}}; }
  static ToolOutcome Failed(std::string text = std::string(kUnknownError)) {
    return {Kind::kFailed, std::move(text), {}};
  }
};

// Where a judged or probing run gets its tools and what it tells while it runs.
struct ToolEnv {
  std::filesystem::path runDir;
  RunToken& token;  // stop and pause of the run
  // The raw console text: emptied ("") before a judged run, then the whole
  // text once it ended. May be empty.
  std::function<void(const std::string& text)> showOutput = {};
  // Seconds of output the encoder has written, as it streams them.
  std::function<void(double seconds)> onProgress = {};
  // Above 0: an encoder that makes no progress for this long is stopped.
  int stallTimeoutMs = 0;
};

// RunDir "/ffmpeg/bin/<name>" when executable there, else `name` (found on PATH).
std::string ResolveTool(const std::filesystem::path& runDir, const std::string& name);

// The text that stops a run before any item when the encoder is nowhere to be
// found (neither RunDir "/ffmpeg/bin/ffmpeg" nor "ffmpeg" on PATH), naming
// where it was looked for; the empty text when it can be started.
std::string MissingEncoderMessage(const std::filesystem::path& runDir);

// The outcome for a captured console text, by the classification table.
std::string ClassifyOutput(std::string_view captured);

// The fault of the machine in a console text of an encoder that wrote
// `output`: a full file system (whatever file it was writing) or a refused
// write of `output` itself, with the text "磁盘空间不足：<folder>" or
// "输出目录无法写入：<folder>"; kind kFailed when there is none.
ToolOutcome MachineFaultOf(std::string_view captured, const std::string& output);

// Rewrites the tool placeholders, empties the output box, runs the command,
// shows the captured text and classifies it. A cancelled run is never a
// success, even though a stopped encoder prints its final statistics; nor is
// one that read past the end of a cut-off input (kind damaged), nor one the
// machine refused its output (the last argument), which the encoder may
// still end with its statistics.
ToolOutcome RunJudged(const ToolEnv& env, std::vector<std::string> args);

// The same for a command template with its placeholders.
ToolOutcome RunJudged(const ToolEnv& env, std::string_view commandTemplate,
                      const std::vector<Placeholder>& fills,
                      const std::vector<ListPlaceholder>& lists = {});

// The encoder's progress as it streams its status lines ("... time=00:00:04.10
// bitrate=..."): the latest time written, fed piece by piece.
class EncoderProgress {
 public:
  // Returns true when the piece moved the time forward.
  bool Feed(std::string_view piece);
  double Seconds() const { return seconds_; }
  // The frame count of the latest whole status line (-1: none yet).
  int Frames() const { return frames_; }

 private:
  std::string tail_;  // an unfinished status line of the previous piece
  double seconds_ = -1;
  int frames_ = -1;
};

// A finished encode of `seconds` of 30 fps video that is more than half a
// second short of frames is no success: its source ran out early (a file
// cut off, damaged data), which would show as a frozen or missing picture.
ToolOutcome ExpectFrames(ToolOutcome outcome, double seconds);

// The last few lines of a console text that say something (progress lines
// and blank lines left out), for telling a user why a run failed.
std::string LastLines(std::string_view captured, int count = 5);

// Seconds of the "Duration: hh:mm:ss.xx, start" field, fraction kept; each
// field is read as the C library reads a number. 0 when there is no such
// field, it has not three parts, or it does not fit a 32-bit count.
double ParseDurationSeconds(std::string_view captured);

// Every input's "Duration:" field in the order the encoder lists them, as
// ParseDurationSeconds reads each.
std::vector<double> ParseDurationsSeconds(std::string_view captured);

// The same truncated toward zero to whole seconds.
int ParseDuration(std::string_view captured);

// Runs "<encoder> -i <file>" and parses its duration. No output box.
int ProbeDuration(const ToolEnv& env, const std::filesystem::path& file);

}  // namespace mivora
