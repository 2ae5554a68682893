// mivora-cli: the pipeline of the window without a window. `run` is the
// Start button over the home folders, extended to whole lists, parallel items
// and shards of a batch spread over machines; `demo` makes sample media and
// runs both jobs on it; `effects` and `render-effect` show and try effects.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/batch_run.h"
#include "cli/batch_summary.h"
#include "cli/demo_media.h"
#include "cli/interrupt_watch.h"
#include "cli/job_count.h"
#include "cli/progress_report.h"
#include "cli/summary_report.h"
#include "effects/effect_catalogue.h"
#include "effects/effect_cost.h"
#include "effects/render_effect.h"
#include "jobs/engine_choice.h"
#include "jobs/run_check.h"
#include "media/home_folder.h"
#include "media/home_lock.h"
#include "media/work_folders.h"
#include "mivora_version.h"
#include "runner/run_token.h"
#include "runner/text.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr char kDemoMarker[] = ".mivora-demo";

// A usage error: a clear message, where to find help, and status 2.
int UsageError(const std::string& command, const std::string& message) {
  std::cerr << "mivora-cli: " << message << "\n用法见 mivora-cli " << command
            << (command.empty() ? "" : " ") << "--help\n";
  return kExitUsage;
}

// The parser's own errors, said in the program's language. The parser's text
// after its last colon names the option or argument concerned.
std::string ParseErrorText(const CLI::ParseError& error) {
  std::string what = error.what();
  std::size_t colon = what.rfind(": ");
  std::string detail = colon == std::string::npos ? what : what.substr(colon + 2);
  switch (static_cast<CLI::ExitCodes>(error.get_exit_code())) {
    case CLI::ExitCodes::ExtrasError:
      return "未知的选项或多余的参数：" + detail;
    case CLI::ExitCodes::RequiredError:
      if (what.find("subcommand") != std::string::npos) {
        return "请给出一个命令：demo、run、report、effects 或 render-effect";
      }
      return "缺少必需的参数：" + what.substr(0, what.find(' '));
    case CLI::ExitCodes::ExcludesError:
      return "这两个选项不能同时使用：" + ReplacePairs(what, {{" excludes ", " 和 "}});
    case CLI::ExitCodes::ArgumentMismatch:
      return "选项缺少值或值的个数不对：" + what;
    case CLI::ExitCodes::ConversionError:
      return "选项的值不是有效的数字：" + detail;
    case CLI::ExitCodes::ValidationError:
      return "选项的值无效：" + what;
    default:
      return what;
  }
}

// A validator whose refusal is already in the program's language.
CLI::Validator OneOf(std::vector<std::string> names) {
  std::string description;
  for (const std::string& name : names) description += (description.empty() ? "" : "|") + name;
  return CLI::Validator(
      [names, description](std::string& value) -> std::string {
        for (const std::string& name : names) {
          if (value == name) return {};
        }
        return "“" + value + "”不是可选的值（可选：" + description + "）";
      },
      "");
}

// RunDir when --home is not given: the window's rule. A command that works in
// it makes ~/Mivora, media folders included, the first time it is chosen.
std::filesystem::path DefaultHome(bool makeUserFolder) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  HomeChoice choice = ResolveHomeFolder(HomeInputsOfProcess(error ? "" : self.parent_path()));
  if (makeUserFolder && choice.rule == HomeRule::UserFolder) MakeHomeFolder(choice.folder);
  return choice.folder;
}

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal();
}

std::uint32_t FreshSeed() {
  return std::random_device{}();
}

bool ReadWholeFile(const std::filesystem::path& file, std::string& text) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  text = content.str();
  return true;
}

// Runs a prepared batch with progress on standard error.
std::vector<ItemResult> RunWithProgress(const JobInputs& inputs, const std::vector<int>& items,
                                        RunToken& token) {
  ProgressReport progress(stderr, isatty(STDERR_FILENO) == 1,
                          static_cast<int>(items.size()) * std::max(1, inputs.variants));
  std::vector<ItemResult> results = RunBatch(inputs, items, token, progress.Observer());
  progress.Finish();
  return results;
}

