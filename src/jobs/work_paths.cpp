#include "jobs/work_paths.h"

#include <string>

namespace mivora {

WorkPaths WorkPaths::ForRunDir(const std::filesystem::path& runDir) {
  return InFolder(runDir, runDir);
}

WorkPaths WorkPaths::InFolder(const std::filesystem::path& runDir,
                              const std::filesystem::path& workFolder) {
  return {runDir,
          workFolder / "临时",
          workFolder / "out临时.mp4",
          workFolder / "out临时tx.mp4",
          workFolder / "out临时fit.mp4",
          workFolder / "out临时水印.txt",
          ".mivora-"};
}

std::filesystem::path WorkPaths::SegmentFile(int number) const {
  return tempFolder / ("out" + std::to_string(number) + ".mp4");
}

}  // namespace mivora
