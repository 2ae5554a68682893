// Where one item's work files live. The window uses the fixed paths under
// RunDir; the command line gives every parallel item a folder of its own, so
// no two items share a file.
#pragma once

#include <filesystem>
#include <string>

namespace mivora {

struct WorkPaths {
  std::filesystem::path runDir;         // tools, output folders, image-to-video folder
  std::filesystem::path tempFolder;     // the segments
  std::filesystem::path concatFile;     // the join
  std::filesystem::path overlayFile;    // the join under the keyed overlay
  std::filesystem::path framedFile;     // a source brought into the frame before the walk
  std::filesystem::path watermarkText;  // the watermark's text, read by the encoder
  std::filesystem::path titleText;      // the item's title as laid out, read by the encoder
  std::filesystem::path framedIntro;    // an intro of another shape, framed before the join
  std::filesystem::path framedOutro;    // the same for an outro
  // The start of the names of the run's part files in the output folder,
  // which tells whose they are after a crash.
  std::string partPrefix = ".mivora-";

  // The fixed work paths of the window under `runDir`.
  static WorkPaths ForRunDir(const std::filesystem::path& runDir);
  // Work paths inside `workFolder`; outputs still go under `runDir`.
  static WorkPaths InFolder(const std::filesystem::path& runDir,
                            const std::filesystem::path& workFolder);

  std::filesystem::path SegmentFile(int number) const;
  std::filesystem::path VideoOutputFolder() const;
  std::filesystem::path ImageOutputFolder() const;
  std::filesystem::path OutputFolder(bool videoMode) const {
    return videoMode ? VideoOutputFolder() : ImageOutputFolder();
  }
  std::filesystem::path ImageVideoFolder() const;
};

}  // namespace mivora