void PrintResults(const std::vector<ItemResult>& results) {
  for (const ItemResult& result : results) {
    std::cout << result.item << "\t" << result.source << "\t"
              << (result.kind == ItemOutcome::Kind::kStopped ? "未完成" : result.status);
    if (!result.output.empty()) std::cout << "\t" << result.output.string();
    std::cout << "\n";
  }
}

struct RunArgs {
  std::string home;
  std::string mode = "video";
  bool intro = false;
  bool outro = false;
  std::string overlay = "black";
  std::string effectsFile;
  std::string effectCode;
  std::string audio;
  bool all = false;
  std::string jobs = "auto";
  int variants = 1;
  bool skipExisting = false;
  std::string shard;
  std::int64_t seed = -1;
  int stallTimeout = 60;
  bool json = false;
  std::string engine{kDefaultEngine};
  std::string fit{FitModeName(kDefaultFitMode)};
  std::string watermark;
  std::string watermarkPosition{WatermarkPositionName(WatermarkOptions{}.position)};
  int watermarkSize = WatermarkOptions{}.size;
  std::string watermarkColor = WatermarkOptions{}.color;
  double watermarkOpacity = WatermarkOptions{}.opacity;
};

// Turns the parsed options into batch options; returns a usage error text.
std::string ResolveRunArgs(const RunArgs& args, BatchOptions& options) {
  if (args.audio.empty()) return "请用 --audio DIR 指定音频目录（放 .mp3 文件的目录）";
  options.audioFolder = Absolute(args.audio);
  if (!IsFolder(options.audioFolder)) return "音频目录不存在：" + options.audioFolder.string();
  options.videoMode = args.mode == "video";
  options.intro = args.intro;
  options.outro = args.outro;
  options.greenScreen = args.overlay == "green";
  if (!args.effectsFile.empty() && !ReadWholeFile(args.effectsFile, options.effectCode)) {
    return "无法读取特效代码文件：" + args.effectsFile;
  }
  if (!args.effectCode.empty()) options.effectCode = args.effectCode;
  options.all = args.all;
  options.jobs = ParseJobCount(args.jobs, std::thread::hardware_concurrency());
  if (options.jobs < 1) return "-j 的值必须是正整数或 auto：" + args.jobs;
  if (args.variants < 1 || args.variants > kMaxVariants)
    return "--variants 的值应在 1 到 " + std::to_string(kMaxVariants) + " 之间：" +
           std::to_string(args.variants);
  options.variants = args.variants;
  options.skipExisting = args.skipExisting;
  if (!args.shard.empty()) {
    int index = -1;
    int count = 0;
    if (!ParseShard(args.shard, index, count)) {
      return "--shard 的值应为 I/N（0 ≤ I < N），例如 0/4：" + args.shard;
    }
    options.shardIndex = index;
    options.shardCount = count;
  }
  if (args.seed > static_cast<std::int64_t>(UINT32_MAX))
    return "--seed 的值超出范围（0 到 4294967295）";
  options.seed = args.seed < 0 ? FreshSeed() : static_cast<std::uint32_t>(args.seed);
  options.engine = args.engine;
  if (args.stallTimeout < 0) return "--stall-timeout 的值不能为负数";
  options.stallTimeoutSeconds = args.stallTimeout;
  options.fit = *ParseFitMode(args.fit);
  if (!args.watermark.empty()) {
    WatermarkOptions& mark = options.watermark;
    mark.enabled = true;
    mark.text = args.watermark;
    mark.position = *ParseWatermarkPosition(args.watermarkPosition);
    mark.size = args.watermarkSize;
    mark.color = args.watermarkColor;
    mark.opacity = args.watermarkOpacity;
    if (std::string problem = WatermarkProblem(mark); !problem.empty()) return problem;
  }
  // Last, so that a mistyped command leaves the user's home as it was: the
  // home folder is made only once the run is about to start.
  options.runDir =
      Absolute(args.home.empty() ? DefaultHome(true) : std::filesystem::path(args.home));
  if (!IsFolder(options.runDir)) return "主目录不存在：" + options.runDir.string();
  return {};
}

