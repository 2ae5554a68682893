#include "jobs/step_engine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numeric>
#include <optional>
#include <string>

#include "effects/render_effect.h"
#include "jobs/clip_time.h"
#include "jobs/file_guard.h"
#include "jobs/framing.h"
#include "jobs/item_output.h"
#include "jobs/sound_mix.h"
#include "media/work_folders.h"
#include "runner/media_info.h"
#include "runner/placeholders.h"
#include "runner/run_capture.h"

namespace mivora {
namespace {

// Every input of the join is brought to the segments' frame size, square
// pixels and frame rate first, so intro and outro clips of any shape join.
std::string NormalizeInputs(int count, const Canvas& canvas) {
  std::string graph;
  std::string labels;
  for (int i = 0; i < count; ++i) {
    std::string index = std::to_string(i);
    std::string label = "[n" + index + "]";
    graph += "[" + index + ":v]" + JoinShape(canvas) + label + ";";
    labels += label;
  }
  return graph + labels;
}

// An intro or outro of another shape gets a framing encode of its own before
// the join, as a source does before its walk; `clip` then names that file.
ToolOutcome FrameClip(ItemRun& run, std::string& clip, const std::filesystem::path& framed) {
  std::optional<FitMode> fit = clip.empty() ? std::nullopt : run.FramingFor(clip);
  if (!fit) return ToolOutcome::Succeeded();
  run.Step("画面适配");
  ToolOutcome outcome = run.Judge(RunJudged(run.tools(), FramingEncodeArgs(*fit, clip, framed, run.canvas())));
  if (outcome.ok()) clip = framed.string();
  return outcome;
}

// The keyed overlay clip brought into the frame before it is keyed.
std::string OverlayShape(std::optional<FitMode> fit, const Canvas& canvas) {
  if (!fit) return "[1:v]scale=" + FrameSize(canvas) + ",";
  return FramingGraph(*fit, "1:v", "ovfit", "ovfit_", canvas) + ";[ovfit]";
}

// The walk's source: a source of another shape than 9:16 gets one framing
// encode first; `framed` is then set and the walk cuts that file.
ToolOutcome FrameSource(ItemRun& run, const std::filesystem::path& source, bool& framed) {
  framed = false;
  std::optional<FitMode> fit = run.FramingFor(source);
  if (!fit) return ToolOutcome::Succeeded();
  run.Step("画面适配");
  EnsureFolder(run.paths().framedFile.parent_path());
  ToolOutcome outcome =
      RunJudged(run.tools(), FramingEncodeArgs(*fit, source, run.paths().framedFile, run.canvas()));
  framed = outcome.ok();
  return outcome;
}

ToolOutcome CutSegment(ItemRun& run, const std::filesystem::path& source, const WalkStep& step) {
  std::string command = std::string(kEncoderPlaceholder) + " -y -ss " +
                        ClipTime(step.startSeconds) + " -i " + std::string(kSourcePlaceholder) +
                        " -c copy " + (run.encodesSourceAudio() ? "-c:a aac " : "") + "-t " +
                        ClipTime(step.lengthSeconds) + " " + OutputEncoding(run.canvas()) + " " +
                        std::string(kOutputPlaceholder);
  // A source cut off or damaged inside the stretch gives a short segment.
  return ExpectFrames(RunJudged(run.tools(), command,
                                {{std::string(kSourcePlaceholder), ToolPath(source.string())},
                                 {std::string(kOutputPlaceholder),
                                  run.paths().SegmentFile(step.segment).string()}}),
                      step.lengthSeconds);
}

// Renders the effect from the segment just cut into a file beside it, which
// then replaces the segment.
ToolOutcome RenderSegment(ItemRun& run, const WalkStep& step, const std::filesystem::path& audio) {
  std::filesystem::path segment = run.paths().SegmentFile(step.segment);
  std::filesystem::path rendered =
      run.paths().tempFolder / ("out" + std::to_string(step.segment) + "-fx.mp4");
  FileGuard renderedGuard(rendered);
  ToolOutcome outcome = RenderEffect(run.tools(), step.effect, segment, rendered, audio, run.canvas());
  std::error_code error;
  if (outcome.ok()) {
    std::filesystem::rename(rendered, segment, error);
    if (error) outcome = ToolOutcome::Failed();
  }
  return outcome;
}

std::vector<std::string> InputArguments(const AssemblyPicks& picks,
                                        const std::vector<std::filesystem::path>& segments) {
  std::vector<std::string> args;
  if (!picks.intro.empty()) args.insert(args.end(), {"-i", ToolPath(picks.intro)});
  for (const auto& segment : segments) args.insert(args.end(), {"-i", segment.string()});
  if (!picks.outro.empty()) args.insert(args.end(), {"-i", ToolPath(picks.outro)});
  return args;
}

// The arguments that end the join and the overlay step at the join's whole
// seconds where their pictures would go past them (an intro of 1.5 s, a
// source of variable frame rate, an overlay clip longer than the video): the
// last step's stream copy cannot cut between frames the encoder reordered.
struct WholeSecondCuts {
  std::vector<std::string> join;
  std::vector<std::string> overlay;
  std::vector<double> lengths;  // the joined pictures' lengths; empty when unread
};

WholeSecondCuts CutsAtWholeSeconds(ItemRun& run, const std::vector<std::string>& inputs,
                                   const std::string& overlay) {
  constexpr double kHalfFrame = 1.0 / 60;
  // The pictures' lengths: a segment's own length follows its audio, which
  // may run past pictures that began late in the source.
  std::vector<std::string> files;
  for (std::size_t i = 1; i < inputs.size(); i += 2) files.push_back(inputs[i]);
  if (!overlay.empty()) files.push_back(ToolPath(overlay));
  // Without every length (an input it could not read, one without
  // pictures) nothing is cut.
  std::vector<double> lengths;
  for (const std::string& file : files) {
    lengths.push_back(ProbeVideoSeconds(run.tools(), file));
    if (run.Stopped() || lengths.back() <= 0) return {};
  }
  const std::size_t joined = inputs.size() / 2;
  WholeSecondCuts cuts;
  cuts.lengths.assign(lengths.begin(), lengths.begin() + joined);
  double join = std::accumulate(lengths.begin(), lengths.begin() + joined, 0.0);
  int whole = static_cast<int>(std::floor(join + kHalfFrame));
  if (whole <= 0) return cuts;
  std::vector<std::string> cut = {"-t", std::to_string(whole)};
  if (join - whole > kHalfFrame) cuts.join = cut;
  if (!overlay.empty() && lengths.back() > whole + kHalfFrame) cuts.overlay = cut;
  return cuts;
}

// The pieces of the finished video's own sound: intro and outro with theirs
// (silence where they have none), each segment with the source's over the
// stretch it was cut from, laid over the pictures' lengths (`lengths`, in
// the join's order; the planned lengths where they could not be read).
std::vector<SoundPiece> SoundOfJoin(ItemRun& run, const AssemblyPicks& picks,
                                    const std::vector<std::filesystem::path>& segments,
                                    const std::vector<double>& lengths,
                                    const std::filesystem::path& source,
                                    const std::vector<WalkStep>& cuts) {
  std::vector<SoundPiece> pieces;
  std::size_t joined = 0;
  auto clipPiece = [&](const std::string& clip) {
    if (clip.empty()) return;
    SourceInfo info = ProbeSource(run.tools(), ToolPath(clip));
    double length = joined < lengths.size() ? lengths[joined] : info.seconds;
    ++joined;
    pieces.push_back({info.hasSound ? ToolPath(clip) : "", 0, length, length});
  };
  clipPiece(picks.intro);
  for (const std::filesystem::path& segment : segments) {
    auto cut = std::find_if(cuts.begin(), cuts.end(), [&](const WalkStep& step) {
      return run.paths().SegmentFile(step.segment) == segment;
    });
    double used = cut == cuts.end() ? 0 : cut->lengthSeconds;
    double length = joined < lengths.size() ? lengths[joined] : used;
    ++joined;
    if (cut == cuts.end()) {
      pieces.push_back({"", 0, 0, length});
    } else {
      pieces.push_back({source.string(), double(cut->startSeconds), used, length});
    }
  }
  clipPiece(picks.outro);
  return pieces;
}

void DeleteWorkFiles(const WorkPaths& paths) {
  if (std::filesystem::exists(paths.concatFile)) DeleteWorkFile(paths.concatFile);
  if (std::filesystem::exists(paths.overlayFile)) DeleteWorkFile(paths.overlayFile);
}

// Work files go whatever way the assembly ends.
class WorkFilesGuard {
 public:
  explicit WorkFilesGuard(const WorkPaths& paths) : paths_(paths) {}
  ~WorkFilesGuard() { DeleteWorkFiles(paths_); }

