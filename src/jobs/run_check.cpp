#include "jobs/run_check.h"

#include "effects/effect_catalogue.h"
#include "effects/effect_code.h"
#include "jobs/machine_checks.h"
#include "runner/tool.h"

namespace mivora {

std::string PrepareWatermark(JobInputs& inputs, RunToken& token) {
  const RunOptions& options = inputs.options;
  if (!options.watermark.enabled && !options.title.enabled) return {};
  if (std::string problem = WatermarkProblem(options.watermark); !problem.empty()) return problem;
  if (std::string problem = TitleProblem(options.title, inputs.choices.titles); !problem.empty())
    return problem;
  inputs.watermarkFont = FindCjkFont(token);
  return inputs.watermarkFont.error;
}

std::optional<RunRefusal> CheckRun(JobInputs& inputs, RunToken& token) {
  if (std::optional<RunRefusal> refusal = CheckLists(inputs)) return refusal;
  return CheckMachine(inputs, token);
}

std::optional<RunRefusal> CheckChoices(const JobInputs& inputs) {
  using Kind = RunRefusal::Kind;
  const FrontChoices& choices = inputs.choices;
  if (choices.audios.empty()) return RunRefusal{Kind::kNoAudio, "音频没有导入"};
  if (choices.intro && choices.intros.empty()) return RunRefusal{Kind::kNoIntro, "片头没有导入"};
  if (choices.outro && choices.outros.empty()) return RunRefusal{Kind::kNoOutro, "片尾没有导入"};
  if (inputs.effectLines.empty()) return RunRefusal{Kind::kNoEffectCode, "特效代码不能为空"};
  if (std::optional<std::string> name = FirstUnknownEffect(inputs.effectLines)) {
    if (name->empty()) {
      return RunRefusal{Kind::kUnknownEffect, "特效代码中有空的特效名：“-”的两边都要有特效名"};
    }
    return RunRefusal{Kind::kUnknownEffect, "没有这个特效：" + *name + "（共有 " + EffectName(1) +
                                                " 到 " + EffectName(kEffectCount) + "）"};
  }
  return std::nullopt;
}

std::optional<RunRefusal> CheckLists(const JobInputs& inputs) {
  using Kind = RunRefusal::Kind;
  if (std::optional<RunRefusal> refusal = CheckChoices(inputs)) return refusal;
  if (inputs.items.empty()) {
    return RunRefusal{Kind::kNoItems,
                      inputs.options.videoMode ? "视频剪辑没有导入" : "图片剪辑没有导入"};
  }
  return std::nullopt;
}

std::optional<RunRefusal> CheckMachine(JobInputs& inputs, RunToken& token) {
  using Kind = RunRefusal::Kind;
  if (std::string refusal = UnwritableFolder(RunFolders(inputs)); !refusal.empty()) {
    return RunRefusal{Kind::kUnwritable, refusal};
  }
  if (std::string missing = MissingEncoderMessage(inputs.runDir); !missing.empty()) {
    return RunRefusal{Kind::kNoEncoder, missing};
  }
  if (std::string problem = PrepareWatermark(inputs, token); !problem.empty()) {
    return RunRefusal{Kind::kWatermark, problem};
  }
  return std::nullopt;
}

}  // namespace mivora
