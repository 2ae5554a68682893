#include "runner/tool.h"

#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "runner/run_capture.h"
#include "runner/text.h"

namespace mivora {
namespace {

struct Verdict {
  std::string_view phrase;
  std::string_view outcome;
};

// Searched in this order; the first phrase found decides.
constexpr std::array<Verdict, 9> kVerdicts = {{
    {"muxing overhead:", kOutputSucceeded},
    {"Invalid stream specifier", "无效的流说明符"},
    {"Error initializing output stream", "初始化错误输出流"},
    {"Error setting preset", "错误设定预设"},
    {"Error splitting the argument list", "错误分割参数列表"},
    {"Error when evaluating the expression", "错误表达式"},
    {"Error reinitializing filters", "重新初始化过滤器错误"},
    {"Error while processing the decoded", "错误处理的解码数据流"},
    {"Input link in0:v0 parameters (size", "错误处理的解码数据流"},
}};

// What the demuxer prints on reading past the end of a cut-off file.
constexpr std::string_view kCutOffInput = ": partial file";

// What the C library says of a write the file system refused for space, and
// of a file that may not be created or written.
constexpr std::array<std::string_view, 2> kNoSpace = {"No space left on device",
                                                      "Disk quota exceeded"};
constexpr std::array<std::string_view, 2> kNoWrite = {"Permission denied", "Read-only file system"};

// The line of `captured` around position `at`.
std::string_view LineAt(std::string_view captured, std::size_t at) {
  std::size_t begin = captured.find_last_of("\r\n", at);
  begin = begin == std::string_view::npos ? 0 : begin + 1;
  std::size_t end = captured.find_first_of("\r\n", at);
  return captured.substr(begin, end == std::string_view::npos ? end : end - begin);
}

// Text-to-number in the C library's manner, independent of the user's locale.
double ToNumber(const std::string& text) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  return strtod_l(text.c_str(), nullptr, cLocale);
}

}  // namespace

std::string ResolveTool(const std::filesystem::path& runDir, const std::string& name) {
  std::filesystem::path local = runDir / "ffmpeg" / "bin" / name;
  if (access(local.c_str(), X_OK) == 0 && !std::filesystem::is_directory(local)) return local;
  return name;
}

std::string MissingEncoderMessage(const std::filesystem::path& runDir) {
  if (!FindOnPath(ResolveTool(runDir, "ffmpeg")).empty()) return {};
  return "找不到编码器 ffmpeg：" + (runDir / "ffmpeg" / "bin" / "ffmpeg").string() +
         " 不存在，PATH 中也没有 ffmpeg";
}

std::string ClassifyOutput(std::string_view captured) {
  for (const Verdict& verdict : kVerdicts) {
    if (FindText(captured, verdict.phrase) != std::string_view::npos) {
      return std::string(verdict.outcome);
    }
  }
  return std::string(kUnknownError);
}

ToolOutcome MachineFaultOf(std::string_view captured, const std::string& output) {
  std::string folder = std::filesystem::path(output).parent_path().string();
  if (folder.empty()) folder = ".";
  auto fault = [&](ToolOutcome::Kind kind, std::string_view text, std::string_view line) {
    ToolOutcome outcome{kind, std::string(text) + "：" + folder, std::string(line)};
    return outcome;
  };
  for (std::string_view phrase : kNoSpace) {
    std::size_t at = captured.find(phrase);
    if (at != std::string_view::npos) {
      return fault(ToolOutcome::Kind::kDiskFull, kDiskFull, LineAt(captured, at));
    }
  }
  // Only the output's own line counts: an input nobody may read is the
  // source's problem, not the output folder's.
  if (!output.empty()) {
    for (std::string_view phrase : kNoWrite) {
      for (std::size_t at = captured.find(phrase); at != std::string_view::npos;
           at = captured.find(phrase, at + 1)) {
        std::string_view line = LineAt(captured, at);
        if (line.find(output) != std::string_view::npos) {
          return fault(ToolOutcome::Kind::kUnwritable, kFolderUnwritable, line);
        }
      }
    }
  }
  return ToolOutcome::Failed();
}

ToolOutcome RunJudged(const ToolEnv& env, std::vector<std::string> args) {
  for (std::string& arg : args) {
    if (arg == kEncoderPlaceholder) arg = ResolveTool(env.runDir, "ffmpeg");
  }
  if (env.showOutput) env.showOutput("");
  EncoderProgress progress;
  CaptureWatch watch;
  watch.stallTimeoutMs = env.stallTimeoutMs;
  watch.onOutput = [&](std::string_view piece) {
    if (!progress.Feed(piece)) return false;
    if (env.onProgress) env.onProgress(progress.Seconds());
    return true;
  };
  CaptureResult run = RunCapture(args, env.token, watch);
  if (env.showOutput) env.showOutput(run.output);

  ToolOutcome outcome;
  if (run.cancelled) {
    outcome.kind = ToolOutcome::Kind::kStopped;
    outcome.text = kUnknownError;
  } else if (run.stalled) {
    outcome.kind = ToolOutcome::Kind::kStalled;
    outcome.text = kEncoderStalled;
  } else if (ToolOutcome fault = MachineFaultOf(run.output, args.empty() ? "" : args.back());
             fault.MachineFault()) {
    outcome = std::move(fault);
  } else {
    outcome.text = ClassifyOutput(run.output);
    // The demuxer says so when a file ends before the data its index promises
    // (a download or copy cut off): whatever was made of it lacks pictures.
    std::size_t cutOff = FindText(run.output, kCutOffInput);
    if (outcome.text == kOutputSucceeded && cutOff != std::string_view::npos) {
      outcome.kind = ToolOutcome::Kind::kDamaged;
      outcome.text = kSourceDamaged;
      // The demuxer's own line says which stream ran out where.
      std::size_t begin = run.output.find_last_of("\r\n", cutOff);
      begin = begin == std::string::npos ? 0 : begin + 1;
      outcome.lastLines =
          run.output.substr(begin, run.output.find_first_of("\r\n", cutOff) - begin);
    } else if (outcome.text == kOutputSucceeded) {
      outcome.kind = ToolOutcome::Kind::kSucceeded;
    } else if (!run.started) {
      outcome.kind = ToolOutcome::Kind::kCouldNotStart;
    }
  }
  if (!outcome.ok() && outcome.lastLines.empty()) outcome.lastLines = LastLines(run.output);
  outcome.frames = progress.Frames();
  return outcome;
}

