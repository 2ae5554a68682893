// Where one item's work files live. The window uses the fixed paths under
// RunDir; the command line gives every parallel item a folder of its own, so
// no two items share a file.
#pragma once

#include <filesystem>
#include <string>

namespace mivora {

struct WorkPaths {
  std::filesystem::path runDir;         // tools, output folders, image-to-video folder
  std::filesystem::path tempFolder;     // the segments: "临时"
  std::filesystem::path concatFile;     // "out临时.mp4"
  std::filesystem::path overlayFile;    // "out临时tx.mp4"
  std::filesystem::path framedFile;     // a source brought into the frame before the walk
  std::filesystem::path watermarkText;  // the watermark's text, read by the encoder
  // The start of the names of the run's part files in the output folder,
  // which tells whose they are after a crash.
  std::string partPrefix = ".mivora-";

  // The fixed work paths of the window under `runDir`.
  static WorkPaths ForRunDir(const std::filesystem::path& runDir);
  // Work paths inside `workFolder`; outputs still go under `runDir`.
  static WorkPaths InFolder(const std::filesystem::path& runDir,
                            const std::filesystem::path& workFolder);

  std::filesystem::path SegmentFile(int number) const;
  std::filesystem::path VideoOutputFolder() const { return runDir / "生成视频剪辑"; }
  std::filesystem::path ImageOutputFolder() const { return runDir / "生成图片剪辑"; }
  std::filesystem::path OutputFolder(bool videoMode) const {
    return videoMode ? VideoOutputFolder() : ImageOutputFolder();
  }
  std::filesystem::path ImageVideoFolder() const { return runDir / "图转视频后路径"; }
};

}  // namespace mivora
