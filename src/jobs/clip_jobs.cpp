#include "jobs/clip_jobs.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <thread>

#include "effects/effect_code.h"
#include "effects/random_source.h"
#include "jobs/engine_choice.h"
#include "jobs/file_guard.h"
#include "jobs/input_check.h"
#include "jobs/item_run.h"
#include "jobs/segment_pass.h"
#include "media/work_folders.h"
#include "runner/media_info.h"
#include "runner/text.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// The step of a run whose clip files are all unreadable.
constexpr char kInputCheckStep[] = "检查素材";

// Below this a file is no picture anyone took.
constexpr int kSmallestImageSide = 16;

std::filesystem::path ItemWorkFolder(const std::filesystem::path& runDir, int item) {
  return runDir / kItemWorkFolder / ("item-" + std::to_string(item));
}

ItemPlan PlanItem(const JobInputs& inputs, const SourceItem& source, RandomSource& random) {
  ItemPlan plan;
  plan.item = source.item;
  plan.videoMode = inputs.videoMode;
  plan.source = source.path;
  plan.name = source.name;
  plan.outputName = inputs.videoMode ? source.name : ImageVideoName(source.name);
  plan.paths = inputs.ownWorkFolders
                   ? WorkPaths::InFolder(inputs.runDir, ItemWorkFolder(inputs.runDir, source.item))
                   : WorkPaths::ForRunDir(inputs.runDir);
  if (!inputs.videoMode) plan.imageVideo = plan.paths.ImageVideoFolder() / plan.outputName;
  plan.effects = SplitPick(PickEffectLine(inputs.effectLines, random));
  return plan;
}

ItemOutcome RunVideoItem(ItemRun& run, ClipEngine& engine) {
  const std::string& source = run.plan().source;
  run.Step("探测时长");
  SourceInfo info = source.empty() ? SourceInfo{} : ProbeSource(run.tools(), source);
  if (run.Stopped()) return run.Finish(false, {});
  run.KnowShape(source, info.shape);
  // Said apart, so a user can tell a file nobody can read from a short one.
  std::string problem = !info.shape          ? "剪切失败：素材无法读取"
                        : info.seconds < 1.0 ? "剪切失败：素材太短"
                                             : "";
  if (!problem.empty()) {
    run.Log("剪切失败。。。\r\n");
    return run.Finish(false, problem);
  }
  if (info.audioNeedsEncoding) run.EncodeSourceAudio();
  return SegmentPass(run, engine, static_cast<int>(info.seconds), source);
}

// The picture is read by its content, whatever its name says; one the
// encoder cannot read, or too small to be a picture, fails before any encode.
std::string ImageProblem(ItemRun& run) {
  std::optional<VideoShape> shape = run.ShapeOf(run.plan().source);
  if (run.Stopped()) return {};
  if (!shape) return "【图片转视频】图片无法读取";
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
  run.Step("图片转视频", 15);
  if (std::string problem = ImageProblem(run); !problem.empty() || run.Stopped()) {
    run.Judge(ToolOutcome::Failed(problem));
    return run.Finish(false, problem);
  }
  EnsureFolder(plan.paths.ImageVideoFolder());
  // A picture of another shape is first brought into the frame, once.
  std::filesystem::path image = plan.source;
  std::filesystem::path framed = plan.paths.framedFile;
  framed.replace_extension(".png");
  FileGuard framedGuard(framed);
  EnsureFolder(framed.parent_path());
  if (std::optional<FitMode> fit = run.FramingFor(plan.source)) {
    ToolOutcome fitted = run.Judge(RunJudged(run.tools(), FramedImageArgs(*fit, image, framed)));
    if (run.Stopped()) return run.Finish(false, {});
    if (!fitted.ok()) return run.Finish(false, PictureFailure(fitted));
    image = framed;
  }
  // A half-made video of the image is no use to anyone.
  FileGuard halfMade(plan.imageVideo);
  // Decoded and scaled once, then held: a huge photo costs no more than a
  // small one. A damaged picture stops the decoder at once instead of
  // giving a grey one.
  ToolOutcome outcome = run.Judge(RunJudged(
      run.tools(),
      "D:\\ffmpeg\\bin\\ffmpeg.exe -y -err_detect explode -xerror -i D:\\1.jpg -vcodec libx264 "
      "-r 30 -vf \"pad=ceil(iw/2)*2:ceil(ih/2)*2,scale=720:1280,loop=loop=-1:size=1\" -s 720x1280  "
      "-aspect 9:16 -t 15 -b:v 3000k D:\\out.mp4",
      {{"D:\\1.jpg", ToolPath(image.string())}, {"D:\\out.mp4", plan.imageVideo.string()}}));
  if (run.Stopped()) return run.Finish(false, {});
  if (!outcome.ok()) return run.Finish(false, PictureFailure(outcome));
  halfMade.Keep();

  run.Step("探测时长");
  int seconds = ProbeDuration(run.tools(), plan.imageVideo);
  if (run.Stopped()) return run.Finish(false, {});
  return SegmentPass(run, engine, seconds, plan.imageVideo);
}

// Shared state of one run of items: the next item to take and the outcomes.
struct ItemQueue {
  const JobInputs& inputs;
  RunToken& token;
  EventGate events;
  std::vector<ItemOutcome> outcomes;
  std::atomic<std::size_t> next{0};
  // Every item fails with this status, without any encoder run.
  std::string refusal;
};

