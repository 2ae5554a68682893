// Turning an effect template into a part of a larger filter graph. The
// templates are read, never restated: their inputs, filter graph and length
// cap are parsed from the catalogue's command text, so the catalogue stays the
// one place an effect is defined.
#include "effects/effect_graph.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "effects/effect_shortcuts.h"
#include "effects/filter_graph.h"
#include "effects/output_format.h"
#include "runner/command_line.h"
#include "runner/placeholders.h"
#include "runner/text.h"

namespace mivora {

std::string ThirtyFor(int seconds, std::string_view conversion) {
  return "tpad=stop_mode=clone:stop_duration=1," + std::string(conversion) +
         ",trim=duration=" + std::to_string(seconds);
}

std::string GraphLabels(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "[" + name + "]";
  return text;
}

namespace {
// Output settings of the templates that the segment shape replaces.
const std::set<std::string_view> kOutputSettings = {
    "-pix_fmt", "-vcodec", "-c:v", "-r:v", "-preset", "-crf", "-aspect", "-s", "-b:v"};

// ---- The template's command line.

struct TemplateInput {
  enum class Kind { kSource, kCanvas, kAudio };
  Kind kind = Kind::kSource;
  std::string canvas;  // the colour source, for a canvas
};

struct ParsedTemplate {
  std::vector<TemplateInput> inputs;
  std::string graph;
  bool complex = false;    // -filter_complex; else -vf, a chain over input 0
  bool fixedRate = false;  // the output is made 30 fps; else the join does it
  int seconds = 0;
  std::string error;
};

ParsedTemplate ParseTemplate(std::string_view text) {
  ParsedTemplate parsed;
  std::vector<std::string> args = SplitCommandLine(text);
  if (args.size() < 3 || !EqualsIgnoreAsciiCase(args.front(), kEncoderPlaceholder) ||
      !EqualsIgnoreAsciiCase(args.back(), kOutputPlaceholder)) {
    parsed.error = "not an effect command";
    return parsed;
  }
  const std::size_t last = args.size() - 1;  // the output
  std::string format;
  bool looped = false;
  bool haveGraph = false;
  for (std::size_t i = 1; i < last; ++i) {
    const std::string& option = args[i];
    if (option == "-y") continue;
    if (i + 1 >= last) {
      parsed.error = "option without a value: " + option;
      return parsed;
    }
    const std::string& value = args[++i];
    if (option == "-f") {
      format = value;
    } else if (option == "-stream_loop") {
      looped = true;
    } else if (option == "-i") {
      TemplateInput input;
      if (format == "lavfi" && value.rfind("color=", 0) == 0 &&
          value.find_first_of(",;[]") == std::string::npos) {
        input = {TemplateInput::Kind::kCanvas, value};
      } else if (format.empty() && !looped && EqualsIgnoreAsciiCase(value, kSourcePlaceholder)) {
        input.kind = TemplateInput::Kind::kSource;
      } else if (format.empty() && EqualsIgnoreAsciiCase(value, kAudioPlaceholder)) {
        input.kind = TemplateInput::Kind::kAudio;
      } else {
        parsed.error = "unknown input " + value;
        return parsed;
      }
      parsed.inputs.push_back(std::move(input));
      format.clear();
      looped = false;
    } else if ((option == "-vf" || option == "-filter_complex") && !haveGraph) {
      parsed.graph = value;
      parsed.complex = option == "-filter_complex";
      haveGraph = true;
    } else if (option == "-t") {
      parsed.seconds = ParseCount(value);
    } else if (option == "-r:v") {
      parsed.fixedRate = true;
    } else if (!kOutputSettings.contains(option)) {
      parsed.error = "unknown option " + option;
      return parsed;
    }
  }
  if (!haveGraph || parsed.inputs.empty() || parsed.seconds <= 0) {
    parsed.error = "no inputs, filter graph or length";
  }
  return parsed;
}

// Labels of one part: every name begins with the prefix and none repeats.
class LabelMaker {
 public:
  LabelMaker(std::string_view prefix, std::initializer_list<std::string_view> reserved)
      : prefix_(prefix) {
    for (std::string_view name : reserved) used_.insert(std::string(name));
  }

