#include "runner/tool.h"

#include <locale.h>
#include <unistd.h>

#include <array>
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

std::string RunJudged(const ToolEnv& env, std::vector<std::string> args) {
  for (std::string& arg : args) {
    if (arg == kEncoderPlaceholder) arg = ResolveTool(env.runDir, "ffmpeg");
    if (arg == kPlayerPlaceholder) arg = ResolveTool(env.runDir, "ffplay");
  }
  if (env.window) env.window->SetOutputText("");
  CaptureResult run = RunCapture(args, env.token);
  if (env.window) env.window->SetOutputText(run.output);
  if (run.cancelled) return std::string(kUnknownError);
  return ClassifyOutput(run.output);
}

std::string RunJudged(const ToolEnv& env, std::string_view commandTemplate,
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

int ParseDuration(std::string_view captured) {
  return static_cast<int>(ParseDurationSeconds(captured));
}

int ProbeDuration(const ToolEnv& env, const std::filesystem::path& file) {
  CaptureResult run =
      RunCapture({ResolveTool(env.runDir, "ffmpeg"), "-i", file.string()}, env.token);
  if (run.cancelled) return 0;
  return ParseDuration(run.output);
}

}  // namespace mivora
