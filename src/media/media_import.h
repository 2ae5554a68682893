// Filling the seven media lists from folders. An import replaces the whole
// list with the matching files of one folder, names sorted ascending without
// regard to ASCII case; the video and image lists take at most two.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/window_ops.h"

namespace mivora {

// The fixed source folder of a list under RunDir ("片头", "测试视频剪辑", ...);
// empty for the audio list, whose folder the user chooses.
std::string ImportFolderName(ListView list);
// ".mp4", ".jpg" or ".mp3".
std::string ImportExtension(ListView list);
// 2 for the video and image lists, otherwise no limit (-1).
int ImportLimit(ListView list);

// The order of names in a list: ascending, ASCII letters folded to upper case
// (the order of a folder search on NTFS), ties broken by
// the raw bytes so that the order is total.
bool MediaNameLess(std::string_view a, std::string_view b);

// The matching file names of `folder` in list order (folders skipped), at
// most `limit` of them unless it is negative. A missing folder gives none.
std::vector<std::string> CollectMediaNames(const std::filesystem::path& folder,
                                           const std::string& extension, int limit);

// Every function below may be called from any thread. An import fills its list
// while holding that list's lock, so a window whose operations are carried
// out on its own thread must not import a list on that thread while another
// thread may be importing the same list.

// Imports the list from its fixed folder under `runDir` (not for the audio
// list, whose folder is chosen by the user). A missing folder
// empties the list. When two imports of one list overlap, the later one wins
// and rows of the two are never mixed.
void ImportList(WindowOps& window, ListView list, const std::filesystem::path& runDir);

// Imports the audio list from a folder the user chose; an empty folder text
// (dialog cancelled) changes nothing.
void ImportAudio(WindowOps& window, const std::filesystem::path& folder);

// The clear buttons of the green-screen and black-screen lists. A clear counts
// as the latest import: an import begun before it does not refill the list.
void ClearList(WindowOps& window, ListView list);

}  // namespace mivora