ItemOutcome RunOneItem(ItemQueue& queue, const ItemPlan& plan, RandomSource& random) {
  const JobInputs& inputs = queue.inputs;
  std::unique_ptr<ClipEngine> engine = MakeEngine(inputs.engine);
  if (!engine) {
    ItemOutcome refused;
    refused.status = "未知的处理方式：" + inputs.engine;
    return refused;
  }
  ItemRun run(plan, inputs, random, queue.token, queue.events);
  return inputs.videoMode ? RunVideoItem(run, *engine) : RunImageItem(run, *engine);
}

void TakeItems(ItemQueue& queue) {
  const JobInputs& inputs = queue.inputs;
  for (;;) {
    if (queue.token.IsCancelled()) return;
    std::size_t index = queue.next.fetch_add(1);
    if (index >= inputs.items.size()) return;
    const SourceItem& source = inputs.items[index];

    // Items side by side may not share one generator; a lone item draws from
    // the program's one source, as the window always did.
    std::unique_ptr<RandomSource> own;
    if (inputs.seed && !inputs.random) {
      own = std::make_unique<RandomSource>(ItemTick(*inputs.seed, source.item));
    } else if (inputs.jobs > 1) {
      own = std::make_unique<RandomSource>();
    }
    RandomSource& random = own ? *own : inputs.random ? *inputs.random : RandomSource::Shared();

    ItemPlan plan = PlanItem(inputs, source, random);
    queue.events.Emit([&](JobSink& sink) { sink.ItemStarted(plan); });
    ItemOutcome outcome;
    if (queue.refusal.empty()) {
      outcome = RunOneItem(queue, plan, random);
    } else {
      outcome.status = queue.refusal;
      outcome.failedStep = kInputCheckStep;
    }
    if (inputs.ownWorkFolders) {
      std::error_code error;
      std::filesystem::remove_all(ItemWorkFolder(inputs.runDir, source.item), error);
    }
    queue.events.EmitAlways([&](JobSink& sink) { sink.ItemFinished(plan, outcome); });
    queue.outcomes[index] = std::move(outcome);
  }
}

}  // namespace

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
  // Clip files nobody can read are named once and never picked, instead of
  // failing whichever item draws them.
  FrontChoices now = inputs.ChoicesNow();
  std::map<std::string, VideoShape> shapes;
  std::set<std::string> unreadable = UnreadableClips(now, ToolEnv{inputs.runDir, token}, shapes);
  JobInputs checked = inputs;
  checked.clipShapes = std::move(shapes);
  checked.choices = WithoutClips(inputs.choices, unreadable);
  if (inputs.choicesNow) {
    checked.choicesNow = [&inputs, unreadable] {
      return WithoutClips(inputs.choicesNow(), unreadable);
    };
  }
  ItemQueue queue{checked, token, EventGate(sink, token), {}, {}, {}};
  std::string names;
  for (const std::string& path : unreadable) {
    queue.events.Emit([&](JobSink& each) {
      each.RunLog("无法读取，不参与选择：" + path + "\r\n");
      each.ClipUnreadable(path);
    });
    if (std::find(now.audios.begin(), now.audios.end(), path) != now.audios.end()) {
      names += (names.empty() ? "" : "、") + std::filesystem::path(path).filename().string();
    }
  }
  // Every item needs an audio file.
  if (!now.audios.empty() && WithoutClips(now, unreadable).audios.empty()) {
    queue.refusal = "音频无法读取：" + names;
  }
  ItemOutcome notStarted;
  notStarted.kind = ItemOutcome::Kind::kStopped;
  queue.outcomes.assign(inputs.items.size(), notStarted);

  std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(inputs.jobs, 1)),
                                              inputs.items.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(TakeItems, std::ref(queue));
  if (workers > 0) TakeItems(queue);
  for (std::thread& thread : threads) thread.join();

  // The shared folder goes once no item works in it any more (other shards
  // of a batch may still use it, so only when empty).
  if (inputs.ownWorkFolders) {
    std::error_code error;
    std::filesystem::remove(inputs.runDir / kItemWorkFolder, error);
  }
  return queue.outcomes;
}

std::string PrepareWatermark(JobInputs& inputs, RunToken& token) {
  if (!inputs.watermark.enabled) return {};
  if (std::string problem = WatermarkProblem(inputs.watermark); !problem.empty()) return problem;
  inputs.watermarkFont = FindCjkFont(token);
  return inputs.watermarkFont.error;
}

JobEnd RunClipJob(JobInputs inputs, JobSink& sink, RunToken& token) {
  if (inputs.items.empty()) {
    return {JobEnd::Kind::kRefused, inputs.videoMode ? "视频剪辑没有导入" : "图片剪辑没有导入", {}};
  }
  // Without an encoder every item would fail the same way; say so once,
  // before any item starts.
  if (std::string missing = MissingEncoderMessage(inputs.runDir); !missing.empty()) {
    return {JobEnd::Kind::kRefused, missing, missing + "\r\n"};
  }
  if (std::string problem = PrepareWatermark(inputs, token); !problem.empty()) {
    return {JobEnd::Kind::kRefused, problem, problem + "\r\n"};
  }
  RunItems(inputs, sink, token);
  if (token.IsCancelled()) return {JobEnd::Kind::kStopped, {}, {}};
  return {JobEnd::Kind::kFinished, "任务完毕", {}};
}

}  // namespace mivora