  std::string Make(const std::string& base) {
    std::string name = prefix_ + base;
    while (!used_.insert(name).second) name += '_';
    return name;
  }

 private:
  std::string prefix_;
  std::set<std::string> used_;
};

// "N:v" or "N:a": the input index and the stream type; index -1 otherwise.
std::pair<int, char> StreamReference(const std::string& label) {
  std::size_t colon = label.find(':');
  if (colon == std::string::npos || colon + 2 != label.size()) return {-1, 0};
  char type = label[colon + 1];
  int index = ParseCount(std::string_view(label).substr(0, colon));
  if (type != 'v' && type != 'a') return {-1, 0};
  return {index, type};
}

}  // namespace

EffectPart TranslateEffect(std::string_view templateText, int stretchSeconds,
                           std::string_view prefix, std::string_view stretch,
                           std::string_view out, const Canvas& canvas) {
  EffectPart part;
  ParsedTemplate parsed = ParseTemplate(templateText);
  if (!parsed.error.empty()) {
    part.error = parsed.error;
    return part;
  }
  const int capSeconds = parsed.seconds;
  FilterGraph graph = ParseFilterGraph(parsed.graph);
  if (!graph.error.empty()) {
    part.error = graph.error;
    return part;
  }
  auto fail = [&part](const std::string& error) {
    part.error = error;
    return part;
  };

  // Which input each open input pad reads: a video input, or audio (-1).
  std::vector<std::pair<OpenPad, int>> bindings;
  if (!parsed.complex) {
    if (graph.openInputs.size() != 1) return fail("a -vf chain must have one input");
    bindings.push_back({graph.openInputs.front(), 0});
  } else {
    for (const OpenPad& pad : graph.openInputs) {
      auto [index, type] = StreamReference(pad.label);
      if (index < 0 || index >= static_cast<int>(parsed.inputs.size())) {
        return fail("unknown stream [" + pad.label + "]");
      }
      bool audioNode = graph.nodes[static_cast<std::size_t>(pad.node)].audio;
      if ((type == 'a') != audioNode) return fail("stream [" + pad.label + "] of the wrong kind");
      bindings.push_back({pad, type == 'a' ? -1 : index});
    }
  }
  int copiesNeeded = 0;
  for (const auto& [pad, input] : bindings) {
    if (input < 0) continue;
    TemplateInput::Kind kind = parsed.inputs[static_cast<std::size_t>(input)].kind;
    if (kind == TemplateInput::Kind::kAudio) return fail("an audio input read as video");
    if (kind == TemplateInput::Kind::kSource) ++copiesNeeded;
  }
  for (const FilterNode& node : graph.nodes) {
    if (node.name != "movie") continue;
    if (!EqualsIgnoreAsciiCase(node.args, kMovieSourcePlaceholder))
      return fail("unknown movie source " + node.args);
    if (node.out.front() < 0) return fail("a movie source is the output");
    ++copiesNeeded;
  }

  LabelMaker labels(prefix, {stretch, out});
  std::vector<std::string> chains;
  std::vector<std::string> copies;
  if (copiesNeeded == 0) {
    chains.push_back("[" + std::string(stretch) + "]nullsink");
  } else if (copiesNeeded == 1) {
    copies.push_back(std::string(stretch));
  } else {
    for (int i = 0; i < copiesNeeded; ++i) copies.push_back(labels.Make("src" + std::to_string(i)));
    chains.push_back("[" + std::string(stretch) + "]split=" + std::to_string(copiesNeeded) +
                     GraphLabels(copies));
  }
  std::size_t nextCopy = 0;

  std::vector<std::string> linkNames;
  for (std::size_t link = 0; link < graph.linkLabels.size(); ++link) {
    const std::string& label = graph.linkLabels[link];
    linkNames.push_back(labels.Make(label.empty() ? "link" + std::to_string(link) : label));
  }
  std::map<std::pair<int, int>, std::string> openInputNames;
  for (const auto& [pad, input] : bindings) {
    if (input < 0) continue;
    const TemplateInput& source = parsed.inputs[static_cast<std::size_t>(input)];
    std::string name;
    if (source.kind == TemplateInput::Kind::kSource) {
      name = copies[nextCopy++];
    } else {
      // The canvas has no end of its own; a second beyond the part's length
      // lets the part's own trim decide where it stops.
      name = labels.Make("canvas" + std::to_string(openInputNames.size()));
      chains.push_back(source.canvas + ":d=" + std::to_string(capSeconds + 1) + "[" + name + "]");
      part.canvas = true;
    }
    openInputNames[{pad.node, pad.pad}] = name;
  }
  for (const FilterNode& node : graph.nodes) {
    if (node.name == "movie")
      linkNames[static_cast<std::size_t>(node.out.front())] = copies[nextCopy++];
  }

  // The part's result: its one open video output.
  const OpenPad* result = nullptr;
  for (const OpenPad& pad : graph.openOutputs) {
    if (graph.nodes[static_cast<std::size_t>(pad.node)].audio) continue;
    if (result) return fail("more than one video output");
    result = &pad;
  }
  if (!result) return fail("no video output");
  std::string resultName = labels.Make("result");

  std::vector<bool> audioLinks(graph.linkLabels.size(), false);
  for (const FilterNode& node : graph.nodes) {
    for (int link : node.out) {
      if (link >= 0) audioLinks[static_cast<std::size_t>(link)] = node.audio;
    }
  }
  for (const FilterNode& node : graph.nodes) {
    for (int link : node.in) {
      if (link >= 0 && audioLinks[static_cast<std::size_t>(link)] != node.audio) {
        return fail("audio and video links crossed at " + node.name);
      }
    }
  }

  for (std::size_t index = 0; index < graph.nodes.size(); ++index) {
    const FilterNode& node = graph.nodes[index];
    // The join keeps video only, so the effects' audio has nowhere to go.
    if (node.name == "movie" || node.audio) continue;
    std::string chain;
    for (std::size_t pad = 0; pad < node.in.size(); ++pad) {
      int link = node.in[pad];
      chain += "[" +
               (link >= 0 ? linkNames[static_cast<std::size_t>(link)]
                          : openInputNames.at({static_cast<int>(index), static_cast<int>(pad)})) +
               "]";
    }
    chain += node.name;
    if (node.hasArgs) chain += "=" + node.args;
    for (std::size_t pad = 0; pad < node.out.size(); ++pad) {
      int link = node.out[pad];
      if (link >= 0) {
        chain += "[" + linkNames[static_cast<std::size_t>(link)] + "]";
      } else if (result->node == static_cast<int>(index) && result->pad == static_cast<int>(pad)) {
        chain += "[" + resultName + "]";
      } else {
        return fail("an output of " + node.name + " goes nowhere");
      }
    }
    chains.push_back(std::move(chain));
  }
  // Without a canvas the effect ends with its stretch.
  part.seconds = part.canvas ? capSeconds : std::min(stretchSeconds, capSeconds);
  chains.push_back("[" + resultName + "]" + SegmentShape(canvas) + "," +
                   ThirtyFor(part.seconds,
                             parsed.complex || !parsed.fixedRate ? kThirtyFpsEarlier : kThirtyFps) +
                   "[" + std::string(out) + "]");

  for (const std::string& chain : chains) part.graph += (part.graph.empty() ? "" : ";") + chain;
  return part;
}

}  // namespace mivora
