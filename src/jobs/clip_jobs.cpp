#include "jobs/clip_jobs.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <system_error>
#include <thread>

#include "effects/effect_code.h"
#include "effects/output_format.h"
#include "effects/random_source.h"
#include "jobs/distinct_versions.h"
#include "jobs/engine_choice.h"
#include "jobs/file_guard.h"
#include "jobs/input_check.h"
#include "jobs/item_run.h"
#include "jobs/machine_checks.h"
#include "jobs/output_names.h"
#include "jobs/resume_check.h"
#include "jobs/run_check.h"
#include "jobs/segment_pass.h"
#include "jobs/version_picks.h"
#include "media/run_lock.h"
#include "media/work_folders.h"
#include "runner/media_info.h"
#include "runner/placeholders.h"
#include "runner/text.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// The step of a run whose clip files are all unreadable.
constexpr char kInputCheckStep[] = "检查素材";
// The step of an item its disk has no room for.
constexpr char kSpaceCheckStep[] = "检查磁盘空间";

// The template that turns a picture into the video the walk cuts.
std::string ImageVideoCommand(const Canvas& format) {
  return std::string(kEncoderPlaceholder) + " -y -err_detect explode -xerror -i " +
         std::string(kImagePlaceholder) + " -vcodec libx264 -r " + std::to_string(format.fps) +
         " -vf \"pad=ceil(iw/2)*2:ceil(ih/2)*2,scale=" + FrameSize(format, ':') +
         ",loop=loop=-1:size=1\" -s " + FrameSize(format) + "  -aspect " + AspectText(format) +
         " -t " + std::to_string(kImageVideoSeconds) + " -b:v " +
         std::to_string(format.bitRateKbps) + "k " + std::string(kOutputPlaceholder);
}

// Below this a file is no picture anyone took.
constexpr int kSmallestImageSide = 16;

// One finished video to make: a source of the list and which of its versions.
struct Output {
  std::size_t source = 0;  // index into the job's items
  int variant = 1;
};

// Shared state of one run of items: the outputs to make, the next to take and
// the outcomes.
struct ItemQueue {
  const JobInputs& inputs;
  RunToken& token;
  EventGate events;
  std::vector<Output> outputs;
  std::vector<ItemOutcome> outcomes;  // per output
  std::atomic<std::size_t> next{0};
  // Every item fails with this status, without any encoder run.
  std::string refusal;
  // Per source of the list: its finished names and the seed its versions
  // draw their tuples from.
  std::vector<std::vector<std::string>> names;
  std::vector<std::uint32_t> versionSeeds;
  // The run's own work folder and the start of its part files' names.
  std::filesystem::path workFolder;
  std::string partPrefix;
  // Set by an output the machine failed: no further one is taken.
  std::atomic<bool> halted{false};
  // The fingerprints of the versions finished so far.
  VersionPrints prints;
};

std::filesystem::path ItemWorkFolder(const ItemQueue& queue, const Output& output) {
  const JobInputs& inputs = queue.inputs;
  std::string name = "item-" + std::to_string(inputs.items[output.source].item);
  if (inputs.options.variants > 1) name += "-" + std::to_string(output.variant);
  return queue.workFolder / name;
}

// `draw` is the version's number, or the number of a redraw of it.
ItemPlan PlanItem(const ItemQueue& queue, const Output& output, RandomSource& random, int draw) {
  const JobInputs& inputs = queue.inputs;
  const SourceItem& source = inputs.items[output.source];
  ItemPlan plan;
  plan.item = source.item;
  plan.variant = output.variant;
  plan.variants = inputs.options.variants;
  plan.videoMode = inputs.options.videoMode;
  plan.source = source.path;
  plan.name = source.name;
  plan.outputName = queue.names[output.source][static_cast<std::size_t>(output.variant - 1)];
  plan.paths = inputs.ownWorkFolders
                   ? WorkPaths::InFolder(inputs.runDir, ItemWorkFolder(queue, output))
                   : WorkPaths::ForRunDir(inputs.runDir);
  plan.paths.partPrefix = queue.partPrefix;
  if (!inputs.options.videoMode) plan.imageVideo = plan.paths.ImageVideoFolder() / plan.outputName;
  if (plan.variants > 1) {
    VersionPicks version = DrawVersion(inputs.choices, inputs.options.title.enabled,
                                       inputs.effectLines, queue.versionSeeds[output.source], draw);
    plan.effects = SplitPick(version.effectLine);
    plan.versionClips = std::move(version.clips);
  } else {
    plan.effects = SplitPick(PickEffectLine(inputs.effectLines, random));
  }
  return plan;
}