int Run(const RunArgs& args, RunToken& token, const InterruptWatch& watch) {
  BatchOptions options;
  if (std::string error = ResolveRunArgs(args, options); !error.empty())
    return UsageError("run", error);
  if (args.home.empty()) std::cerr << "主目录：" << options.runDir.string() << "\n";
  JobInputs inputs;
  if (std::string message = PrepareBatch(options, inputs); !message.empty()) {
    // A script reading the summary learns why nothing was done.
    if (args.json) std::cout << BatchSummary(options, {}, 0, message).dump(2) << "\n";
    return UsageError("run", message);
  }
  // A window on the same home would rewrite what this run makes.
  HomeLock homeLock(options.runDir, HomeLock::Holder::kCommandLine);
  if (!homeLock.held()) {
    const std::string message = "这个主目录已在窗口中打开：" + options.runDir.string() +
                                "（关闭窗口或换一个主目录后再运行）";
    std::cerr << "mivora-cli: " << message << "\n";
    if (args.json) std::cout << BatchSummary(options, {}, 0, message).dump(2) << "\n";
    return kExitFailed;
  }
  if (std::optional<RunRefusal> refusal = CheckMachine(inputs, token)) {
    std::cerr << "mivora-cli: " << refusal->message << "\n";
    // A folder that cannot be written is the user's to mend, like a usage
    // error; a script reading the summary learns it too.
    if (refusal->kind == RunRefusal::Kind::kUnwritable) {
      if (args.json) std::cout << BatchSummary(options, {}, 0, refusal->message).dump(2) << "\n";
      return kExitUsage;
    }
    return kExitFailed;
  }
  std::vector<int> items =
      ShardItems(static_cast<int>(inputs.items.size()), options.shardIndex, options.shardCount);
  std::vector<ItemResult> results = RunWithProgress(inputs, items, token);
  if (args.json) {
    std::cout << BatchSummary(options, results, watch.Signal()).dump(2) << "\n";
  } else {
    PrintResults(results);
    if (watch.Signal() != 0) std::cerr << "已停止\n";
  }
  return BatchExitCode(results, watch.Signal());
}

// Merges the summaries of several runs. Every file is read before any
// output, so that each one that is not a summary is named.
int Report(const std::vector<std::string>& files, bool json) {
  std::vector<NamedSummary> summaries(files.size());
  bool readable = true;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::string problem = ReadSummaryFile(files[i], summaries[i]); !problem.empty()) {
      std::cerr << "mivora-cli: " << problem << "\n";
      readable = false;
    }
  }
  if (!readable) return UsageError("report", "请给出 mivora-cli run --json 写下的汇总文件");
  nlohmann::json merged = MergeSummaries(summaries);
  if (json) {
    std::cout << merged.dump(2) << "\n";
  } else {
    std::cout << ReportTable(merged);
  }
  return ReportExitCode(merged);
}

// Makes `dir` a fresh, empty demo home. A folder made by an earlier demo is
// replaced; any other folder with content is left alone.
std::string FreshDemoHome(const std::filesystem::path& dir) {
  std::error_code error;
  if (std::filesystem::exists(dir / kDemoMarker, error)) {
    std::filesystem::remove_all(dir, error);
    if (error) return "无法清空上次的示例目录：" + dir.string() + "（" + error.message() + "）";
  } else if (std::filesystem::exists(dir, error) && !std::filesystem::is_empty(dir, error)) {
    return "目录已存在且不是示例目录，请换一个目录：" + dir.string();
  }
  if (!EnsureFolder(dir)) return "无法创建目录：" + dir.string();
  std::ofstream(dir / kDemoMarker) << "mivora-cli demo\n";
  return {};
}

