// A filter graph as the encoder reads one: filters, their pads, and the
// links between them. Pure text work; nothing here runs the encoder.
//
// The filter graph grammar: filterchains separated by ';', filters within
// a chain by ','; labels in square brackets before a filter name its inputs,
// after it its outputs. Links are resolved the way the encoder resolves them:
// a chain's unlabelled outputs feed the next filter after its labelled inputs,
// an output label may also satisfy an input label written earlier, and what is
// left unlinked are the graph's open inputs and outputs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mivora {

struct FilterNode {
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

struct FilterGraph {
  std::vector<FilterNode> nodes;
  std::vector<std::string> linkLabels;  // per link: the label that made it, or empty
  std::vector<OpenPad> openInputs;
  std::vector<OpenPad> openOutputs;
  std::string error;
};

// The graph `text` describes; `error` says what could not be read (a filter
// the parser does not know, a pad it cannot count, a broken label).
FilterGraph ParseFilterGraph(std::string_view text);

// A whole decimal number, all of `text`; -1 for anything else.
int ParseCount(std::string_view text);

}  // namespace mivora
