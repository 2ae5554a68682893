// Reading the media folders: names filtered by extension and sorted as a
// folder search on NTFS lists them.
#include "media/media_import.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "media/work_folders.h"
#include "runner/text.h"

namespace mivora {
namespace {

unsigned char UpperAscii(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

std::string ImportFolderName(MediaKind kind) {
  switch (kind) {
    case MediaKind::kSourceVideos:
      return kTestVideoFolder;
    case MediaKind::kSourceImages:
      return kTestImageFolder;
    case MediaKind::kIntros:
      return kIntroFolder;
    case MediaKind::kOutros:
      return kOutroFolder;
    case MediaKind::kAudio:
      return "";
    case MediaKind::kGreenScreens:
      return kGreenScreenFolder;
    case MediaKind::kBlackScreens:
      return kBlackScreenFolder;
  }
  return "";
}

std::string ImportExtension(MediaKind kind) {
  switch (kind) {
    case MediaKind::kSourceImages:
      return ".jpg";
    case MediaKind::kAudio:
      return ".mp3";
    default:
      return ".mp4";
  }
}

int ImportLimit(MediaKind kind) {
  return (kind == MediaKind::kSourceVideos || kind == MediaKind::kSourceImages) ? 2 : -1;
}

bool MediaNameLess(std::string_view a, std::string_view b) {
  bool folded =
      std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                   [](char x, char y) { return UpperAscii(x) < UpperAscii(y); });
  if (folded) return true;
  if (!EqualsIgnoreAsciiCase(a, b)) return false;
  return a < b;
}

std::vector<std::string> CollectMediaNames(const std::filesystem::path& folder,
                                           const std::string& extension, int limit) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    // Follows links, so a link to a clip is listed and a folder named x.mp4 is not.
    if (!it->is_regular_file(ignored)) continue;
    std::string name = it->path().filename().string();
    if (EndsWithIgnoreAsciiCase(name, extension)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), MediaNameLess);
  if (limit >= 0 && names.size() > static_cast<std::size_t>(limit)) names.resize(limit);
  return names;
}

std::vector<std::string> CollectMediaPaths(const std::filesystem::path& folder,
                                           const std::string& extension, int limit) {
  std::vector<std::string> paths;
  for (const std::string& name : CollectMediaNames(folder, extension, limit)) {
    paths.push_back((folder / name).string());
  }
  return paths;
}

}  // namespace mivora