int Demo(const std::string& dirText, std::int64_t seedArg, RunToken& token,
         const InterruptWatch& watch) {
  std::filesystem::path dir = Absolute(dirText);
  if (std::string error = FreshDemoHome(dir); !error.empty()) return UsageError("demo", error);
  std::cerr << "正在生成示例媒体：" << dir.string() << "\n";
  if (std::string error = MakeDemoMedia(dir, token); !error.empty()) {
    if (watch.Signal() != 0) return 128 + watch.Signal();
    std::cerr << "mivora-cli: " << error << "\n";
    return kExitFailed;
  }

  BatchOptions options;
  options.runDir = dir;
  options.audioFolder = dir / kDemoAudioFolder;
  options.intro = true;
  options.outro = true;
  options.seed = seedArg < 0 ? FreshSeed() : static_cast<std::uint32_t>(seedArg);
  std::vector<ItemResult> all;
  for (bool videoMode : {true, false}) {
    options.videoMode = videoMode;
    options.greenScreen = !videoMode;  // one job shows each overlay kind
    std::cerr << (videoMode ? "视频剪辑：" : "图片剪辑：") << "\n";
    JobInputs inputs;
    if (std::string message = PrepareBatch(options, inputs); !message.empty()) {
      std::cerr << "mivora-cli: " << message << "\n";
      return kExitFailed;
    }
    std::vector<int> items = ShardItems(static_cast<int>(inputs.items.size()), 0, 1);
    std::vector<ItemResult> results = RunWithProgress(inputs, items, token);
    all.insert(all.end(), results.begin(), results.end());
    if (watch.Signal() != 0) break;
  }
  PrintResults(all);
  int code = BatchExitCode(all, watch.Signal());
  if (code == kExitSucceeded) {
    std::cout << "\n完成的视频在：\n  " << (dir / kVideoOutputFolder).string() << "\n  "
              << (dir / kImageOutputFolder).string()
              << "\n\n同样的任务用 run 命令：\n  mivora-cli run --home " << dir.string()
              << " --audio " << options.audioFolder.string()
              << " --intro --outro --overlay black --all\n";
  }
  return code;
}

// The cost as a multiple of a plain encode of the same seconds.
std::string CostText(const std::string& name) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", EffectCost(name));
  return std::string("相对耗时 ") + text + " 倍";
}

int ListEffects() {
  for (int i = 1; i <= kEffectCount; ++i) {
    std::string name = EffectName(i);
    std::cout << name << "\t" << EffectDuration(name) << " 秒\t" << CostText(name) << "\n";
  }
  return kExitSucceeded;
}

// The command as render-effect runs it, or with `raw` the catalogue's
// template as stored, Windows placeholders and all.
int ShowEffect(const std::string& name, bool raw) {
  std::string duration = EffectDuration(name);
  if (duration.empty())
    return UsageError("effects", "没有这个特效：" + name + "（共有 特效1 到 " + EffectName(kEffectCount) + "）");
  std::cout << name << "\n时长：" << duration << " 秒\n"
            << CostText(name) << "（同样秒数的普通编码为 1 倍）\n"
            << (raw ? "模板：" + EffectTemplate(name) : "命令：" + EffectCommandText(name)) << "\n";
  return kExitSucceeded;
}

struct RenderArgs {
  std::string name;
  std::string input;
  std::string output;
  std::string audio;
  std::string home;
};

int RenderOne(const RenderArgs& args, RunToken& token, const InterruptWatch& watch) {
  if (EffectDuration(args.name).empty()) {
    return UsageError("render-effect",
                      "没有这个特效：" + args.name + "（用 mivora-cli effects 查看全部）");
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(args.input, error)) {
    return UsageError("render-effect", "输入文件不存在：" + args.input);
  }
  if (EffectNeedsAudio(args.name) && args.audio.empty()) {
    return UsageError("render-effect",
                      args.name + " 要配一段音频：请用 --audio FILE 指定 .mp3 文件");
  }
  if (!args.audio.empty() && !std::filesystem::is_regular_file(args.audio, error)) {
    return UsageError("render-effect", "音频文件不存在：" + args.audio);
  }
  std::filesystem::path home =
      Absolute(args.home.empty() ? DefaultHome(false) : std::filesystem::path(args.home));
  std::filesystem::path output = Absolute(args.output);
  // The output appears under its name only when the encoder has finished it.
  std::filesystem::path part = output.parent_path() / (".mivora-" + output.stem().string() +
                                                       ".part" + output.extension().string());
  std::string console;
  ToolEnv env{home, token, [&console](const std::string& text) { console = text; }};
  ToolOutcome outcome = RenderEffect(env, args.name, args.input, part, args.audio);
  if (outcome.ok() && !token.IsCancelled()) {
    std::filesystem::rename(part, output, error);
    if (error) outcome = ToolOutcome::Failed();
  }
  DeleteWorkFile(part);
  if (watch.Signal() != 0) return 128 + watch.Signal();
  if (!outcome.ok()) {
    std::cerr << console << "\nmivora-cli: " << args.name << "-----输出失败：" << outcome.text
              << "\n";
    return kExitFailed;
  }
  std::cout << output.string() << "\n";
  return kExitSucceeded;
}

