#include "app/window_ops.h"

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

const char* const kDefaultLogText =
    "抖音短视频的时代   本人历时研发6个月的作品\r\n\r\n欢迎大家大家测试下效果帮忙提供思路\r\n\r\n"
    "软件目前处于开发阶段  批量处理视频还没有弄好  目前支持处理2个视频剪辑 或 图片剪辑\r\n\r\n"
    "目前已经只做了70个特效   正在进一步扩展  \r\n\r\n";

}  // namespace mivora