 private:
  const WorkPaths& paths_;
};

}  // namespace

ToolOutcome StepEngine::RunWalk(ItemRun& run, const std::vector<WalkStep>& steps,
                                const std::filesystem::path& source,
                                const std::filesystem::path& effectAudio) {
  source_ = source;
  cuts_.clear();
  for (const WalkStep& step : steps) {
    if (step.kind == WalkStep::Kind::kCut) cuts_.push_back(step);
  }
  bool framed = false;
  FileGuard framedGuard(run.paths().framedFile);
  ToolOutcome last = run.Judge(FrameSource(run, source, framed));
  if (run.Stopped() || !last.ok()) return last;
  const std::filesystem::path& walked = framed ? run.paths().framedFile : source;
  for (const WalkStep& step : steps) {
    if (step.kind == WalkStep::Kind::kCut) {
      run.Step("剪切 out" + std::to_string(step.segment), step.lengthSeconds);
      last = run.Judge(CutSegment(run, walked, step));
    } else {
      if (!run.Wait(100)) break;
      run.Step(step.effect);
      last = run.Judge(RenderSegment(run, step, effectAudio));
    }
    if (run.Stopped() || !last.ok()) break;
  }
  return last;
}

ToolOutcome StepEngine::Assemble(ItemRun& run, const AssemblyPicks& picks) {
  const WorkPaths& paths = run.paths();
  WorkFilesGuard workFiles(paths);
  std::vector<std::filesystem::path> segments = CollectSegments(paths.tempFolder);
  AssemblyPicks joined = picks;
  const std::filesystem::path& framedIntro = paths.framedIntro;
  const std::filesystem::path& framedOutro = paths.framedOutro;
  FileGuard introGuard(framedIntro);
  FileGuard outroGuard(framedOutro);
  for (auto [clip, framed] :
       {std::pair{&joined.intro, &framedIntro}, {&joined.outro, &framedOutro}}) {
    ToolOutcome outcome = FrameClip(run, *clip, *framed);
    if (run.Stopped()) return outcome;
    if (!outcome.ok()) return AssemblyStepFailed(run, "合并生成视频", outcome);
  }
  std::vector<std::string> inputs = InputArguments(joined, segments);
  int count = static_cast<int>(inputs.size() / 2);
  WholeSecondCuts cuts = CutsAtWholeSeconds(run, inputs, picks.overlay);
  if (run.Stopped()) return ToolOutcome::Failed();
  // The watermark goes on the finished picture: after the overlay, or at the
  // join when there is none. It is filled in after the command is split into
  // arguments, so nothing in it is ever read as command-line quoting.
  std::string watermark = run.PictureTextFilter();
  FileGuard watermarkText(watermark.empty() ? std::filesystem::path() : paths.watermarkText);
  FileGuard titleText(watermark.empty() ? std::filesystem::path() : paths.titleText);
  std::string joinMark = picks.overlay.empty() && !watermark.empty() ? "," + watermark : "";
  std::string overlayMark = !picks.overlay.empty() && !watermark.empty() ? "," + watermark : "";

  run.Step("合并生成视频");
  std::string concat =
      std::string(kEncoderPlaceholder) + " -y 【多视频】 -filter_complex \"" +
      NormalizeInputs(count, run.canvas()) + "concat=n=【视频个数】:v=1【水印】 [v]\" -map \"[v]\" " +
      OutputEncoding(run.canvas()) + " 【整秒】 " + std::string(kOutputPlaceholder);
  ToolOutcome outcome =
      run.Judge(RunJudged(run.tools(), concat,
                          {{"【视频个数】", std::to_string(count)},
                           {"【水印】", joinMark},
                           {std::string(kOutputPlaceholder), paths.concatFile.string()}},
                          {{"【多视频】", inputs}, {"【整秒】", cuts.join}}));
  if (run.Stopped()) return outcome;
  if (!outcome.ok()) return AssemblyStepFailed(run, "合并生成视频", outcome);

  bool overlaid = false;
  if (!picks.overlay.empty()) {
    std::string step = picks.blackScreen ? "黑幕特效" : "绿幕特效";
    run.Step(step);
    std::string key =
        picks.blackScreen ? "colorkey=black:0.35:0.25" : "chromakey=0x00FF00:0.3:0.08";
    std::string command =
        std::string(kEncoderPlaceholder) + " -y -i " + std::string(kSourcePlaceholder) +
        " -i 【叠加】 -filter_complex \"" + OverlayShape(run.OverlayFramingFor(picks.overlay), run.canvas()) +
        key + "[ckout];[0:v][ckout]overlay=x=0【水印】[out]\" -map \"[out]\" " +
        OutputEncoding(run.canvas()) + " 【整秒】 " + std::string(kOutputPlaceholder);
    outcome = run.Judge(RunJudged(run.tools(), command,
                                  {{std::string(kSourcePlaceholder), paths.concatFile.string()},
                                   {"【叠加】", ToolPath(picks.overlay)},
                                   {"【水印】", overlayMark},
                                   {std::string(kOutputPlaceholder), paths.overlayFile.string()}},
                                  {{"【整秒】", cuts.overlay}}));
    if (run.Stopped()) return outcome;
    if (!outcome.ok()) return AssemblyStepFailed(run, step, outcome);
    overlaid = true;
  }

  int seconds = ProbeDuration(run.tools(), paths.concatFile);
  run.Step("添加音频", seconds);
  if (run.Stopped()) return ToolOutcome::Failed();
  // The finished video appears under its name only when it is complete.
  PartFile partFile(picks.outputFolder / run.plan().outputName, run.paths().partPrefix);
  const std::filesystem::path& video = overlaid ? paths.overlayFile : paths.concatFile;
  SoundOptions sound = run.Sound();
  if (sound.mode == SoundMode::kMusic) {
    std::string command = std::string(kEncoderPlaceholder) + " -an -i " +
                          std::string(kSourcePlaceholder) + " -stream_loop -1 -i " +
                          std::string(kAudioPlaceholder) + " -c:v copy  -t " +
                          std::to_string(seconds) + " -y " + std::string(kOutputPlaceholder);
    outcome = run.Judge(RunJudged(run.tools(), command,
                                  {{std::string(kSourcePlaceholder), video.string()},
                                   {std::string(kAudioPlaceholder), ToolPath(picks.audio)},
                                   {std::string(kOutputPlaceholder), partFile.path().string()}}));
  } else {
    std::vector<SoundPiece> pieces =
        SoundOfJoin(run, picks, segments, cuts.lengths, source_, cuts_);
    if (run.Stopped()) return ToolOutcome::Failed();
    std::vector<std::string> args = {std::string(kEncoderPlaceholder), "-an", "-i", video.string()};
    int music = -1;
    if (sound.mode == SoundMode::kBoth) {
      args.insert(args.end(), {"-stream_loop", "-1", "-vn", "-i", ToolPath(picks.audio)});
      music = 1;
    }
    SoundMix mix = MixSound(pieces, music < 0 ? 1 : 2, music, sound, "[sound]");
    args.insert(args.end(), mix.inputs.begin(), mix.inputs.end());
    args.insert(args.end(),
                {"-filter_complex", mix.graph, "-map", "0:v", "-map", "[sound]", "-c:v", "copy",
                 "-t", std::to_string(seconds), "-y", partFile.path().string()});
    outcome = run.Judge(RunJudged(run.tools(), std::move(args)));
  }
  if (outcome.ok() && !run.Stopped() && !partFile.Commit()) {
    outcome = run.Judge(ToolOutcome::Failed());
  }
  if (run.Stopped() || !run.Wait(300)) return outcome;
  if (!outcome.ok()) return AssemblyStepFailed(run, "添加音频", outcome);
  return outcome;
}

std::vector<std::filesystem::path> CollectSegments(const std::filesystem::path& tempFolder) {
  struct Entry {
    long long number;
    std::string folded;
    std::filesystem::path path;
  };
  std::vector<Entry> entries;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(tempFolder, error)) {
    std::string name = item.path().filename().string();
    if (!item.is_regular_file(error) || name.size() < 4) continue;
    std::string folded = name;
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (folded.compare(folded.size() - 4, 4, ".mp4") != 0) continue;
    // Segments join by their number (out2 before out10); other names follow.
    long long number = -1;
    if (folded.size() > 7 && folded.rfind("out", 0) == 0) {
      std::string digits = folded.substr(3, folded.size() - 7);
      if (digits.size() < 10 &&
          std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        number = std::stoll(digits);
      }
    }
    entries.push_back({number < 0 ? (1LL << 40) : number, folded, item.path()});
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    if (a.number != b.number) return a.number < b.number;
    if (a.folded != b.folded) return a.folded < b.folded;
    return a.path < b.path;
  });
  std::vector<std::filesystem::path> segments;
  for (const Entry& entry : entries) segments.push_back(entry.path);
  return segments;
}

}  // namespace mivora
