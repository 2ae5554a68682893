#include "cli/batch_commands.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "cli/batch_run.h"
#include "cli/batch_summary.h"
#include "cli/command_support.h"
#include "cli/demo_media.h"
#include "cli/job_count.h"
#include "cli/progress_report.h"
#include "jobs/engine_choice.h"
#include "jobs/html_report.h"
#include "jobs/run_check.h"
#include "jobs/summary_report.h"
#include "jobs/title_text.h"
#include "media/home_lock.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

constexpr char kDemoMarker[] = ".mivora-demo";

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
                          static_cast<int>(items.size()) * inputs.options.variants);
  std::vector<ItemResult> results = RunBatch(inputs, items, token, progress.Observer());
  progress.Finish();
  return results;
}

void PrintResults(const std::vector<ItemResult>& results) {
  for (const ItemResult& result : results) {
    std::cout << result.item << "\t" << result.source << "\t" << ResultText(result);
    if (!result.output.empty()) std::cout << "\t" << result.output.string();
    std::cout << "\n";
  }
}

// Turns the parsed options into batch options; returns a usage error text.
std::string ResolveRunArgs(const RunArgs& args, BatchOptions& options) {
  if (args.audio.empty()) return "请用 --audio DIR 指定音频目录（放 .mp3 文件的目录）";
  options.audioFolder = Absolute(args.audio);
  if (!IsFolder(options.audioFolder)) return "音频目录不存在：" + options.audioFolder.string();
  options.run = args.options;
  options.intro = args.intro;
  options.outro = args.outro;
  options.greenScreen = args.overlay == "green";
  if (!args.effectsFile.empty() && !ReadWholeFile(args.effectsFile, options.effectCode)) {
    return "无法读取特效代码文件：" + args.effectsFile;
  }
  if (!args.effectCode.empty()) options.effectCode = args.effectCode;
  options.all = args.all;
  options.run.jobs = ParseJobCount(args.jobs, std::thread::hardware_concurrency());
  if (options.run.jobs < 1) return "-j 的值必须是正整数或 auto：" + args.jobs;
  if (!VariantsInRange(options.run.variants))
    return "--variants 的值应在 1 到 " + std::to_string(kMaxVariants) + " 之间：" +
           std::to_string(options.run.variants);
  if (!(options.run.minDistance >= 0 && options.run.minDistance <= 1))
    return "--min-distance 的值应在 0 到 1 之间";
  if (!MusicVolumeInRange(options.run.sound.musicVolume))
    return "--music-volume 的值应在 0 到 1 之间";
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
  if (options.run.stallTimeout.count() < 0) return "--stall-timeout 的值不能为负数";
  if (options.run.watermark.enabled) {
    if (std::string problem = WatermarkProblem(options.run.watermark); !problem.empty())
      return problem;
  }
  // Last, so that a mistyped command leaves the user's home as it was: the
  // home folder is made only once the run is about to start.
  options.runDir =
      Absolute(args.home.empty() ? DefaultHome(true) : std::filesystem::path(args.home));
  if (!IsFolder(options.runDir)) return "主目录不存在：" + options.runDir.string();
  if (options.run.title.enabled) {
    std::filesystem::path list =
        args.titles.empty() ? options.runDir / kTitleListFile : Absolute(args.titles);
    if (!ReadTitleList(list, options.titles)) return "无法读取文案列表：" + list.string();
    if (std::string problem = TitleProblem(options.run.title, options.titles); !problem.empty())
      return problem;
  }
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
int Report(const std::vector<std::string>& files, bool json, const std::string& htmlPage,
           RunToken& token) {
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
  if (!htmlPage.empty()) {
    const std::filesystem::path page = Absolute(htmlPage);
    if (std::string problem = WriteHtmlReport(merged, page, ToolEnv{DefaultHome(false), token});
        !problem.empty()) {
      std::cerr << "mivora-cli: " << problem << "\n";
      return kExitFailed;
    }
    std::cerr << "报告页面：" << page.string() << "\n";
  }
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
    options.run.videoMode = videoMode;
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

}  // namespace

void BatchCommands::AddTo(CLI::App& app) {
  RunArgs& run = runArgs;
  demo = app.add_subcommand("demo",
                            "生成示例媒体，做一次视频剪辑和一次图片剪辑（加片头、片尾和叠加特效）");
  demo->add_option("DIR", demoDir, "示例主目录（默认 ./mivora-demo）");
  demo->add_option("--seed", demoSeed, "随机选择的种子（相同种子得到相同的选择）")->type_name("N");

  const RunOptions defaults;
  runCommand = app.add_subcommand("run", "像窗口里按“开始”一样处理主目录里的素材");
  runCommand->footer(
      "主目录：不给 --home 时，依次取 MIVORA_HOME、窗口保存的主目录、可写且放有素材目录的程序目录，"
      "都没有时用 ~/Mivora（第一次用时连同素材目录一起创建）。");
  runCommand->add_option("--home", run.home, "主目录（默认见下文）")->type_name("DIR");
  runCommand
      ->add_option_function<std::string>(
          "--mode", [&run](const std::string& mode) { run.options.videoMode = mode == "video"; },
          "video：视频剪辑（默认）；image：图片剪辑")
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
      ->add_option("--variants", run.options.variants,
                   "每个素材生成几个成品（1 到 " + std::to_string(kMaxVariants) + "，默认 " +
                       std::to_string(defaults.variants) +
                       "）；多于 1 个时第 k 个名为 <名称>-<k>.mp4，"
                       "各个版本的特效组合、片头、片尾、叠加特效和音频互不相同")
      ->type_name("N");
  runCommand
      ->add_option("--min-distance", run.options.minDistance,
                   "版本最小差异（0 到 1，默认 " + NumberText(defaults.minDistance) +
                       "：不检查）：与同一素材更早的版本差异小于它的版本"
                       "换一组选择重新生成，最多 3 次；0.1 能分开重新编码的副本和不同的特效组合")
      ->type_name("X");
  runCommand->add_flag("--skip-existing", run.options.skipExisting,
                       "完整的成品已存在的不再生成，不完整的重新生成（中断后接着做同一批）");
  runCommand
      ->add_option("--shard", run.shard,
                   "只处理序号（从 0 数）除以 N 余 I 的素材，用于多台机器分担一批")
      ->type_name("I/N");
  runCommand->add_option("--seed", run.seed, "随机选择的种子；同样的种子和素材得到同样的选择")
      ->type_name("N");
  runCommand
      ->add_option_function<int>(
          "--stall-timeout",
          [&run](int seconds) { run.options.stallTimeout = std::chrono::seconds(seconds); },
          "编码器这么多秒没有进展就停止它，该素材算失败（默认 " +
              std::to_string(StallTimeoutSeconds(defaults)) + "；0：从不）")
      ->type_name("SECONDS");
  runCommand->add_flag("--json", run.json, "在标准输出打印机器可读的汇总");
  std::vector<std::string> engines = EngineNames();
  runCommand
      ->add_option_function<std::string>(
          "--engine",
          [&run](const std::string& name) { run.options.engine = *kEngineNames.Parse(name); },
          "驱动编码器的方式（默认 " + std::string(kEngineNames.NameOf(defaults.engine)) + "）")
      ->check(OneOf(engines))
      ->type_name("NAME");
  runCommand
      ->add_option_function<std::string>(
          "--size",
          [&run](const std::string& name) { run.options.canvas = *ParseCanvasSize(name); },
          "成品尺寸：" + FrameSize(kBaseCanvas) + "（默认）或 " + FrameSize(kLargeCanvas) +
              "（平台推荐的尺寸，码率随像素增加）")
      ->check(OneOf(CanvasSizeNames()))
      ->type_name("SIZE");
  runCommand
      ->add_option_function<std::string>(
          "--fit", [&run](const std::string& name) { run.options.fit = *ParseFitMode(name); },
          "不是 9:16 的画面如何放进画面：blur（默认，模糊背景）、cover（裁切铺满）、"
          "stretch（拉伸）")
      ->check(OneOf(FitModeNames()))
      ->type_name("MODE");
  WatermarkOptions& mark = run.options.watermark;
  runCommand
      ->add_option_function<std::string>(
          "--watermark",
          [&mark](const std::string& text) {
            mark.text = text;
            mark.enabled = !text.empty();
          },
          "在每个成品上写这段文字水印")
      ->type_name("TEXT");
  runCommand
      ->add_option_function<std::string>(
          "--watermark-position",
          [&mark](const std::string& name) { mark.position = *ParseWatermarkPosition(name); },
          "水印位置（默认 " + std::string(WatermarkPositionName(defaults.watermark.position)) +
              "）")
      ->check(OneOf(WatermarkPositionNames()))
      ->type_name("NAME");
  runCommand
      ->add_option("--watermark-size", mark.size,
                   "水印字号（默认 " + std::to_string(defaults.watermark.size) + "）")
      ->type_name("N");
  runCommand
      ->add_option("--watermark-color", mark.color,
                   "水印颜色：颜色名或 #RRGGBB（默认 " + defaults.watermark.color + "）")
      ->type_name("COLOR");
  runCommand
      ->add_option("--watermark-opacity", mark.opacity,
                   "水印不透明度 0..1（默认 " + NumberText(defaults.watermark.opacity) + "）")
      ->type_name("X");
  TitleOptions& title = run.options.title;
  runCommand->add_flag("--add-titles", title.enabled,
                       "每个成品加一条文案（默认取主目录的“文案.txt”，每行一条）");
  runCommand
      ->add_option_function<std::string>(
          "--titles",
          [&run, &title](const std::string& file) {
            run.titles = file;
            title.enabled = true;
          },
          "从这个文件读文案列表（每行一条），并加文案")
      ->type_name("FILE");
  runCommand
      ->add_option_function<std::string>(
          "--title-position",
          [&title](const std::string& name) { title.position = *ParseWatermarkPosition(name); },
          "文案位置（默认 " + std::string(WatermarkPositionName(defaults.title.position)) + "）")
      ->check(OneOf(WatermarkPositionNames()))
      ->type_name("NAME");
  runCommand
      ->add_option_function<std::string>(
          "--title-style",
          [&title](const std::string& name) { title.style = *ParseTitleStyle(name); },
          "文案样式：outline（默认，描边）或 box（半透明底框）")
      ->check(OneOf(TitleStyleNames()))
      ->type_name("NAME");

  SoundOptions& sound = run.options.sound;
  runCommand
      ->add_option_function<std::string>(
          "--sound", [&sound](const std::string& name) { sound.mode = *kSoundNames.Parse(name); },
          "成品的声音：music（默认，只用背景音乐）、source（素材原声，片头片尾用自己的声音）、"
          "both（原声，背景音乐垫在下面）")
      ->check(OneOf(kSoundNames.Names()))
      ->type_name("MODE");
  runCommand
      ->add_option(
          "--music-volume", sound.musicVolume,
          "both 时背景音乐的音量 0..1（默认 " + NumberText(defaults.sound.musicVolume) + "）")
      ->type_name("X");
  runCommand->add_flag("--duck", sound.duck, "both 时素材有声音的地方压低背景音乐");

  report = app.add_subcommand(
      "report", "把几次运行（例如各个分片）的 JSON 汇总合成一份：每个成品一项，取最近一次的结果");
  report->add_option("FILE", reportFiles, "run --json 写下的汇总文件")->required();
  report->add_flag("--json", reportJson, "打印合并后的机器可读汇总，而不是表格");
  report
      ->add_option("--html", reportHtml,
                   "另写一个可以在浏览器里打开的页面：每个成品一行，带几张画面、链接和选择；"
                   "画面放在页面旁的 <名称>_files 目录里")
      ->type_name("PAGE.html");
  report->footer(
      "退出状态：每一项都成功或已跳过、没有缺少的分片也没有未开始的运行时为 0，否则为 1；"
      "有文件不是汇总时为 2。"
      "两次运行都记着结束时间时以较晚的为准，否则以命令行上靠后的文件为准。");
}

std::optional<int> BatchCommands::Carry(RunToken& token, const InterruptWatch& watch) const {
  if (*demo) return Demo(demoDir, demoSeed, token, watch);
  if (*runCommand) return Run(runArgs, token, watch);
  if (*report) return Report(reportFiles, reportJson, reportHtml, token);
  return std::nullopt;
}

}  // namespace mivora
