#include "jobs/segment_pass.h"

#include "media/work_folders.h"
#include "runner/text.h"

namespace mivora {
namespace {

// Empties the segment folder when the item ends, however it ends.
class TempFolderGuard {
 public:
  explicit TempFolderGuard(const std::filesystem::path& folder) : folder_(folder) {}
  ~TempFolderGuard() { DeleteMatching(folder_, ""); }

 private:
  std::filesystem::path folder_;
};

}  // namespace

ItemOutcome SegmentPass(ItemRun& run, ClipEngine& engine, int sourceSeconds,
                        const std::filesystem::path& source) {
  // Segments left by a stopped run must never enter this item's video.
  const WorkPaths& paths = run.paths();
  EnsureFolder(paths.tempFolder);
  DeleteMatching(paths.tempFolder, "");
  TempFolderGuard emptyAfterwards(paths.tempFolder);

  std::string effectAudio = run.PickEffectAudio();
  run.Log("视频特效处理。。。\r\n");
  const EffectPick& effects = run.plan().effects;
  std::vector<WalkStep> steps = PlanWalk(sourceSeconds, SplitText(effects.durations, "-"),
                                         SplitText(effects.names, "-"), true);
  ToolOutcome walk =
      steps.empty() ? ToolOutcome::Failed() : engine.RunWalk(run, steps, source, effectAudio);
  // A source deleted or replaced while it was cut: whatever came of it is
  // no video of the file the user chose.
  if (!run.Stopped() && !walk.MachineFault() && run.SourceChanged()) {
    run.Log("剪切失败。。。\r\n");
    return run.Failed("剪切失败：素材无法读取");
  }
  if (!walk.ok() || run.Stopped()) {
    run.Log("剪切失败。。。\r\n");
    // A hung encoder and a damaged source are worth telling apart from a
    // failed encoder.
    if (walk.kind == ToolOutcome::Kind::kStalled || walk.kind == ToolOutcome::Kind::kDamaged) {
      return run.Failed("剪切失败：" + walk.text);
    }
    return run.Failed("剪切失败");
  }
  run.Log("视频剪切成功。。。\r\n");

  const AssemblyPicks& picks = run.Picks();
  EnsureFolder(picks.outputFolder);
  ToolOutcome assembled = engine.Assemble(run, picks);
  if (assembled.ok()) {
    run.Log("合并特效视频音频成功。。。\r\n");
    return run.Succeeded("成功");
  }
  run.Log("合并特效视频音频----【失败】\r\n");
  return run.Failed(assembled.text);
}

}  // namespace mivora