int Main(int argc, char** argv) {
  // Before any thread starts, so that every thread keeps the signals blocked.
  RunToken token;
  InterruptWatch watch(token);

  CLI::App app{"把源视频或图片做成竖屏短视频（720x1280，H.264，30 帧/秒）。", "mivora-cli"};
  auto formatter = app.get_formatter();
  formatter->label("Usage", "用法");
  formatter->label("Positionals", "参数");
  formatter->label("Subcommands", "命令");
  formatter->label("REQUIRED", "必需");
  formatter->label("Excludes", "不能与之同用");
  formatter->label("OPTIONS", "选项");
  formatter->label("SUBCOMMAND", "命令");
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", "显示帮助并退出");
  app.set_version_flag("--version", std::string(kVersionText), "显示版本并退出");
  app.require_subcommand(1);

  std::string demoDir = "mivora-demo";
  std::int64_t demoSeed = -1;
  CLI::App* demo = app.add_subcommand(
      "demo", "生成示例媒体，做一次视频剪辑和一次图片剪辑（加片头、片尾和叠加特效）");
  demo->add_option("DIR", demoDir, "示例主目录（默认 ./mivora-demo）");
  demo->add_option("--seed", demoSeed, "随机选择的种子（相同种子得到相同的选择）")->type_name("N");

  RunArgs run;
  CLI::App* runCommand = app.add_subcommand("run", "像窗口里按“开始”一样处理主目录里的素材");
  runCommand->footer(
      "主目录：不给 --home 时，依次取 MIVORA_HOME、窗口保存的主目录、可写且放有素材目录的程序目录，"
      "都没有时用 ~/Mivora（第一次用时连同素材目录一起创建）。");
  runCommand->add_option("--home", run.home, "主目录（默认见下文）")->type_name("DIR");
  runCommand->add_option("--mode", run.mode, "video：视频剪辑（默认）；image：图片剪辑")
      ->check(OneOf({"video", "image"}))
      ->type_name("video|image");
  runCommand->add_flag("--intro", run.intro, "加片头（从“片头”目录随机选一个）");
  runCommand->add_flag("--outro", run.outro, "加片尾（从“片尾”目录随机选一个）");
  runCommand->add_option("--overlay", run.overlay, "叠加黑幕特效（black，默认）或绿幕特效（green）")
      ->check(OneOf({"black", "green"}))
      ->type_name("black|green");
  CLI::Option* effectsFile =
      runCommand->add_option("--effects", run.effectsFile, "从文件读取特效代码（每行一个特效组合）")
          ->type_name("FILE");
  CLI::Option* effectCode =
      runCommand
          ->add_option("--effect-code", run.effectCode,
                       "特效代码，行之间用换行分隔（默认：窗口的默认特效代码）")
          ->type_name("TEXT");
  effectsFile->excludes(effectCode);
  runCommand->add_option("--audio", run.audio, "音频目录（其中的 .mp3 文件）")->type_name("DIR");
  runCommand->add_flag("--all", run.all, "处理列表中的全部素材，而不只是前两个");
  runCommand
      ->add_option("-j,--jobs", run.jobs,
                   "同时处理的素材数；auto（默认）按本机处理器核数选择，每个核一个")
      ->type_name("N|auto");
  runCommand
      ->add_option(
          "--variants", run.variants,
          "每个素材生成几个成品（1 到 99，默认 1）；多于 1 个时第 k 个名为 <名称>-<k>.mp4，"
          "各个版本的特效组合、片头、片尾、叠加特效和音频互不相同")
      ->type_name("N");
  runCommand->add_flag("--skip-existing", run.skipExisting,
                       "成品已存在的不再生成（中断后接着做同一批）");
  runCommand
      ->add_option("--shard", run.shard,
                   "只处理序号（从 0 数）除以 N 余 I 的素材，用于多台机器分担一批")
      ->type_name("I/N");
  runCommand->add_option("--seed", run.seed, "随机选择的种子；同样的种子和素材得到同样的选择")
      ->type_name("N");
  runCommand
      ->add_option("--stall-timeout", run.stallTimeout,
                   "编码器这么多秒没有进展就停止它，该素材算失败（默认 60；0：从不）")
      ->type_name("SECONDS");
  runCommand->add_flag("--json", run.json, "在标准输出打印机器可读的汇总");
  std::vector<std::string> engines = EngineNames();
  runCommand
      ->add_option("--engine", run.engine,
                   "驱动编码器的方式（默认 " + std::string(kDefaultEngine) + "）")
      ->check(OneOf(engines))
      ->type_name("NAME");
  runCommand
      ->add_option("--fit", run.fit,
                   "不是 9:16 的画面如何放进画面：blur（默认，模糊背景）、cover（裁切铺满）、"
                   "stretch（拉伸）")
      ->check(OneOf(FitModeNames()))
      ->type_name("MODE");
  runCommand->add_option("--watermark", run.watermark, "在每个成品上写这段文字水印")
      ->type_name("TEXT");
  runCommand
      ->add_option("--watermark-position", run.watermarkPosition, "水印位置（默认 bottom-right）")
      ->check(OneOf(WatermarkPositionNames()))
      ->type_name("NAME");
  runCommand->add_option("--watermark-size", run.watermarkSize, "水印字号（默认 40）")
      ->type_name("N");
  runCommand
      ->add_option("--watermark-color", run.watermarkColor,
                   "水印颜色：颜色名或 #RRGGBB（默认 white）")
      ->type_name("COLOR");
  runCommand
      ->add_option("--watermark-opacity", run.watermarkOpacity, "水印不透明度 0..1（默认 0.8）")
      ->type_name("X");

  std::vector<std::string> reportFiles;
  bool reportJson = false;
  CLI::App* report = app.add_subcommand(
      "report", "把几次运行（例如各个分片）的 JSON 汇总合成一份：每个成品一项，取最近一次的结果");
  report->add_option("FILE", reportFiles, "run --json 写下的汇总文件")->required();
  report->add_flag("--json", reportJson, "打印合并后的机器可读汇总，而不是表格");
  report->footer(
      "退出状态：每一项都成功或已跳过、没有缺少的分片也没有未开始的运行时为 0，否则为 1；"
      "有文件不是汇总时为 2。"
      "两次运行都记着结束时间时以较晚的为准，否则以命令行上靠后的文件为准。");

  std::string effectName;
  bool rawTemplate = false;
  CLI::App* effects = app.add_subcommand(
      "effects", "列出七十个特效及其时长和相对耗时；给出名称时再显示该特效运行的命令");
  effects->add_option("NAME", effectName, "特效名称，例如 特效12");
  effects->add_flag("--raw", rawTemplate, "显示特效目录里保存的模板原文，而不是运行的命令");

  RenderArgs render;
  CLI::App* renderEffect =
      app.add_subcommand("render-effect", "用一个特效处理一个文件（试特效最快的办法）");
  renderEffect->add_option("NAME", render.name, "特效名称，例如 特效12")->required();
  renderEffect->add_option("INPUT", render.input, "输入视频")->required();
  renderEffect->add_option("OUTPUT", render.output, "输出视频（.mp4）")->required();
  renderEffect->add_option("--audio", render.audio, "要配音频的特效所用的 .mp3 文件")
      ->type_name("FILE");
  renderEffect
      ->add_option("--home", render.home, "主目录，在其 ffmpeg/bin 下找编码器（默认与 run 相同）")
      ->type_name("DIR");

  for (CLI::App* command : {demo, runCommand, report, effects, renderEffect}) {
    command->group("命令");
    command->get_help_ptr()->group("选项");
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    std::string command;
    for (CLI::App* sub : app.get_subcommands()) command = sub->get_name();
    return UsageError(command, ParseErrorText(error));
  }

  if (*demo) return Demo(demoDir, demoSeed, token, watch);
  if (*runCommand) return Run(run, token, watch);
  if (*report) return Report(reportFiles, reportJson);
  if (*effects) return effectName.empty() ? ListEffects() : ShowEffect(effectName, rawTemplate);
  return RenderOne(render, token, watch);
}

}  // namespace
}  // namespace mivora

int main(int argc, char** argv) {
  return mivora::Main(argc, argv);
}
