#include "jobs/work_paths.h"

#include <string>

#include "media/work_folders.h"

namespace mivora {

WorkPaths WorkPaths::ForRunDir(const std::filesystem::path& runDir) {
  return InFolder(runDir, runDir);
}

WorkPaths WorkPaths::InFolder(const std::filesystem::path& runDir,
                              const std::filesystem::path& workFolder) {
  return {runDir,
          workFolder / kTempFolder,
          workFolder / kConcatWorkFile,
          workFolder / kOverlayWorkFile,
          workFolder / kFramedWorkFile,
          workFolder / kWatermarkTextFile,
          workFolder / kTitleTextFile,
          workFolder / kFramedIntroWorkFile,
          workFolder / kFramedOutroWorkFile,
          ".mivora-"};
}

std::filesystem::path WorkPaths::VideoOutputFolder() const {
  return runDir / kVideoOutputFolder;
}
std::filesystem::path WorkPaths::ImageOutputFolder() const {
  return runDir / kImageOutputFolder;
}
std::filesystem::path WorkPaths::ImageVideoFolder() const {
  return runDir / kImageVideoFolder;
}

std::filesystem::path WorkPaths::SegmentFile(int number) const {
  return tempFolder / ("out" + std::to_string(number) + ".mp4");
}

}  // namespace mivora
