// The one-pass engine: the item's picks, one encoder run over one graph, and
// the step engine behind it for items that graph cannot do.
#include "jobs/onepass_engine.h"

#include "jobs/item_output.h"
#include "jobs/onepass_graph.h"
#include "media/work_folders.h"
#include "runner/media_info.h"
#include "runner/tool.h"

namespace mivora {

OnePassEngine::OnePassEngine() = default;
OnePassEngine::~OnePassEngine() = default;

ToolOutcome OnePassEngine::RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& effectAudio) {
  finished_.reset();
  fellBack_ = false;
  ToolOutcome outcome = EncodeItem(run, steps, source);
  // A hung encoder would only hang again in steps, a damaged source fall
  // short again, a full or closed folder refuse the steps' files too.
  if (outcome.ok() || run.Stopped() || outcome.kind == ToolOutcome::Kind::kStalled ||
      outcome.kind == ToolOutcome::Kind::kDamaged || outcome.MachineFault()) {
    return outcome;
  }
  run.Log("一次编码失败，改用分步处理重试。。。\r\n");
  fellBack_ = true;
  return steps_.RunWalk(run, steps, source, effectAudio);
}

ToolOutcome OnePassEngine::EncodeItem(ItemRun& run, const std::vector<WalkStep>& steps,
                                      const std::filesystem::path& source) {
  OnePassItem spec;
  spec.parts = PartsOfWalk(steps);
  if (spec.parts.empty()) return ToolOutcome::Failed();
  spec.source = ToolPath(source.string());
  spec.sourceFit = run.FramingFor(source);
  const AssemblyPicks& picks = run.Picks();
  EnsureFolder(picks.outputFolder);
  // The sound under intro and outro lasts their pictures, as in the steps.
  const bool ownSound = run.Sound().mode != SoundMode::kMusic;
  if (!picks.intro.empty()) {
    spec.intro = ToolPath(picks.intro);
    // Intro and outro join whole, so their fractions count towards the
    // finished video's whole seconds.
    SourceInfo intro = ProbeSource(run.tools(), spec.intro);
    spec.introSeconds = intro.seconds;
    spec.introSound = intro.hasSound;
    if (ownSound) spec.introPictures = ProbeVideoSeconds(run.tools(), spec.intro);
    spec.introFit = run.FramingFor(picks.intro);
  }
  if (!picks.outro.empty()) {
    spec.outro = ToolPath(picks.outro);
    SourceInfo outro = ProbeSource(run.tools(), spec.outro);
    spec.outroSeconds = outro.seconds;
    spec.outroSound = outro.hasSound;
    if (ownSound) spec.outroPictures = ProbeVideoSeconds(run.tools(), spec.outro);
    spec.outroFit = run.FramingFor(picks.outro);
  }
  if (run.Stopped()) return ToolOutcome::Failed();
  spec.overlay = ToolPath(picks.overlay);
  spec.overlayFit = run.OverlayFramingFor(picks.overlay);
  spec.watermark = run.PictureTextFilter();
  FileGuard watermarkText(spec.watermark.empty() ? std::filesystem::path()
                                                 : run.paths().watermarkText);
  FileGuard titleText(spec.watermark.empty() ? std::filesystem::path() : run.paths().titleText);
  spec.blackScreen = picks.blackScreen;
  spec.audio = ToolPath(picks.audio);
  spec.canvas = run.canvas();
  spec.sound = run.Sound();
  // The output name is only given to a finished video; Assemble gives it.
  auto video = std::make_unique<PartFile>(picks.outputFolder / run.plan().outputName,
                                          run.paths().partPrefix);
  spec.output = video->path().string();
  OnePassCommand command = BuildOnePassCommand(spec);
  if (!command.error.empty()) return ToolOutcome::Failed();

  run.Step("一次编码", command.seconds);
  // The video ends with the join, so a source that ran out early shows as
  // missing frames, never as a frozen picture.
  ToolOutcome outcome =
      run.Judge(ExpectFrames(RunJudged(run.tools(), command.args), command.seconds));
  if (outcome.ok() && !run.Stopped()) finished_ = std::move(video);
  return outcome;
}

ToolOutcome OnePassEngine::Assemble(ItemRun& run, const AssemblyPicks& picks) {
  if (fellBack_ || !finished_) return steps_.Assemble(run, picks);
  std::unique_ptr<PartFile> video = std::move(finished_);
  if (!video->Commit()) return AssemblyStepFailed(run, "添加音频", ToolOutcome::Failed());
  return ToolOutcome::Succeeded();
}

}  // namespace mivora