ToolOutcome ExpectFrames(ToolOutcome outcome, double seconds) {
  constexpr double kFps = 30;
  if (!outcome.ok() || outcome.frames < 0 || outcome.frames >= (seconds - 0.5) * kFps) {
    return outcome;
  }
  outcome.kind = ToolOutcome::Kind::kDamaged;
  outcome.text = kSourceDamaged;
  outcome.lastLines = "frame=" + std::to_string(outcome.frames) + " (expected " +
                      std::to_string(static_cast<int>(seconds * kFps)) + ")";
  return outcome;
}

ToolOutcome RunJudged(const ToolEnv& env, std::string_view commandTemplate,
                      const std::vector<Placeholder>& fills,
                      const std::vector<ListPlaceholder>& lists) {
  return RunJudged(env, BuildCommand(commandTemplate, fills, lists));
}

double ParseDurationSeconds(std::string_view captured) {
  constexpr std::string_view kMarker = "Duration: ";
  std::size_t begin = FindText(captured, kMarker);
  if (begin == std::string_view::npos) return 0;
  begin += kMarker.size();
  std::size_t end = FindText(captured, ", start", begin);
  if (end == std::string_view::npos) return 0;
  std::vector<std::string> parts = SplitText(captured.substr(begin, end - begin), ":");
  if (parts.size() != 3) return 0;
  double seconds = ToNumber(parts[0]) * 3600 + ToNumber(parts[1]) * 60 + ToNumber(parts[2]);
  if (!(seconds > -2147483648.0 && seconds < 2147483648.0)) return 0;
  return seconds;
}

std::vector<double> ParseDurationsSeconds(std::string_view captured) {
  std::vector<double> durations;
  constexpr std::string_view kMarker = "Duration: ";
  for (std::size_t at = FindText(captured, kMarker); at != std::string_view::npos;
       at = FindText(captured, kMarker, at + kMarker.size())) {
    durations.push_back(ParseDurationSeconds(captured.substr(at)));
  }
  return durations;
}

int ParseDuration(std::string_view captured) {
  return static_cast<int>(ParseDurationSeconds(captured));
}

bool EncoderProgress::Feed(std::string_view piece) {
  // Status lines end in a carriage return; only whole ones are read, so a
  // time split between two pieces is read once it is complete.
  tail_.append(piece);
  std::size_t end = tail_.find_last_of("\r\n");
  if (end == std::string::npos) {
    // A line that never ends is no status line; keep only what may still be one.
    if (tail_.size() > 4096) tail_.erase(0, tail_.size() - 4096);
    return false;
  }
  std::string_view whole = std::string_view(tail_).substr(0, end);
  if (std::size_t counted = whole.rfind("frame="); counted != std::string_view::npos) {
    std::string_view digits = whole.substr(counted + 6);
    digits.remove_prefix(std::min(digits.find_first_not_of(' '), digits.size()));
    int frames = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), frames).ec == std::errc()) {
      frames_ = frames;
    }
  }
  bool moved = false;
  std::size_t at = whole.rfind("time=");
  if (at != std::string_view::npos) {
    std::string_view value = whole.substr(at + 5);
    value = value.substr(0, value.find_first_of(" \r\n"));
    std::vector<std::string> parts = SplitText(value, ":");
    if (parts.size() == 3 && !value.empty() && value.front() != '-') {
      double seconds = ToNumber(parts[0]) * 3600 + ToNumber(parts[1]) * 60 + ToNumber(parts[2]);
      if (seconds > seconds_) {
        seconds_ = seconds;
        moved = true;
      }
    }
  }
  tail_.erase(0, end + 1);
  return moved;
}

std::string LastLines(std::string_view captured, int count) {
  std::vector<std::string_view> kept;
  std::size_t end = captured.size();
  while (end > 0 && static_cast<int>(kept.size()) < count) {
    std::size_t begin = captured.find_last_of("\r\n", end - 1);
    begin = begin == std::string_view::npos ? 0 : begin + 1;
    std::string_view line = captured.substr(begin, end - begin);
    end = begin == 0 ? 0 : begin - 1;
    bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
    bool status = line.rfind("frame=", 0) == 0 || line.rfind("size=", 0) == 0;
    if (!blank && !status) kept.push_back(line);
  }
  std::string text;
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
    text.append(*it);
    if (it + 1 != kept.rend()) text.push_back('\n');
  }
  return text;
}

int ProbeDuration(const ToolEnv& env, const std::filesystem::path& file) {
  CaptureResult run =
      RunCapture({ResolveTool(env.runDir, "ffmpeg"), "-i", file.string()}, env.token);
  if (run.cancelled) return 0;
  return ParseDuration(run.output);
}

}  // namespace mivora
