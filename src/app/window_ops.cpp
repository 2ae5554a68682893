#include "app/window_ops.h"

#include "effects/effect_catalogue.h"
#include "effects/output_format.h"

namespace mivora {

int ColumnCount(ListView list) {
  switch (list) {
    case ListView::超级列表框1:
    case ListView::超级列表框5:
      return 4;
    case ListView::超级列表框2:
      return 6;
    default:
      return 3;
  }
}

const std::string kDefaultLogText =
    "竖屏短视频批量剪辑：把视频或图片做成 " + FrameSize(kBaseCanvas) + " 或 " +
    FrameSize(kLargeCanvas) + "（“成品尺寸”）的竖屏短视频\r\n\r\n"
    "导入素材和音频，写好特效代码，按“开始”（Ctrl+Enter；空格暂停或继续，Esc "
    "停止）；不勾选“处理全部素材”时只做列表中的前两个，"
    "勾选后整批处理，可同时处理多个，每个素材可生成多个不同的成品\r\n\r\n"
    "共有 " +
    std::to_string(kEffectCount) + " 个特效（特效1 到 " + EffectName(kEffectCount) +
    "），成品在主目录的“生成视频剪辑”或“生成图片剪辑”中\r\n\r\n";

}  // namespace mivora
