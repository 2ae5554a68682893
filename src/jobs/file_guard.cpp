#include "jobs/file_guard.h"

#include <string>

#include "media/durable_commit.h"
#include "media/part_files.h"

namespace mivora {

PartFile::PartFile(std::filesystem::path finalFile, std::string_view prefix)
    : final_(std::move(finalFile)), part_(PartFilePath(final_, prefix)) {}

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
