// The media folders a run reads: which folder and extension each kind of
// clip comes from, and the order its files are listed in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace mivora {

enum class MediaKind {
  kSourceVideos,
  kSourceImages,
  kIntros,
  kOutros,
  kAudio,
  kGreenScreens,
  kBlackScreens,
};

// The fixed source folder of a kind under RunDir ("片头", "测试视频剪辑", ...);
// empty for audio, whose folder the user chooses.
std::string ImportFolderName(MediaKind kind);
// ".mp4", ".jpg" or ".mp3".
std::string ImportExtension(MediaKind kind);
// 2 for source videos and images (the window's import), otherwise no limit (-1).
int ImportLimit(MediaKind kind);

// The order of names in a list: ascending, ASCII letters folded to upper case
// (the order of a folder search on NTFS), ties broken by
// the raw bytes so that the order is total.
bool MediaNameLess(std::string_view a, std::string_view b);

// The matching file names of `folder` in list order (folders skipped), at
// most `limit` of them unless it is negative. A missing folder gives none.
std::vector<std::string> CollectMediaNames(const std::filesystem::path& folder,
                                           const std::string& extension, int limit);

// The full paths of the matching files of `folder`, in list order.
std::vector<std::string> CollectMediaPaths(const std::filesystem::path& folder,
                                           const std::string& extension, int limit = -1);

}  // namespace mivora
