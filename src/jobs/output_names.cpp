#include "jobs/output_names.h"

#include <filesystem>
#include <set>

namespace mivora {
namespace {

std::string WithSuffix(const std::string& name, const std::string& suffix) {
  std::filesystem::path path(name);
  return path.stem().string() + suffix + path.extension().string();
}

}  // namespace

OutputNames NameOutputs(const std::vector<std::string>& plainNames, int variants) {
  OutputNames result;
  // With versions, the plain names stay free: a source called "a-1.mp4"
  // beside "a.mp4" keeps its own name for a later run without versions.
  std::set<std::string> reserved;
  if (variants > 1) reserved.insert(plainNames.begin(), plainNames.end());
  std::set<std::string> taken;
  for (const std::string& plain : plainNames) {
    std::vector<std::string> names;
    for (int k = 1; k <= variants; ++k) {
      const std::string wanted = variants > 1 ? WithSuffix(plain, "-" + std::to_string(k)) : plain;
      std::string name = wanted;
      for (int n = 2; taken.count(name) > 0 || (variants > 1 && reserved.count(name) > 0); ++n) {
        name = WithSuffix(wanted, "_" + std::to_string(n));
      }
      if (name != wanted) {
        result.notes.push_back("重名：" + wanted + " 已被占用，" + plain +
                               (variants > 1 ? " 的第 " + std::to_string(k) + " 个版本" : "") +
                               "改名为 " + name);
      }
      taken.insert(name);
      names.push_back(name);
    }
    result.names.push_back(std::move(names));
  }
  return result;
}

}  // namespace mivora
