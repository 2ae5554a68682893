#include "jobs/file_guard.h"

#include <string>

#include "media/durable_commit.h"

namespace mivora {

PartFile::PartFile(std::filesystem::path finalFile, std::string_view prefix)
    : final_(std::move(finalFile)),
      part_(final_.parent_path() / (std::string(prefix) + final_.filename().string() + ".part" +
                                    final_.extension().string())) {}

PartFile::~PartFile() {
  std::error_code ignored;
  if (!part_.empty()) std::filesystem::remove(part_, ignored);
}

bool PartFile::Commit() {
  if (!CommitByRename(part_, final_)) return false;
  part_.clear();
  return true;
}

}  // namespace mivora
