// One item while it runs: its plan, its tools, its random source and the
// events it sends. Every event waits while the run is paused and is dropped
// once the run is stopped, so a paused item shows no progress and a stopped
// one says nothing more; the steps check Stopped() after each encoder run.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "effects/random_source.h"
#include "jobs/framing.h"
#include "jobs/item_plan.h"
#include "jobs/job_events.h"
#include "jobs/job_inputs.h"
#include "jobs/sound_mix.h"
#include "media/file_stamp.h"
#include "runner/media_info.h"
#include "runner/run_token.h"
#include "runner/tool.h"

namespace mivora {

// The one way events reach a run's sink: serialised across the run's items,
// held back while paused, dropped after a stop (except an item's last word).
class EventGate {
 public:
  EventGate(JobSink& sink, RunToken& token) : sink_(sink), token_(token) {}

  template <typename Call>
  void Emit(Call call) {
    if (!token_.WaitWhilePaused()) return;
    std::lock_guard lock(mutex_);
    call(sink_);
  }
  // For ItemFinished, which a front hears also for a stopped item.
  template <typename Call>
  void EmitAlways(Call call) {
    std::lock_guard lock(mutex_);
    call(sink_);
  }

 private:
  JobSink& sink_;
  RunToken& token_;
  std::mutex mutex_;
};

class ItemRun {
 public:
  ItemRun(const ItemPlan& plan, const JobInputs& inputs, RandomSource& random, RunToken& token,
          EventGate& events);
  ItemRun(const ItemRun&) = delete;
  ItemRun& operator=(const ItemRun&) = delete;

  const ItemPlan& plan() const { return plan_; }
  const WorkPaths& paths() const { return plan_.paths; }
  const ToolEnv& tools() const { return tools_; }
  const Canvas& canvas() const { return inputs_.options.canvas; }
  RandomSource& random() { return random_; }
  bool Stopped() const { return token_.IsCancelled(); }
  // Waits `ms` of running time; false once stopped.
  bool Wait(int ms) { return token_.WaitFor(ms); }

  // A step begins; `seconds` is the length of what its encoder writes.
  void Step(std::string step, double seconds = 0);
  void Log(std::string_view line);

  // Remembers a failed run with the step it belongs to, for the outcome.
  ToolOutcome Judge(ToolOutcome outcome);

  // Remembers the state of the source file the item reads, before anything
  // reads it; SourceChanged() then tells whether it was deleted, replaced or
  // written over since.
  void WatchSource(const std::filesystem::path& source);
  bool SourceChanged() const;

  // The source's audio has to be encoded in the cut, as an MP4 cannot hold
  // it by stream copy.
  void EncodeSourceAudio() { encodeSourceAudio_ = true; }
  bool encodesSourceAudio() const { return encodeSourceAudio_; }

  // Whether the source has sound of its own, as its probe found; a run that
  // asked for it is told in the log when it has none.
  void KnowSourceSound(bool hasSound);
  // The sound the finished video gets: the run's choice, or the music alone
  // for a source without sound (and for still images).
  SoundOptions Sound() const;

  // The audio file for effects that loop one, drawn afresh from the audio
  // list as it is now.
  std::string PickEffectAudio();
  // The intro, outro, overlay and audio picks and the output folder, decided
  // from the front's choices at the first call; later calls (a fallback from
  // one engine to another) get the same picks.
  const AssemblyPicks& Picks();

  // How a picture of `file` is brought into the frame: nothing when it is
  // 9:16 (or its shape cannot be read) or the run stretches pictures.
  std::optional<FitMode> FramingFor(const std::filesystem::path& file);
  // How a keyed overlay clip is brought into the frame: a clip of another
  // shape always fills it (cropped), whatever the run's mode, because a
  // blurred band around it would not be keyed out and would hide the video.
  std::optional<FitMode> OverlayFramingFor(const std::filesystem::path& clip);
  // The shape of a picture, probed once per file and item; nothing when the
  // encoder cannot read it.
  std::optional<VideoShape> ShapeOf(const std::filesystem::path& file);
  // A shape already read from another probe of the same file.
  void KnowShape(const std::filesystem::path& file, std::optional<VideoShape> shape);
  // The filters that draw the watermark and the item's title, their texts
  // written to the work folder; empty when the item has neither.
  std::string PictureTextFilter();

  // The item's outcome with `status` as the window shows it, succeeded or
  // failed. Stopped wins (a stopped item needs no status); a failure names
  // the step that failed and the encoder's last lines; a fault of the machine
  // is the status itself, whatever step met it.
  ItemOutcome Succeeded(std::string status) const { return Finish(true, std::move(status)); }
  ItemOutcome Failed(std::string status = {}) const { return Finish(false, std::move(status)); }

 private:
  ItemOutcome Finish(bool succeeded, std::string status) const;

  const ItemPlan& plan_;
  const JobInputs& inputs_;
  RandomSource& random_;
  RunToken& token_;
  EventGate& events_;
  ToolEnv tools_;
  std::string step_;
  double stepSeconds_ = 0;
  bool encodeSourceAudio_ = false;
  bool sourceSound_ = false;
  std::filesystem::path watched_;
  std::optional<FileStamp> watchedStamp_;
  std::optional<AssemblyPicks> picks_;
  std::map<std::filesystem::path, std::optional<VideoShape>> shapes_;
  struct Failure {
    std::string step;
    ToolOutcome outcome;
  };
  std::optional<Failure> failure_;
};

}  // namespace mivora