// The item fails before any encode when the output's or the work folder's
// file system has no room for an item of `seconds`.
std::optional<ItemOutcome> NoRoomFor(ItemRun& run, double seconds) {
  const ItemPlan& plan = run.plan();
  std::string problem =
      ShortOfSpace({plan.paths.OutputFolder(plan.videoMode), plan.paths.concatFile.parent_path()},
                   BytesNeeded(seconds, run.canvas()));
  if (problem.empty()) return std::nullopt;
  run.Log(problem + "\r\n");
  ItemOutcome outcome;
  outcome.kind = ItemOutcome::Kind::kDiskFull;
  outcome.status = problem;
  outcome.failedStep = kSpaceCheckStep;
  return outcome;
}

// A raw stream holds no times, and the length the encoder guesses for it
// from a bit rate in its header can be a fraction of a second for minutes
// of pictures; nor can anything seek in it. Such a source, or one without
// a length or too short to use, is copied once into a file with the times
// of its pictures, which the item then reads instead.
std::optional<std::filesystem::path> CopyWithTimes(ItemRun& run, const SourceInfo& info) {
  if (!info.shape || (!info.lengthGuessed && info.seconds >= 1.0)) return std::nullopt;
  std::filesystem::path copy = run.paths().framedFile.parent_path() / "out临时源.mkv";
  EnsureFolder(copy.parent_path());
  ToolOutcome outcome =
      RunJudged(run.tools(), {std::string(kEncoderPlaceholder), "-y", "-fflags", "+genpts", "-i",
                              ToolPath(run.plan().source), "-map", "0:v:0", "-map", "0:a:0?", "-c",
                              "copy", "-f", "matroska", copy.string()});
  if (!outcome.ok()) {
    DeleteWorkFile(copy);
    // Only the machine's refusal is worth telling; otherwise the source is
    // judged by what the first probe said.
    if (outcome.MachineFault()) run.Judge(outcome);
    return std::nullopt;
  }
  return copy;
}

// A source that is no longer where its list says: deleted or moved since
// it was imported, which is no fault of the file.
constexpr char kSourceGone[] = "剪切失败：素材不存在（导入后被删除或移走）";
constexpr char kImageGone[] = "【图片转视频】图片不存在（导入后被删除或移走）";

bool Gone(const std::string& source) {
  std::error_code error;
  return !source.empty() && !std::filesystem::exists(source, error) && !error;
}

ItemOutcome RunVideoItem(ItemRun& run, ClipEngine& engine) {
  const std::string& source = run.plan().source;
  run.Step("探测时长");
  run.WatchSource(source);
  SourceInfo info = source.empty() ? SourceInfo{} : ProbeSource(run.tools(), source);
  if (run.Stopped()) return run.Failed();
  std::optional<std::filesystem::path> copy = CopyWithTimes(run, info);
  FileGuard copyGuard(copy.value_or(std::filesystem::path()));
  if (run.Stopped()) return run.Failed();
  if (copy) {
    SourceInfo copied = ProbeSource(run.tools(), *copy);
    if (run.Stopped()) return run.Failed();
    copied.shape = info.shape;
    info = copied;
  }
  std::filesystem::path walked = copy.value_or(std::filesystem::path(source));
  run.KnowShape(walked, info.shape);
  // Said apart, so a user can tell a file nobody can read from one with
  // sound only, a short one, or one that is gone since it was listed.
  std::string problem = info.shape       ? (info.seconds < 1.0 ? "剪切失败：素材太短" : "")
                        : info.soundOnly ? "剪切失败：素材没有画面"
                        : Gone(source)   ? kSourceGone
                                         : "剪切失败：素材无法读取";
  if (!problem.empty()) {
    run.Log("剪切失败。。。\r\n");
    return run.Failed(problem);
  }
  if (std::optional<ItemOutcome> noRoom = NoRoomFor(run, info.seconds)) return *noRoom;
  if (info.audioNeedsEncoding) run.EncodeSourceAudio();
  run.KnowSourceSound(info.hasSound);
  return SegmentPass(run, engine, static_cast<int>(info.seconds), walked);
}

