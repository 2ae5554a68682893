// The one-pass engine: the item's picks, one encoder run over one graph, and
// the step engine behind it for items that graph cannot do.
#include "jobs/onepass_engine.h"

#include <unistd.h>

#include <system_error>

#include "jobs/file_guard.h"
#include "jobs/onepass_graph.h"
#include "jobs/segment_pass.h"
#include "media/work_folders.h"
#include "runner/run_capture.h"
#include "runner/tool.h"

namespace mivora {
namespace {

// A clip's length with its fraction: intro and outro join whole, so their
// fractions count towards the finished video's whole seconds.
double ProbeSeconds(JobContext& ctx, const std::string& file) {
  CaptureResult run =
      RunCapture({ResolveTool(ctx.tools.runDir, "ffmpeg"), "-i", file}, ctx.tools.token);
  ctx.window.CheckStop();
  return ParseDurationSeconds(run.output);
}

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

std::string OnePassEngine::RunWalk(JobContext& ctx, int item, const std::vector<WalkStep>& steps,
                                   const std::filesystem::path& source,
                                   const std::filesystem::path& effectAudio) {
  RemoveFile(Take(item).video);
  std::string outcome = EncodeItem(ctx, item, steps, source);
  if (outcome == kOutputSucceeded) return outcome;
  ctx.window.AppendLog("一次编码失败，改用分步处理重试。。。\r\n");
  Put(item, {true, {}});
  return steps_.RunWalk(ctx, item, steps, source, effectAudio);
}

std::string OnePassEngine::EncodeItem(JobContext& ctx, int item, const std::vector<WalkStep>& steps,
                                      const std::filesystem::path& source) {
  OnePassItem spec;
  spec.parts = PartsOfWalk(steps);
  if (spec.parts.empty()) return std::string(kUnknownError);
  spec.source = ToolPath(source.string());
  AssemblyPicks picks = PickAssembly(ctx);
  EnsureFolder(picks.outputFolder);
  if (!picks.intro.empty()) {
    spec.intro = ToolPath(picks.intro);
    spec.introSeconds = ProbeSeconds(ctx, spec.intro);
  }
  if (!picks.outro.empty()) {
    spec.outro = ToolPath(picks.outro);
    spec.outroSeconds = ProbeSeconds(ctx, spec.outro);
  }
  spec.overlay = ToolPath(picks.overlay);
  spec.blackScreen = picks.blackScreen;
  spec.audio = ToolPath(picks.audio);
  // The output name is only known to the assembly: a name of its own until then.
  std::filesystem::path video = picks.outputFolder / (".mivora-" + std::to_string(getpid()) + "-" +
                                                      std::to_string(item) + ".part.mp4");
  spec.output = video.string();
  OnePassCommand command = BuildOnePassCommand(spec);
  if (!command.error.empty()) return std::string(kUnknownError);

  ctx.Step(item, "一次编码");
  FileGuard videoGuard(video);
  std::string outcome = RunJudged(ctx.tools, command.args);
  if (outcome == kOutputSucceeded) {
    Put(item, {false, video});
    videoGuard.Keep();
  }
  ctx.window.CheckStop();
  return outcome;
}

std::string OnePassEngine::Assemble(JobContext& ctx, int item, const AssemblyPicks& picks,
                                    const std::string& outputName) {
  Pending pending = Take(item);
  if (pending.fellBack || pending.video.empty())
    return steps_.Assemble(ctx, item, picks, outputName);
  std::error_code error;
  std::filesystem::rename(pending.video, picks.outputFolder / outputName, error);
  if (error) {
    RemoveFile(pending.video);
    ctx.window.AppendLog("添加音频-----输出失败\r\n");
    return "【添加音频-----输出失败】" + std::string(kUnknownError);
  }
  return std::string(kOutputSucceeded);
}

}  // namespace mivora
