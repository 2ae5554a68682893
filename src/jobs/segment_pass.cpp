#include "jobs/segment_pass.h"

#include "effects/effect_catalogue.h"
#include "jobs/clip_engine.h"
#include "media/work_folders.h"
#include "runner/text.h"

namespace mivora {
namespace {

std::string PickRowPath(JobContext& ctx, ListView list) {
  int rows = ctx.window.RowCount(list);
  if (rows <= 0) return {};
  return ctx.window.CellText(list, ctx.random.PickIndex(rows), 1);
}

// The audio file for effects that loop one, picked like every other pick.
std::string PickEffectAudio(JobContext& ctx) {
  ctx.random.Reseed();
  return PickRowPath(ctx, ListView::超级列表框5);
}

// Empties the segment folder when the item ends, however it ends.
class TempFolderGuard {
 public:
  TempFolderGuard(const std::filesystem::path& folder, bool active)
      : folder_(folder), active_(active) {}
  ~TempFolderGuard() {
    if (active_) DeleteMatching(folder_, "");
  }

 private:
  std::filesystem::path folder_;
  bool active_;
};

}  // namespace

void SetItemStatus(JobContext& ctx, int itemNumber, const std::string& text) {
  if (ctx.window.IsChecked(Switch::单选框_视频剪辑)) {
    ctx.window.SetCellText(ListView::超级列表框1, itemNumber - 1, 3, text);
  } else {
    ctx.window.SetCellText(ListView::超级列表框2, itemNumber - 1, 5, text);
  }
}

AssemblyPicks PickAssembly(JobContext& ctx) {
  AssemblyPicks picks;
  ctx.random.Reseed();
  if (ctx.window.IsChecked(Switch::选择框_加片头))
    picks.intro = PickRowPath(ctx, ListView::超级列表框3);
  if (ctx.window.IsChecked(Switch::选择框_加片尾))
    picks.outro = PickRowPath(ctx, ListView::超级列表框4);
  picks.blackScreen = ctx.window.IsChecked(Switch::单选框_加黑幕);
  picks.overlay =
      PickRowPath(ctx, picks.blackScreen ? ListView::超级列表框7 : ListView::超级列表框6);
  picks.audio = PickRowPath(ctx, ListView::超级列表框5);
  picks.outputFolder = ctx.window.IsChecked(Switch::单选框_视频剪辑)
                           ? ctx.paths.VideoOutputFolder()
                           : ctx.paths.ImageOutputFolder();
  return picks;
}

std::string AssembleOutput(JobContext& ctx, int itemNumber, const std::string& fileName) {
  AssemblyPicks picks = PickAssembly(ctx);
  EnsureFolder(picks.outputFolder);
  return ctx.engine.Assemble(ctx, itemNumber, picks, fileName);
}

void SegmentPass(JobContext& ctx, int sourceSeconds, const std::string& durationsLine,
                 const std::string& namesLine, bool render, bool assemble, bool cleanup,
                 const std::filesystem::path& source, const std::string& fileName, int itemNumber) {
  // Segments left by a stopped run must never enter this item's video.
  EnsureFolder(ctx.paths.tempFolder);
  DeleteMatching(ctx.paths.tempFolder, "");
  TempFolderGuard emptyAfterwards(ctx.paths.tempFolder, cleanup);

  std::string effectAudio = PickEffectAudio(ctx);
  ctx.window.AppendLog("视频特效处理。。。\r\n");
  std::vector<WalkStep> steps =
      PlanWalk(sourceSeconds, SplitText(durationsLine, "-"), SplitText(namesLine, "-"), render);
  std::string last = steps.empty()
                         ? std::string()
                         : ctx.engine.RunWalk(ctx, itemNumber, steps, source, effectAudio);
  ctx.window.CheckStop();

  if (last != kOutputSucceeded) {
    ctx.window.AppendLog("剪切失败。。。\r\n");
    SetItemStatus(ctx, itemNumber, "剪切失败");
    return;
  }
  ctx.window.AppendLog("视频剪切成功。。。\r\n");
  if (!assemble) return;
  std::string result = AssembleOutput(ctx, itemNumber, fileName);
  if (result == kOutputSucceeded) {
    ctx.window.AppendLog("合并特效视频音频成功。。。\r\n");
    SetItemStatus(ctx, itemNumber, "成功");
  } else {
    SetItemStatus(ctx, itemNumber, result);
    ctx.window.AppendLog("合并特效视频音频----【失败】\r\n");
  }
}

}  // namespace mivora