// The picture is read by its content, whatever its name says; one the
// encoder cannot read, or too small to be a picture, fails before any encode.
std::string ImageProblem(ItemRun& run) {
  std::optional<VideoShape> shape = run.ShapeOf(run.plan().source);
  if (run.Stopped()) return {};
  if (!shape) return Gone(run.plan().source) ? kImageGone : "【图片转视频】图片无法读取";
  if (shape->width < kSmallestImageSide || shape->height < kSmallestImageSide)
    return "【图片转视频】图片太小";
  return {};
}

// The status of a failed encode of a picture: the decoder stopped on damage
// (no phrase of the classification table), or what the encoder said.
std::string PictureFailure(const ToolOutcome& outcome) {
  if (outcome.kind == ToolOutcome::Kind::kFailed && outcome.text == kUnknownError) {
    return "【图片转视频】图片损坏";
  }
  return "【图片转视频】" + outcome.text;
}

ItemOutcome RunImageItem(ItemRun& run, ClipEngine& engine) {
  const ItemPlan& plan = run.plan();
  run.Step("图片转视频", kImageVideoSeconds);
  if (std::string problem = ImageProblem(run); !problem.empty() || run.Stopped()) {
    run.Judge(ToolOutcome::Failed(problem));
    return run.Failed(problem);
  }
  if (std::optional<ItemOutcome> noRoom = NoRoomFor(run, kImageVideoSeconds)) return *noRoom;
  EnsureFolder(plan.paths.ImageVideoFolder());
  // A picture of another shape is first brought into the frame, once.
  std::filesystem::path image = plan.source;
  std::filesystem::path framed = plan.paths.framedFile;
  framed.replace_extension(".png");
  FileGuard framedGuard(framed);
  EnsureFolder(framed.parent_path());
  if (std::optional<FitMode> fit = run.FramingFor(plan.source)) {
    ToolOutcome fitted = run.Judge(RunJudged(run.tools(), FramedImageArgs(*fit, image, framed, run.canvas())));
    if (run.Stopped()) return run.Failed();
    if (!fitted.ok()) return run.Failed(PictureFailure(fitted));
    image = framed;
  }
  // The image's video takes its name only when whole; a run killed on the
  // way leaves its part file, which the next run's lock removes.
  PartFile imageVideo(plan.imageVideo, plan.paths.partPrefix);
  // Decoded and scaled once, then held: a huge photo costs no more than a
  // small one. A damaged picture stops the decoder at once instead of
  // giving a grey one.
  ToolOutcome outcome =
      run.Judge(RunJudged(run.tools(), ImageVideoCommand(run.canvas()),
                          {{std::string(kImagePlaceholder), ToolPath(image.string())},
                           {std::string(kOutputPlaceholder), imageVideo.path().string()}}));
  if (run.Stopped()) return run.Failed();
  if (!outcome.ok()) return run.Failed(PictureFailure(outcome));
  if (!imageVideo.Commit())
    return run.Failed("【图片转视频】无法保存：" + plan.imageVideo.string());

  run.Step("探测时长");
  int seconds = ProbeDuration(run.tools(), plan.imageVideo);
  if (run.Stopped()) return run.Failed();
  return SegmentPass(run, engine, seconds, plan.imageVideo);
}

ItemOutcome RunOneItem(ItemQueue& queue, const ItemPlan& plan, RandomSource& random) {
  const JobInputs& inputs = queue.inputs;
  std::unique_ptr<ClipEngine> engine = MakeEngine(inputs.options.engine);
  ItemRun run(plan, inputs, random, queue.token, queue.events);
  return inputs.options.videoMode ? RunVideoItem(run, *engine) : RunImageItem(run, *engine);
}

