// What the core tells a front while it works: typed events to a sink and
// each item's outcome. A front turns them into whatever it shows (cells and
// log lines, a progress line, JSON); the core knows none of that.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "jobs/item_plan.h"
#include "jobs/sound_mix.h"

namespace mivora {

// The earlier version of the same source that a finished video looks most
// like, and how far apart they are (0 the same pictures, 1 nothing alike).
struct NearestVersion {
  int variant = 0;
  std::filesystem::path output;
  double distance = 1;
};

struct ItemOutcome {
  enum class Kind {
    kSucceeded,
    kFailed,
    kStopped,
    kCouldNotStart,
    // The finished file was there already and the run was told to keep what
    // exists.
    kSkipped,
    // The machine's faults: the run goes no further, since every item after
    // would meet them too.
    kDiskFull,    // "磁盘空间不足：<folder>"
    kUnwritable,  // "输出目录无法写入：<folder>"
  };
  Kind kind = Kind::kFailed;
  // The status the window shows: "成功" or a failure text; empty when stopped.
  std::string status;
  std::string failedStep;        // failures: the step that failed
  std::string lastError;         // failures: the encoder's last lines
  std::filesystem::path output;  // successes and skips: the finished video
  AssemblyPicks picks;           // the clips drawn, once the item came that far
  // Made again over a finished file that was found broken (cut short,
  // empty, without its index, of another size).
  bool remade = false;
  // Whose sound the video carries (the music alone for a source without any).
  SoundMode sound = SoundMode::kMusic;
  // Finished videos: their fingerprint as text (empty when it could not be
  // read) and the nearest earlier version of their source, if any.
  std::string fingerprint;
  std::optional<NearestVersion> nearest;

  bool ok() const { return kind == Kind::kSucceeded; }
  // The finished video exists: made now or found from an earlier run.
  bool done() const { return kind == Kind::kSucceeded || kind == Kind::kSkipped; }
  bool MachineFault() const { return kind == Kind::kDiskFull || kind == Kind::kUnwritable; }
};

// Whether an output ended in a failure: it was neither made, nor skipped as
// made before, nor stopped before it ended. A batch's summary and report, and
// the window's results, all count these as failed.
constexpr bool EndedInFailure(ItemOutcome::Kind kind) {
  return kind != ItemOutcome::Kind::kSucceeded && kind != ItemOutcome::Kind::kSkipped &&
         kind != ItemOutcome::Kind::kStopped;
}

// Items of a run may work side by side, but the core never calls a sink twice
// at once, so a sink needs no lock of its own. A paused run calls nothing; a
// stopped one calls nothing but ItemFinished with kind kStopped.
class JobSink {
 public:
  virtual ~JobSink() = default;

  // A log line of the whole run, with its line break, e.g. a clip file left
  // out of the picks at its start.
  virtual void RunLog(std::string_view /*line*/) {}
  // A clip file (intro, outro, overlay or audio) that cannot be read and is
  // left out of the picks; told once at the start of a run.
  virtual void ClipUnreadable(const std::string& /*path*/) {}
  virtual void ItemStarted(const ItemPlan&) {}
  // A step begins: a short text such as "剪切 out1", "特效12", "合并生成视频".
  virtual void StepStarted(const ItemPlan&, std::string_view /*step*/) {}
  // The encoder of the current step has written this many seconds of its
  // output; `secondsTotal` is what the step will write (0: not known).
  virtual void Progress(const ItemPlan&, double /*secondsDone*/, double /*secondsTotal*/) {}
  // A log line with its line break, e.g. "视频特效处理。。。\r\n".
  virtual void Log(const ItemPlan&, std::string_view /*line*/) {}
  // The raw console text of a judged run: "" when it starts, all of it at its end.
  virtual void ConsoleOutput(const std::string& /*text*/) {}
  virtual void ItemFinished(const ItemPlan&, const ItemOutcome&) {}
};

}  // namespace mivora
