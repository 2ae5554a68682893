// The checks every front makes before a run starts, in one order: what is
// missing to run at all is said once, before any encoder starts, instead of
// failing every item the same way.
#pragma once

#include <optional>
#include <string>

#include "jobs/job_inputs.h"
#include "runner/run_token.h"

namespace mivora {

struct RunRefusal {
  enum class Kind {
    kNoAudio,        // "音频没有导入"
    kNoIntro,        // "片头没有导入": asked for, with an empty list
    kNoOutro,        // "片尾没有导入"
    kNoEffectCode,   // "特效代码不能为空"
    kUnknownEffect,  // "没有这个特效：<name>（共有 特效1 到 特效70）"
    kNoItems,        // "视频剪辑没有导入" / "图片剪辑没有导入"
    kUnwritable,  // "输出目录无法写入：<folder>": found at the end, it would cost every item its
                  // work
    kNoEncoder,  // the encoder is nowhere to be found
    kWatermark,  // the watermark's options or its font
  };
  Kind kind = Kind::kNoAudio;
  std::string message;  // as the window's message box says it

  // Whether the log records the refusal too: problems of the machine, which a
  // user may want to read again, not an empty list.
  bool logged() const {
    return kind == Kind::kUnwritable || kind == Kind::kNoEncoder || kind == Kind::kWatermark;
  }
};

// Checks `inputs` in the order above; nothing when the run may start. Also
// finds the watermark's font, which a run with a watermark needs.
std::optional<RunRefusal> CheckRun(JobInputs& inputs, RunToken& token);

// The two halves of CheckRun, for a front that tells them apart (the command
// line calls a refusal of the lists a usage error): what the user handed over
// (audio, effect code, items) and what the machine must provide.
std::optional<RunRefusal> CheckLists(const JobInputs& inputs);
std::optional<RunRefusal> CheckMachine(JobInputs& inputs, RunToken& token);

// Checks the watermark's and the titles' options and finds their font; the
// message that refuses the run, or the empty text (also when neither is on).
std::string PrepareWatermark(JobInputs& inputs, RunToken& token);

// The first checks of CheckLists, those a window can make before it has read
// its items: audio, the clip lists asked for, the effect code and every name
// in it. The overlay is
// not among them: one of its two kinds is always chosen, so an empty list is
// the way to make videos without one.
std::optional<RunRefusal> CheckChoices(const JobInputs& inputs);

}  // namespace mivora
