#include "jobs/clip_jobs.h"

#include "effects/effect_code.h"
#include "jobs/segment_pass.h"
#include "media/work_folders.h"
#include "runner/text.h"
#include "runner/tool.h"

namespace mivora {
namespace {

constexpr int kItemsPerJob = 2;

// Marks the row as in progress and picks its effect line.
EffectPick BeginItem(JobContext& ctx, ListView list, int row, int statusColumn) {
  ctx.window.SetCellText(list, row, statusColumn, "正在剪辑");
  ctx.window.AppendLog("正在剪辑\r\n");
  return SplitPick(PickEffectLine(ctx.effectLines, ctx.random));
}

void RunJob(JobContext& ctx, ListView list, const char* emptyMessage,
            void (*processItem)(JobContext&, int)) {
  if (ctx.window.RowCount(list) == 0) {
    ctx.window.ShowInfo(emptyMessage);
    ctx.stopRun();
    return;
  }
  // Without an encoder every item would fail the same way; say so once,
  // before any row is marked.
  if (std::string missing = MissingEncoderMessage(ctx.tools.runDir); !missing.empty()) {
    ctx.window.AppendLog(missing + "\r\n");
    ctx.window.ShowInfo(missing);
    ctx.stopRun();
    return;
  }
  for (int item = 1; item <= kItemsPerJob; ++item) {
    // A row that does not exist is not an item: no phantom failure is reported.
    if (item > ctx.window.RowCount(list)) break;
    processItem(ctx, item);
  }
  ctx.window.ShowInfo("任务完毕");
  ctx.stopRun();
}

}  // namespace

std::string ImageVideoName(const std::string& imageName) {
  return ReplacePairs(imageName, {{".jpg", ".mp4"}});
}

void ProcessVideoItem(JobContext& ctx, int itemNumber) {
  const int row = itemNumber - 1;
  EffectPick pick = BeginItem(ctx, ListView::超级列表框1, row, 3);
  std::string source = ctx.window.CellText(ListView::超级列表框1, row, 1);
  std::string fileName = ctx.window.CellText(ListView::超级列表框1, row, 2);
  ctx.Step(itemNumber, "探测时长");
  int seconds = source.empty() ? 0 : ProbeDuration(ctx.tools, source);
  ctx.window.CheckStop();
  SegmentPass(ctx, seconds, pick.durations, pick.names, true, true, true, source, fileName,
              itemNumber);
}

void ProcessImageItem(JobContext& ctx, int itemNumber) {
  const int row = itemNumber - 1;
  EffectPick pick = BeginItem(ctx, ListView::超级列表框2, row, 5);
  std::string imagePath = ctx.window.CellText(ListView::超级列表框2, row, 1);
  std::string imageName = ctx.window.CellText(ListView::超级列表框2, row, 2);
  std::string videoName = ImageVideoName(imageName);
  std::filesystem::path videoPath = ctx.paths.ImageVideoFolder() / videoName;
  ctx.window.SetCellText(ListView::超级列表框2, row, 3, videoPath.string());
  ctx.window.SetCellText(ListView::超级列表框2, row, 4, videoName);

  ctx.Step(itemNumber, "图片转视频");
  EnsureFolder(ctx.paths.ImageVideoFolder());
  std::string outcome = RunJudged(
      ctx.tools,
      "D:\\ffmpeg\\bin\\ffmpeg.exe -y -loop 1 -f image2 -i D:\\1.jpg -vcodec libx264 -r 30 -vf "
      "\"pad=ceil(iw/2)*2:ceil(ih/2)*2\" -s 720x1280  -aspect 9:16 -t 15 -b:v 3000k D:\\out.mp4",
      {{"D:\\1.jpg", ToolPath(imagePath)}, {"D:\\out.mp4", videoPath.string()}});
  ctx.window.CheckStop();
  if (outcome != kOutputSucceeded) {
    ctx.window.SetCellText(ListView::超级列表框2, row, 5, "【图片转视频】" + outcome);
    return;
  }
  std::string video = ctx.window.CellText(ListView::超级列表框2, row, 3);
  std::string name = ctx.window.CellText(ListView::超级列表框2, row, 4);
  ctx.Step(itemNumber, "探测时长");
  int seconds = ProbeDuration(ctx.tools, video);
  ctx.window.CheckStop();
  SegmentPass(ctx, seconds, pick.durations, pick.names, true, true, true, video, name, itemNumber);
}

void VideoClipJob(JobContext& ctx) {
  RunJob(ctx, ListView::超级列表框1, "视频剪辑没有导入", ProcessVideoItem);
}

void ImageClipJob(JobContext& ctx) {
  RunJob(ctx, ListView::超级列表框2, "图片剪辑没有导入", ProcessImageItem);
}

}  // namespace mivora
