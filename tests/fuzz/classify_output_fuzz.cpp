// ClassifyOutput over any captured text. The outcome is always one of the
// table's outcomes or the unknown error; it is success exactly when the
// success phrase can be found, and a text followed by the success phrase is
// a success whatever bytes came before it.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "fuzz_input.h"
#include "runner/text.h"
#include "runner/tool.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::set<std::string> kOutcomes = {
      "输出成功",         "无效的流说明符", "初始化错误输出流",     "错误设定预设",
      "错误分割参数列表", "错误表达式",     "重新初始化过滤器错误", "错误处理的解码数据流",
      "未知错误"};
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string outcome = mivora::ClassifyOutput(text);
  FUZZ_CHECK(kOutcomes.count(outcome) == 1);
  bool success = mivora::FindText(text, "muxing overhead:") != std::string_view::npos;
  FUZZ_CHECK((outcome == mivora::kOutputSucceeded) == success);
  FUZZ_CHECK(mivora::ClassifyOutput(std::string(text) + "\nmuxing overhead: 0.1%") ==
             mivora::kOutputSucceeded);
  return 0;
}