// A resumed run keeps a finished video only when it is whole. One that a
// power cut or a full disk elsewhere left broken is made again (`remade`);
// it stays until its successor, whole, takes its name by rename.
std::optional<ItemOutcome> SkippedOutcome(ItemQueue& queue, const ItemPlan& plan, bool& remade) {
  if (!queue.inputs.options.skipExisting) return std::nullopt;
  std::filesystem::path finished = plan.paths.OutputFolder(plan.videoMode) / plan.outputName;
  ExistingOutput existing = CheckExistingOutput(finished, queue.inputs.options.canvas);
  if (existing == ExistingOutput::kMissing) return std::nullopt;
  if (existing == ExistingOutput::kBroken) {
    queue.events.Emit(
        [&](JobSink& sink) { sink.RunLog("成品不完整，重新生成：" + finished.string() + "\r\n"); });
    remade = true;
    return std::nullopt;
  }
  queue.events.Emit(
      [&](JobSink& sink) { sink.RunLog("已存在，跳过：" + finished.string() + "\r\n"); });
  ItemOutcome outcome;
  outcome.kind = ItemOutcome::Kind::kSkipped;
  outcome.status = kSkippedStatus;
  outcome.output = finished;
  return outcome;
}

// Sets a finished video aside while its version is drawn again, and gives it
// back when the new one fails: a version is never lost to a redraw.
class SetAside {
 public:
  SetAside(std::filesystem::path file, std::filesystem::path aside)
      : file_(std::move(file)), aside_(std::move(aside)) {
    std::error_code error;
    std::filesystem::rename(file_, aside_, error);
    ok_ = !error;
  }
  ~SetAside() {
    std::error_code ignored;
    if (!ok_) return;
    if (restore_) std::filesystem::rename(aside_, file_, ignored);
    std::filesystem::remove(aside_, ignored);
  }
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;
  bool ok() const { return ok_; }
  void Drop() { restore_ = false; }

 private:
  std::filesystem::path file_;
  std::filesystem::path aside_;
  bool ok_ = false;
  bool restore_ = true;
};

// Runs the item and measures the video it made. A version closer than the
// run's least distance to an earlier one of its source is made again with
// another draw, up to kMostRedraws times; the last one is kept, and said so
// when it is still too close.
ItemOutcome MakeVersion(ItemQueue& queue, const Output& output, ItemPlan& plan,
                        RandomSource& random) {
  const JobInputs& inputs = queue.inputs;
  const ToolEnv env{inputs.runDir, queue.token};
  ItemOutcome outcome = RunOneItem(queue, plan, random);
  int redraws = 0;
  while (inputs.fingerprints && outcome.ok()) {
    MeasureVersion(env, queue.prints, output.source, output.variant, outcome);
    if (!TooClose(outcome, inputs.options.minDistance) || queue.token.IsCancelled()) break;
    if (redraws == kMostRedraws) {
      queue.events.Emit(
          [&](JobSink& sink) { sink.RunLog(KeptCloseLine(outcome.output, *outcome.nearest)); });
      break;
    }
    queue.events.Emit(
        [&](JobSink& sink) { sink.RunLog(RedrawLine(outcome.output, *outcome.nearest)); });
    SetAside aside(outcome.output, queue.workFolder / ("aside-" + plan.outputName));
    if (!aside.ok()) break;
    if (inputs.ownWorkFolders) {
      std::error_code error;
      std::filesystem::remove_all(ItemWorkFolder(queue, output), error);
    }
    ItemPlan again = PlanItem(queue, output, random,
                              RedrawNumber(inputs.options.variants, output.variant, ++redraws));
    ItemOutcome next = RunOneItem(queue, again, random);
    if (!next.ok()) break;
    aside.Drop();
    plan = std::move(again);
    outcome = std::move(next);
  }
  return outcome;
}

