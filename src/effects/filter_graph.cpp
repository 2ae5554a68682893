#include "effects/filter_graph.h"

#include <charconv>
#include <set>
#include <utility>

#include "runner/text.h"

namespace mivora {
namespace {

// Video filters of one input and one output that the parser knows.
const std::set<std::string_view> kPlainFilters = {
    "boxblur", "crop",   "edgedetect",    "eq",     "fade",    "format", "fps",    "gblur",
    "geq",     "hflip",  "hue",           "lutyuv", "null",    "pad",    "rotate", "scale",
    "setpts",  "setsar", "shuffleplanes", "trim",   "unsharp", "vflip"};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
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

class GraphParser {
 public:
  explicit GraphParser(std::string_view text) : text_(text) {}

  FilterGraph Parse() {
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
      FilterNode& filter = graph_.nodes[static_cast<std::size_t>(node)];
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
    FilterNode node;
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

  FilterGraph Fail(const std::string& error) {
    graph_.error = error;
    return std::move(graph_);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  FilterGraph graph_;
};

}  // namespace

FilterGraph ParseFilterGraph(std::string_view text) {
  return GraphParser(text).Parse();
}

int ParseCount(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

}  // namespace mivora
