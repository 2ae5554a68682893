#include "jobs/item_run.h"

#include <utility>
#include <vector>

#include "runner/media_info.h"

namespace mivora {
namespace {

std::string PickPath(RandomSource& random, const std::vector<std::string>& paths) {
  if (paths.empty()) return {};
  return paths[random.PickIndex(static_cast<int>(paths.size()))];
}

}  // namespace

ItemRun::ItemRun(const ItemPlan& plan, const JobInputs& inputs, RandomSource& random,
                 RunToken& token, EventGate& events)
    : plan_(plan),
      inputs_(inputs),
      random_(random),
      token_(token),
      events_(events),
      tools_{inputs.runDir, token,
             [this](const std::string& text) {
               events_.Emit([&](JobSink& sink) { sink.ConsoleOutput(text); });
             },
             [this](double seconds) {
               events_.Emit([&](JobSink& sink) { sink.Progress(plan_, seconds, stepSeconds_); });
             },
             static_cast<int>(inputs.options.stallTimeout.count())} {}

void ItemRun::Step(std::string step, double seconds) {
  step_ = std::move(step);
  stepSeconds_ = seconds;
  events_.Emit([&](JobSink& sink) { sink.StepStarted(plan_, step_); });
}

void ItemRun::Log(std::string_view line) {
  events_.Emit([&](JobSink& sink) { sink.Log(plan_, line); });
}

ToolOutcome ItemRun::Judge(ToolOutcome outcome) {
  if (!outcome.ok()) failure_ = Failure{step_, outcome};
  return outcome;
}

void ItemRun::WatchSource(const std::filesystem::path& source) {
  watched_ = source;
  watchedStamp_ = StampOf(source);
}

bool ItemRun::SourceChanged() const {
  return !watched_.empty() && StampOf(watched_) != watchedStamp_;
}

std::string ItemRun::PickEffectAudio() {
  random_.Reseed();
  return PickPath(random_, inputs_.choices.audios);
}

const AssemblyPicks& ItemRun::Picks() {
  if (picks_) return *picks_;
  const FrontChoices& choices = inputs_.choices;
  AssemblyPicks picks;
  if (plan_.versionClips) {
    // A version's clips were drawn with its effect line.
    picks = *plan_.versionClips;
  } else {
    random_.Reseed();
    if (choices.intro) picks.intro = PickPath(random_, choices.intros);
    if (choices.outro) picks.outro = PickPath(random_, choices.outros);
    picks.blackScreen = choices.blackScreen;
    picks.overlay =
        PickPath(random_, picks.blackScreen ? choices.blackScreens : choices.greenScreens);
    picks.audio = PickPath(random_, choices.audios);
    if (inputs_.options.title.enabled) picks.title = PickPath(random_, choices.titles);
  }
  picks.outputFolder = plan_.paths.OutputFolder(plan_.videoMode);
  picks_ = std::move(picks);
  return *picks_;
}

std::optional<FitMode> ItemRun::FramingFor(const std::filesystem::path& file) {
  if (inputs_.options.fit == FitMode::kStretch || file.empty()) return std::nullopt;
  std::optional<VideoShape> shape = ShapeOf(file);
  if (!shape || !NeedsFraming(shape->DisplayAspect())) return std::nullopt;
  return inputs_.options.fit;
}

std::optional<FitMode> ItemRun::OverlayFramingFor(const std::filesystem::path& clip) {
  if (!FramingFor(clip)) return std::nullopt;
  return FitMode::kCover;
}

std::optional<VideoShape> ItemRun::ShapeOf(const std::filesystem::path& file) {
  auto known = shapes_.find(file);
  if (known != shapes_.end()) return known->second;
  auto clip = inputs_.clipShapes.find(file.string());
  if (clip != inputs_.clipShapes.end()) return clip->second;
  std::optional<VideoShape> shape = ProbeVideoShape(tools_, file);
  if (!Stopped()) shapes_[file] = shape;
  return shape;
}

void ItemRun::KnowShape(const std::filesystem::path& file, std::optional<VideoShape> shape) {
  shapes_[file] = shape;
}

std::string ItemRun::PictureTextFilter() {
  std::string filter;
  // A text that cannot be written fails the encoder that reads it, by name.
  const RunOptions& options = inputs_.options;
  if (options.watermark.enabled) {
    WriteWatermarkText(plan_.paths.watermarkText, options.watermark.text);
    filter = WatermarkFilter(options.watermark, inputs_.watermarkFont, plan_.paths.watermarkText,
                             options.canvas);
  }
  const std::string& title = Picks().title;
  if (!title.empty()) {
    TitleLayout layout = LayOutTitle(title);
    WriteWatermarkText(plan_.paths.titleText, layout.text);
    if (!filter.empty()) filter += ",";
    filter +=
        TitleFilter(options.title, layout.fontSize, inputs_.watermarkFont, plan_.paths.titleText,
                    options.canvas);
  }
  return filter;
}

void ItemRun::KnowSourceSound(bool hasSound) {
  sourceSound_ = hasSound;
  if (!hasSound && inputs_.options.sound.mode != SoundMode::kMusic) {
    Log("素材没有声音，只用背景音乐：" + plan_.name + "\r\n");
  }
}

SoundOptions ItemRun::Sound() const {
  SoundOptions sound = inputs_.options.sound;
  if (!sourceSound_) sound.mode = SoundMode::kMusic;
  return sound;
}

ItemOutcome ItemRun::Finish(bool succeeded, std::string status) const {
  ItemOutcome outcome;
  if (Stopped()) {
    outcome.kind = ItemOutcome::Kind::kStopped;
    return outcome;
  }
  outcome.status = std::move(status);
  outcome.sound = Sound().mode;
  if (picks_) outcome.picks = *picks_;
  if (succeeded) {
    outcome.kind = ItemOutcome::Kind::kSucceeded;
    if (picks_) outcome.output = picks_->outputFolder / plan_.outputName;
    return outcome;
  }
  outcome.kind = ItemOutcome::Kind::kFailed;
  if (failure_) {
    outcome.failedStep = failure_->step;
    outcome.lastError = failure_->outcome.lastLines;
    switch (failure_->outcome.kind) {
      case ToolOutcome::Kind::kCouldNotStart:
        outcome.kind = ItemOutcome::Kind::kCouldNotStart;
        break;
      // The machine's fault is the item's status, whatever step met it.
      case ToolOutcome::Kind::kDiskFull:
        outcome.kind = ItemOutcome::Kind::kDiskFull;
        outcome.status = failure_->outcome.text;
        break;
      case ToolOutcome::Kind::kUnwritable:
        outcome.kind = ItemOutcome::Kind::kUnwritable;
        outcome.status = failure_->outcome.text;
        break;
      default:
        break;
    }
  }
  return outcome;
}

}  // namespace mivora