void TakeItems(ItemQueue& queue) {
  const JobInputs& inputs = queue.inputs;
  for (;;) {
    if (queue.token.IsCancelled() || queue.halted) return;
    std::size_t index = queue.next.fetch_add(1);
    if (index >= queue.outputs.size()) return;
    const Output& output = queue.outputs[index];
    const SourceItem& source = inputs.items[output.source];

    // Items side by side may not share one generator; a lone item draws from
    // the program's one source, as the window always did.
    std::unique_ptr<RandomSource> own;
    if (inputs.seed && !inputs.random) {
      std::uint32_t tick = ItemTick(*inputs.seed, source.item);
      own = std::make_unique<RandomSource>(
          inputs.options.variants > 1 ? ItemTick(tick, output.variant) : tick);
    } else if (inputs.options.jobs > 1) {
      own = std::make_unique<RandomSource>();
    }
    RandomSource& random = own ? *own : inputs.random ? *inputs.random : RandomSource::Shared();

    ItemPlan plan = PlanItem(queue, output, random, output.variant);
    queue.events.Emit([&](JobSink& sink) { sink.ItemStarted(plan); });
    ItemOutcome outcome;
    bool remade = false;
    if (std::optional<ItemOutcome> skipped = SkippedOutcome(queue, plan, remade)) {
      outcome = std::move(*skipped);
      if (inputs.fingerprints)
        MeasureVersion(ToolEnv{inputs.runDir, queue.token}, queue.prints, output.source,
                       output.variant, outcome);
    } else if (queue.refusal.empty()) {
      outcome = MakeVersion(queue, output, plan, random);
    } else {
      outcome.status = queue.refusal;
      outcome.failedStep = kInputCheckStep;
    }
    outcome.remade = remade;
    if (inputs.ownWorkFolders) {
      std::error_code error;
      std::filesystem::remove_all(ItemWorkFolder(queue, output), error);
    }
    // A full disk or a closed folder fails every item after it the same way.
    if (outcome.MachineFault()) queue.halted = true;
    std::optional<VideoFingerprint> print = ParseFingerprint(outcome.fingerprint);
    queue.prints.Ended(output.source, output.variant, outcome.output,
                       outcome.done() && print ? std::move(*print) : VideoFingerprint());
    queue.events.EmitAlways([&](JobSink& sink) { sink.ItemFinished(plan, outcome); });
    queue.outcomes[index] = std::move(outcome);
  }
}

// RunOutputs, by index into the job's items.
std::vector<Output> OutputsOf(const JobInputs& inputs) {
  std::vector<Output> outputs;
  for (std::size_t i = 0; i < inputs.items.size(); ++i) {
    if (!inputs.onlyItems.empty() && std::find(inputs.onlyItems.begin(), inputs.onlyItems.end(),
                                               inputs.items[i].item) == inputs.onlyItems.end()) {
      continue;
    }
    for (int k = 1; k <= inputs.options.variants; ++k) outputs.push_back({i, k});
  }
  return outputs;
}

// Names and version seeds over the whole list, so that every shard agrees;
// the clashes resolved are said in the log.
void NameTheOutputs(ItemQueue& queue) {
  const JobInputs& inputs = queue.inputs;
  std::vector<std::string> plain;
  for (const SourceItem& source : inputs.items) {
    plain.push_back(inputs.options.videoMode ? source.name : ImageVideoName(source.name));
    queue.versionSeeds.push_back(inputs.seed ? ItemTick(*inputs.seed, source.item)
                                             : std::random_device{}());
  }
  OutputNames named = NameOutputs(plain, inputs.options.variants);
  queue.names = std::move(named.names);
  for (const std::string& note : named.notes) {
    queue.events.Emit([&](JobSink& sink) { sink.RunLog(note + "\r\n"); });
  }
  const std::uint64_t combinations =
      SpaceOf(inputs.choices, inputs.options.title.enabled, inputs.effectLines).Combinations();
  if (inputs.options.variants > 1 &&
      combinations < static_cast<std::uint64_t>(inputs.options.variants)) {
    std::string line = "特效代码和素材目录只够 " + std::to_string(combinations) +
                       " 种不同的组合，少于每个素材要生成的 " +
                       std::to_string(inputs.options.variants) +
                       " 个版本：多出的版本会重复已有的组合\r\n";
    queue.events.Emit([&](JobSink& sink) { sink.RunLog(line); });
  }
}

}  // namespace

