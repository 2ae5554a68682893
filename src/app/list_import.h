// Filling the window's seven media lists from folders. An import replaces the
// whole list with the matching files of one folder, names sorted ascending
// without regard to ASCII case; the video and image lists take at most two
// unless a run is to take every row.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/window_ops.h"
#include "media/media_import.h"

namespace mivora {

// The kind of media a list holds.
MediaKind KindOf(ListView list);

// Every function below may be called from any thread. An import fills its list
// while holding that list's lock, so a window whose operations are carried
// out on its own thread must not import a list on that thread while another
// thread may be importing the same list.

// Imports the list from its fixed folder under `runDir` (not for the audio
// list, whose folder is chosen by the user). A missing folder
// empties the list. A file that is no video or picture by its content is
// left out and named in the log; the limit of two counts the files taken. When two imports of one
// list overlap, the later one wins and rows of the two are never mixed. `allRows` lifts the limit
// of two.
void ImportList(WindowOps& window, ListView list, const std::filesystem::path& runDir,
                bool allRows = false);

// Imports the audio list from a folder the user chose; an empty folder text
// (dialog cancelled) changes nothing.
void ImportAudio(WindowOps& window, const std::filesystem::path& folder);

// The clear buttons of the green-screen and black-screen lists. A clear counts
// as the latest import: an import begun before it does not refill the list.
void ClearList(WindowOps& window, ListView list);

// What an import that found nothing says: the folder it read and the
// extension it looked for. `folder` is the audio folder for the audio list,
// the home folder for the others.
std::string NothingFoundMessage(ListView list, const std::filesystem::path& folder);

// What choosing a home folder without any media folder says.
std::string NoMediaFoldersMessage(const std::filesystem::path& home);

// Files and folders dropped on a list: the list's media files among them, and
// those in the dropped folders (not their subfolders), each group in list
// order, are added as rows after the existing ones, those whose content is
// not the list's media left out and named in the log. Returns how many.
int AddDroppedPaths(WindowOps& window, ListView list,
                    const std::vector<std::filesystem::path>& dropped);

}  // namespace mivora
