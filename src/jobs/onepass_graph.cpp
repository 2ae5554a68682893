// One item (its stretches of the source, the effects over them, intro,
// outro, keyed overlay and looped audio) as one encoder command over one
// filter graph.
#include "jobs/onepass_graph.h"

#include <cmath>
#include <map>
#include <utility>

#include "effects/effect_shortcuts.h"
#include "effects/output_format.h"
#include "jobs/item_output.h"
#include "runner/command_line.h"
#include "runner/placeholders.h"

namespace mivora {
std::vector<ItemPart> PartsOfWalk(const std::vector<WalkStep>& steps) {
  std::vector<ItemPart> parts;
  std::map<int, std::size_t> bySegment;
  for (const WalkStep& step : steps) {
    if (step.kind == WalkStep::Kind::kCut) {
      bySegment[step.segment] = parts.size();
      parts.push_back({step.startSeconds, step.lengthSeconds, {}});
      continue;
    }
    auto found = bySegment.find(step.segment);
    if (found == bySegment.end() || step.effect.empty()) return {};
    parts[found->second].effect = step.effect;
  }
  return parts;
}

OnePassCommand BuildOnePassCommand(const OnePassItem& item) {
  OnePassCommand command;
  if (item.parts.empty()) {
    command.error = "no segments";
    return command;
  }
  std::vector<std::string>& args = command.args;
  args = {std::string(kEncoderPlaceholder), "-y", "-i", item.source};
  int nextInput = 1;
  auto addInput = [&](const std::string& path) {
    args.insert(args.end(), {"-i", path});
    return std::to_string(nextInput++);
  };

  std::vector<std::string> chains;
  std::vector<std::string> joined;
  // A picture of another shape is framed first; the label its stream is read from.
  const Canvas& canvas = item.canvas;
  auto framed = [&chains, &canvas](const std::optional<FitMode>& fit, const std::string& input,
                                   const std::string& name) {
    if (!fit) return "[" + input + ":v]";
    chains.push_back(FramingGraph(*fit, input + ":v", name, name + "_", canvas));
    return "[" + name + "]";
  };
  const std::string source = framed(item.sourceFit, "0", "srcfit");
  double totalSeconds = 0;
  // The sound of each part, in the order the pictures join.
  std::vector<SoundPiece> sound;
  std::string intro;
  if (!item.intro.empty()) {
    intro = addInput(item.intro);
    chains.push_back(framed(item.introFit, intro, "introfit") + JoinShape(canvas) + "[intro]");
    joined.push_back("intro");
    totalSeconds += item.introSeconds;
    const double shown = item.introPictures > 0 ? item.introPictures : item.introSeconds;
    sound.push_back({item.introSound ? item.intro : "", 0, shown, shown});
  }

  const std::size_t count = item.parts.size();
  if (count > 1) {
    std::vector<std::string> stretches;
    for (std::size_t k = 1; k <= count; ++k) stretches.push_back("stretch" + std::to_string(k));
    chains.push_back(source + "split=" + std::to_string(count) + GraphLabels(stretches));
  }
  for (std::size_t k = 1; k <= count; ++k) {
    const ItemPart& part = item.parts[k - 1];
    if (part.lengthSeconds <= 0 || part.startSeconds < 0) {
      command.error = "a segment without length";
      return command;
    }
    std::string number = std::to_string(k);
    std::string segment = "segment" + number;
    // A second more than the stretch goes into the rate conversion, so the
    // stretch's last frame is the source's wherever the source goes on.
    chains.push_back((count > 1 ? "[stretch" + number + "]" : source) +
                     "trim=start=" + std::to_string(part.startSeconds) +
                     ":duration=" + std::to_string(part.lengthSeconds + 1) +
                     ",setpts=PTS-STARTPTS," + ThirtyFor(part.lengthSeconds, kThirtyFps) + "," +
                     SegmentShape(canvas) + "[" + segment + "]");
    if (part.effect.empty()) {
      joined.push_back(segment);
      totalSeconds += part.lengthSeconds;
      sound.push_back({item.source, double(part.startSeconds), double(part.lengthSeconds),
                       double(part.lengthSeconds)});
      continue;
    }
    std::string result = "part" + number;
    EffectPart effect = TranslateEffect(OnePassTemplate(part.effect, canvas), part.lengthSeconds,
                                        "fx" + number + "_", segment, result, canvas);
    if (!effect.error.empty()) {
      command.error = part.effect + ": " + effect.error;
      return command;
    }
    chains.push_back(effect.graph);
    joined.push_back(result);
    totalSeconds += effect.seconds;
    // An effect may last longer than its stretch (pictures on a black
    // canvas): the stretch's sound is then followed by silence.
    sound.push_back({item.source, double(part.startSeconds), double(part.lengthSeconds),
                     double(effect.seconds)});
  }

  if (!item.outro.empty()) {
    std::string outro = addInput(item.outro);
    chains.push_back(framed(item.outroFit, outro, "outrofit") + JoinShape(canvas) + "[outro]");
    joined.push_back("outro");
    totalSeconds += item.outroSeconds;
    const double shown = item.outroPictures > 0 ? item.outroPictures : item.outroSeconds;
    sound.push_back({item.outroSound ? item.outro : "", 0, shown, shown});
  }
  chains.push_back(GraphLabels(joined) + "concat=n=" + std::to_string(joined.size()) +
                   ":v=1:a=0[joined]");
  std::string video = "joined";
  if (!item.overlay.empty()) {
    std::string overlay = addInput(item.overlay);
    std::string key = item.blackScreen ? "colorkey=black:0.35:0.25" : "chromakey=0x00FF00:0.3:0.08";
    std::string shape = item.overlayFit ? "" : "scale=" + FrameSize(canvas) + ",";
    // The overlay's last frame is held while the join goes on, and the join's
    // end ends the video: a join cut short by a damaged source is seen as
    // missing frames, not hidden behind a longer overlay.
    chains.push_back(framed(item.overlayFit, overlay, "overlayfit") + shape + key +
                     ",tpad=stop=-1:stop_mode=clone[keyed]");
    chains.push_back("[joined][keyed]overlay=x=0:shortest=1[video]");
    video = "video";
  }
  if (!item.watermark.empty()) {
    chains.push_back("[" + video + "]" + item.watermark + "[marked]");
    video = "marked";
  }
  std::string audio;
  const bool ownSound = item.sound.mode != SoundMode::kMusic;
  // The source's sound alone needs no music input.
  if (!item.audio.empty() && item.sound.mode != SoundMode::kSource) {
    args.insert(args.end(), {"-stream_loop", "-1"});
    audio = addInput(item.audio);
  }

  if (ownSound) {
    SoundMix mix =
        MixSound(sound, nextInput, audio.empty() ? -1 : std::stoi(audio), item.sound, "[sound]");
    args.insert(args.end(), mix.inputs.begin(), mix.inputs.end());
    chains.push_back(mix.graph);
  }
  std::string graph;
  for (const std::string& chain : chains) graph += (graph.empty() ? "" : ";") + chain;
  // The finished video lasts the join's whole seconds; so does its audio.
  command.seconds = static_cast<int>(std::floor(totalSeconds + 1e-6));
  args.insert(args.end(), {"-filter_complex", graph, "-map", "[" + video + "]"});
  if (ownSound) {
    args.insert(args.end(), {"-map", "[sound]"});
  } else if (!audio.empty()) {
    args.insert(args.end(), {"-map", audio + ":a"});
  }
  for (std::string& setting : SplitCommandLine(OutputEncoding(canvas)))
    args.push_back(std::move(setting));
  args.insert(args.end(), {"-t", std::to_string(command.seconds), item.output});
  return command;
}

}  // namespace mivora
