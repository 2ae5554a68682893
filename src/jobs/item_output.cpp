#include "jobs/item_output.h"

#include <string>

namespace mivora {

ToolOutcome AssemblyStepFailed(ItemRun& run, std::string_view step, ToolOutcome outcome) {
  const std::string said = std::string(step) + "-----输出失败";
  run.Log(said + "\r\n");
  outcome.text = "【" + said + "】" + outcome.text;
  return outcome;
}

}  // namespace mivora
