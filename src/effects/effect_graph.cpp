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

// Video filters of one input and one output that the translation knows.
const std::set<std::string_view> kPlainFilters = {
    "boxblur", "crop",   "edgedetect",    "eq",     "fade",    "format", "fps",    "gblur",
    "geq",     "hflip",  "hue",           "lutyuv", "null",    "pad",    "rotate", "scale",
    "setpts",  "setsar", "shuffleplanes", "trim",   "unsharp", "vflip"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int ParseCount(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

// The count a filter takes from its first positional option or from `key`;
// `fallback` without either, -1 when it cannot be read.
int CountOption(std::string_view args, std::string_view key, int fallback) {
  std::vector<std::string> options = SplitText(args, ":");
  for (std::size_t i = 0; i < options.size(); ++i) {
    std::string_view option = options[i];
    std::size_t equals = option.find('=');
    if (equals == std::string_view::npos) {
      if (i == 0) return ParseCount(option);
    } else if (option.substr(0, equals) == key) {
      return ParseCount(option.substr(equals + 1));
    }
  }
  return fallback;
}

// ---- The filter graph grammar: filterchains separated by ';', filters within
// a chain by ','; labels in square brackets before a filter name its inputs,
// after it its outputs. Links are resolved the way the encoder resolves them:
// a chain's unlabelled outputs feed the next filter after its labelled inputs,
// an output label may also satisfy an input label written earlier, and what is
// left unlinked are the graph's open inputs and outputs.

struct Node {
  std::string name;
  std::string args;  // as written, quoting and escapes kept
  bool hasArgs = false;
  bool audio = false;
  std::vector<int> in;   // link id per input pad; -1 while open
  std::vector<int> out;  // link id per output pad; -1 while open
};

struct OpenPad {
  int node = 0;
  int pad = 0;
  std::string label;  // empty: unlabelled
};

struct Graph {
  std::vector<Node> nodes;
  std::vector<std::string> linkLabels;  // per link: the label that made it, or empty
  std::vector<OpenPad> openInputs;
  std::vector<OpenPad> openOutputs;
  std::string error;
};

class GraphParser {
 public:
  explicit GraphParser(std::string_view text) : text_(text) {}

  Graph Parse() {
    std::vector<OpenPad> current;  // outputs waiting for the next filter of the chain
    char separator = 0;
    do {
      SkipBlanks();
      std::vector<OpenPad> inputs;
      while (At('[')) {
        std::string label;
        if (!ReadLabel(label)) return Fail("a label is not closed");
        inputs.push_back(TakeOpenOutput(label));
        SkipBlanks();
      }
      inputs.insert(inputs.end(), current.begin(), current.end());
      current.clear();

      int node = AddNode();
      if (node < 0) return std::move(graph_);
      Node& filter = graph_.nodes[static_cast<std::size_t>(node)];
      if (inputs.size() > filter.in.size()) return Fail("too many inputs for " + filter.name);
      for (std::size_t pad = 0; pad < filter.in.size(); ++pad) {
        if (pad < inputs.size() && inputs[pad].node >= 0) {
          Connect(inputs[pad].node, inputs[pad].pad, node, static_cast<int>(pad),
                  inputs[pad].label);
        } else {
          graph_.openInputs.push_back(
              {node, static_cast<int>(pad), pad < inputs.size() ? inputs[pad].label : ""});
        }
      }
      for (std::size_t pad = 0; pad < filter.out.size(); ++pad)
        current.push_back({node, static_cast<int>(pad), ""});

      while (At('[')) {
        std::string label;
        if (!ReadLabel(label)) return Fail("a label is not closed");
        if (current.empty()) return Fail("no output for label " + label);
        OpenPad output = current.front();
        current.erase(current.begin());
        if (!LinkToOpenInput(output, label)) {
          output.label = label;
          graph_.openOutputs.insert(graph_.openOutputs.begin(), output);
        }
        SkipBlanks();
      }
      SkipBlanks();
      separator = pos_ < text_.size() ? text_[pos_++] : 0;
      if (separator == ';') {
        graph_.openOutputs.insert(graph_.openOutputs.end(), current.begin(), current.end());
        current.clear();
      }
    } while (separator == ',' || separator == ';');
    if (separator != 0) return Fail("unexpected text after a filter");
    graph_.openOutputs.insert(graph_.openOutputs.end(), current.begin(), current.end());
    return std::move(graph_);
  }

 private:
  bool At(char c) const { return pos_ < text_.size() && text_[pos_] == c; }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
  }

  // A token up to one of `terms`, as written: a backslash keeps the next
  // character, single quotes keep everything up to the closing quote, and
  // blanks at the ends are not part of it.
  std::string_view Token(std::string_view terms) {
    SkipBlanks();
    std::size_t begin = pos_;
    std::size_t end = pos_;
    while (pos_ < text_.size() && terms.find(text_[pos_]) == std::string_view::npos) {
      char c = text_[pos_++];
      if (c == '\\' && pos_ < text_.size()) {
        end = ++pos_;
      } else if (c == '\'') {
        while (pos_ < text_.size() && text_[pos_] != '\'') ++pos_;
        if (pos_ < text_.size()) ++pos_;
        end = pos_;
      } else if (!IsBlank(c)) {
        end = pos_;
      }
    }
    return text_.substr(begin, end - begin);
  }

  bool ReadLabel(std::string& label) {
    ++pos_;
    label = std::string(Token("]"));
    if (!At(']') || label.empty()) return false;
    ++pos_;
    return true;
  }

  // An output written earlier under `label`, or an open label to be linked later.
  OpenPad TakeOpenOutput(const std::string& label) {
    for (auto it = graph_.openOutputs.begin(); it != graph_.openOutputs.end(); ++it) {
      if (it->label == label) {
        OpenPad found = *it;
        graph_.openOutputs.erase(it);
        return found;
      }
    }
    return {-1, 0, label};
  }

  bool LinkToOpenInput(const OpenPad& output, const std::string& label) {
    for (auto it = graph_.openInputs.begin(); it != graph_.openInputs.end(); ++it) {
      if (it->label == label) {
        Connect(output.node, output.pad, it->node, it->pad, label);
        graph_.openInputs.erase(it);
        return true;
      }
    }
    return false;
  }

  int AddNode() {
    Node node;
    node.name = std::string(Token("=,;["));
    if (node.name.empty()) {
      Fail("a filter has no name");
      return -1;
    }
    if (At('=')) {
      ++pos_;
      node.args = std::string(Token("[],;"));
      node.hasArgs = true;
    }
    int inputs = 1;
    int outputs = 1;
    if (node.name == "overlay") {
      inputs = 2;
    } else if (node.name == "split") {
      outputs = CountOption(node.args, "outputs", 2);
    } else if (node.name == "movie") {
      inputs = 0;
    } else if (node.name == "amix") {
      inputs = CountOption(node.args, "inputs", 2);
      node.audio = true;
    } else if (!kPlainFilters.contains(node.name)) {
      Fail("unknown filter " + node.name);
      return -1;
    }
    if (inputs < 0 || outputs < 1) {
      Fail("cannot count the pads of " + node.name);
      return -1;
    }
    node.in.assign(static_cast<std::size_t>(inputs), -1);
    node.out.assign(static_cast<std::size_t>(outputs), -1);
    graph_.nodes.push_back(std::move(node));
    return static_cast<int>(graph_.nodes.size()) - 1;
  }

  void Connect(int from, int fromPad, int to, int toPad, const std::string& label) {
    int link = static_cast<int>(graph_.linkLabels.size());
    graph_.linkLabels.push_back(label);
    graph_.nodes[static_cast<std::size_t>(from)].out[static_cast<std::size_t>(fromPad)] = link;
    graph_.nodes[static_cast<std::size_t>(to)].in[static_cast<std::size_t>(toPad)] = link;
  }

  Graph Fail(const std::string& error) {
    graph_.error = error;
    return std::move(graph_);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  Graph graph_;
};

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
                           std::string_view out) {
  EffectPart part;
  ParsedTemplate parsed = ParseTemplate(templateText);
  if (!parsed.error.empty()) {
    part.error = parsed.error;
    return part;
  }
  const int capSeconds = parsed.seconds;
  Graph graph = GraphParser(parsed.graph).Parse();
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
  for (const Node& node : graph.nodes) {
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
  for (const Node& node : graph.nodes) {
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
  for (const Node& node : graph.nodes) {
    for (int link : node.out) {
      if (link >= 0) audioLinks[static_cast<std::size_t>(link)] = node.audio;
    }
  }
  for (const Node& node : graph.nodes) {
    for (int link : node.in) {
      if (link >= 0 && audioLinks[static_cast<std::size_t>(link)] != node.audio) {
        return fail("audio and video links crossed at " + node.name);
      }
    }
  }

  for (std::size_t index = 0; index < graph.nodes.size(); ++index) {
    const Node& node = graph.nodes[index];
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
  chains.push_back("[" + resultName + "]" + SegmentShape(kOutputFormat) + "," +
                   ThirtyFor(part.seconds,
                             parsed.complex || !parsed.fixedRate ? kThirtyFpsEarlier : kThirtyFps) +
                   "[" + std::string(out) + "]");

  for (const std::string& chain : chains) part.graph += (part.graph.empty() ? "" : ";") + chain;
  return part;
}

}  // namespace mivora
