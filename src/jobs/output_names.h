// The finished videos' names of a whole list. One version per source keeps
// the source's own name; with more, the k-th is "<stem>-<k><ext>". No two
// outputs of a run share a name, and a version never takes the name that
// another source's single video has: a clash gets "_2", "_3"... and a note
// that says so. Names are given over the whole list, so every shard of a
// batch gives the same ones.
#pragma once

#include <string>
#include <vector>

namespace mivora {

struct OutputNames {
  std::vector<std::vector<std::string>> names;  // per source, per version
  std::vector<std::string> notes;               // one line per clash resolved
};

// `plainNames`: each source's finished name with one version, in list order.
OutputNames NameOutputs(const std::vector<std::string>& plainNames, int variants);

}  // namespace mivora
