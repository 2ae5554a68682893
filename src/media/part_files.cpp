#include "media/part_files.h"

#include <string>

namespace mivora {

std::filesystem::path PartFilePath(const std::filesystem::path& finished, std::string_view prefix) {
  return finished.parent_path() / (std::string(prefix) + finished.filename().string() + ".part" +
                                   finished.extension().string());
}

bool IsPartFileName(std::string_view name) {
  return name.substr(0, kPartFileStart.size()) == kPartFileStart &&
         name.find(".part") != std::string_view::npos;
}

}  // namespace mivora
