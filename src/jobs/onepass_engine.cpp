// The one-pass engine: the item's picks, one encoder run over one graph, and
// the step engine behind it for items that graph cannot do.
#include "jobs/onepass_engine.h"

#include <unistd.h>

#include <system_error>

#include "jobs/file_guard.h"
#include "jobs/onepass_graph.h"
#include "media/work_folders.h"
#include "runner/media_info.h"
#include "runner/tool.h"

namespace mivora {
namespace {

void RemoveFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!file.empty()) std::filesystem::remove(file, error);
}

}  // namespace

OnePassEngine::~OnePassEngine() {
  for (const auto& [item, pending] : pending_) RemoveFile(pending.video);
}

OnePassEngine::Pending OnePassEngine::Take(int item) {
  std::lock_guard lock(mutex_);
  auto found = pending_.find(item);
  if (found == pending_.end()) return {};
  Pending pending = std::move(found->second);
  pending_.erase(found);
  return pending;
}

void OnePassEngine::Put(int item, Pending pending) {
  std::lock_guard lock(mutex_);
  pending_[item] = std::move(pending);
}

ToolOutcome OnePassEngine::RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& effectAudio) {
  const int item = run.plan().item;
  RemoveFile(Take(item).video);
  ToolOutcome outcome = EncodeItem(run, steps, source);
  // A hung encoder would only hang again in steps, a damaged source fall
  // short again, a full or closed folder refuse the steps' files too.
  if (outcome.ok() || run.Stopped() || outcome.kind == ToolOutcome::Kind::kStalled ||
      outcome.kind == ToolOutcome::Kind::kDamaged || outcome.MachineFault()) {
    return outcome;
  }
  run.Log("一次编码失败，改用分步处理重试。。。\r\n");
  Put(item, {true, {}});
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
  if (!picks.intro.empty()) {
    spec.intro = ToolPath(picks.intro);
    // Intro and outro join whole, so their fractions count towards the
    // finished video's whole seconds.
    spec.introSeconds = ProbeSource(run.tools(), spec.intro).seconds;
    spec.introFit = run.FramingFor(picks.intro);
  }
  if (!picks.outro.empty()) {
    spec.outro = ToolPath(picks.outro);
    spec.outroSeconds = ProbeSource(run.tools(), spec.outro).seconds;
    spec.outroFit = run.FramingFor(picks.outro);
  }
  if (run.Stopped()) return ToolOutcome::Failed();
  spec.overlay = ToolPath(picks.overlay);
  spec.overlayFit = !picks.overlay.empty() && run.FramingFor(picks.overlay).has_value();
  spec.watermark = run.WatermarkFilterText();
  FileGuard watermarkText(spec.watermark.empty() ? std::filesystem::path()
                                                 : run.paths().watermarkText);
  spec.blackScreen = picks.blackScreen;
  spec.audio = ToolPath(picks.audio);
  // The output name is only given to a finished video: a name of its own until then.
  const int item = run.plan().item;
  std::filesystem::path video = picks.outputFolder / (".mivora-" + std::to_string(getpid()) + "-" +
                                                      std::to_string(item) + ".part.mp4");
  spec.output = video.string();
  OnePassCommand command = BuildOnePassCommand(spec);
  if (!command.error.empty()) return ToolOutcome::Failed();

  run.Step("一次编码", command.seconds);
  FileGuard videoGuard(video);
  // The video ends with the join, so a source that ran out early shows as
  // missing frames, never as a frozen picture.
  ToolOutcome outcome =
      run.Judge(ExpectFrames(RunJudged(run.tools(), command.args), command.seconds));
  if (outcome.ok() && !run.Stopped()) {
    Put(item, {false, video});
    videoGuard.Keep();
  }
  return outcome;
}

ToolOutcome OnePassEngine::Assemble(ItemRun& run, const AssemblyPicks& picks) {
  Pending pending = Take(run.plan().item);
  if (pending.fellBack || pending.video.empty()) return steps_.Assemble(run, picks);
  std::error_code error;
  std::filesystem::rename(pending.video, picks.outputFolder / run.plan().outputName, error);
  if (error) {
    RemoveFile(pending.video);
    run.Log("添加音频-----输出失败\r\n");
    return ToolOutcome::Failed("【添加音频-----输出失败】" + std::string(kUnknownError));
  }
  return ToolOutcome::Succeeded();
}

}  // namespace mivora