std::vector<OutputId> RunOutputs(const JobInputs& inputs) {
  std::vector<OutputId> ids;
  for (const Output& output : OutputsOf(inputs))
    ids.push_back({inputs.items[output.source].item, output.variant});
  return ids;
}

std::string ImageVideoName(const std::string& imageName) {
  return ReplacePairs(imageName, {{".jpg", ".mp4"}});
}

std::uint32_t ItemTick(std::uint32_t seed, int item) {
  // A splitmix-style finaliser: nearby seeds and items give unrelated ticks.
  std::uint64_t x = (static_cast<std::uint64_t>(seed) << 32) ^ static_cast<std::uint32_t>(item);
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  x ^= x >> 31;
  return static_cast<std::uint32_t>(x);
}

std::vector<ItemOutcome> RunItems(const JobInputs& inputs, JobSink& sink, RunToken& token) {
  // The run's claim on the home; what crashed runs left behind goes first.
  const WorkPaths home = WorkPaths::ForRunDir(inputs.runDir);
  RunLock lock(inputs.runDir,
               {home.VideoOutputFolder(), home.ImageOutputFolder(), home.ImageVideoFolder()});
  // Clip files nobody can read are named once and never picked, instead of
  // failing whichever item draws them.
  const FrontChoices& now = inputs.choices;
  std::map<std::string, VideoShape> shapes;
  std::set<std::string> unreadable = UnreadableClips(now, ToolEnv{inputs.runDir, token}, shapes);
  JobInputs checked = inputs;
  checked.clipShapes = std::move(shapes);
  checked.choices = WithoutClips(inputs.choices, unreadable);
  ItemQueue queue{checked, token, EventGate(sink, token), OutputsOf(inputs), {}, {}, {},
                  {},      {},    lock.WorkFolder(),      lock.PartPrefix(), {}, {}};
  if (!lock.removed().empty()) {
    std::string line = "已清理中断的运行留下的文件：";
    for (std::size_t i = 0; i < lock.removed().size(); ++i)
      line += (i == 0 ? "" : "、") + lock.removed()[i].string();
    queue.events.Emit([&](JobSink& each) { each.RunLog(line + "\r\n"); });
  }
  for (const std::string& path : unreadable) {
    queue.events.Emit([&](JobSink& each) {
      each.RunLog("无法读取，不参与选择：" + path + "\r\n");
      each.ClipUnreadable(path);
    });
  }
  NameTheOutputs(queue);
  queue.refusal = ClipRefusal(now, unreadable);
  ItemOutcome notStarted;
  notStarted.kind = ItemOutcome::Kind::kStopped;
  queue.outcomes.assign(queue.outputs.size(), notStarted);

  std::size_t workers = std::min<std::size_t>(
      static_cast<std::size_t>(std::max(inputs.options.jobs, 1)), queue.outputs.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(TakeItems, std::ref(queue));
  if (workers > 0) TakeItems(queue);
  for (std::thread& thread : threads) thread.join();
  return queue.outcomes;
}

JobEnd RunClipJob(JobInputs inputs, JobSink& sink, RunToken& token) {
  if (std::optional<RunRefusal> refusal = CheckRun(inputs, token)) {
    return {JobEnd::Kind::kRefused, refusal->message,
            refusal->logged() ? refusal->message + "\r\n" : std::string()};
  }
  std::vector<ItemOutcome> outcomes = RunItems(inputs, sink, token);
  if (token.IsCancelled()) return {JobEnd::Kind::kStopped, {}, {}};
  for (const ItemOutcome& outcome : outcomes) {
    if (outcome.MachineFault()) {
      return {JobEnd::Kind::kHalted, outcome.status, "任务停止：" + outcome.status + "\r\n"};
    }
  }
  return {JobEnd::Kind::kFinished, "任务完毕", {}};
}

}  // namespace mivora
