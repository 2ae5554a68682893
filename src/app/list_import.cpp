// Media list import. The folder is read completely, and every file's first
// bytes are checked, before the list is touched, so a huge folder costs no window call per file,
// and the list then receives all its rows in one window call under a lock of its own.
#include "app/list_import.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cstdint>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "media/media_content.h"
#include "media/media_import.h"

namespace mivora {
namespace {

// Keeps overlapping imports of one list apart. Each import (and each clear)
// takes a ticket with a new generation number for its window and list; only
// the holder of the newest generation may fill the list. A slot lives only
// while some import of that list is in flight, so nothing grows with the
// number of windows.
class ImportRegistry {
 public:
  struct Slot {
    std::atomic<std::uint64_t> generation{0};
    int active = 0;  // guarded by the registry's mutex
    std::mutex fill;
  };
  using Key = std::pair<WindowOps*, ListView>;

  // Never destroyed: an import thread that the window does not wait for may
  // still be running while static objects are torn down at exit.
  static ImportRegistry& Instance() {
    static ImportRegistry* registry = new ImportRegistry;
    return *registry;
  }

  std::pair<Slot*, std::uint64_t> Enter(const Key& key) {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_.try_emplace(key).first->second;
    ++slot.active;
    return {&slot, ++slot.generation};
  }

  void Leave(const Key& key) {
    std::lock_guard lock(mutex_);
    auto it = slots_.find(key);
    if (--it->second.active == 0) slots_.erase(it);
  }

 private:
  std::mutex mutex_;
  std::map<Key, Slot> slots_;
};

class ImportTicket {
 public:
  ImportTicket(WindowOps& window, ListView list) : key_(&window, list) {
    std::tie(slot_, generation_) = ImportRegistry::Instance().Enter(key_);
  }
  ~ImportTicket() { ImportRegistry::Instance().Leave(key_); }
  ImportTicket(const ImportTicket&) = delete;
  ImportTicket& operator=(const ImportTicket&) = delete;

  std::mutex& FillMutex() { return slot_->fill; }
  // Call with FillMutex held: false once a later import or clear has begun.
  bool Newest() const { return slot_->generation.load() == generation_; }

 private:
  ImportRegistry::Key key_;
  ImportRegistry::Slot* slot_ = nullptr;
  std::uint64_t generation_ = 0;
};

// The path and name cells of one row per file.
std::vector<std::vector<std::string>> RowsOf(const std::vector<std::filesystem::path>& files) {
  std::vector<std::vector<std::string>> rows;
  rows.reserve(files.size());
  for (const std::filesystem::path& file : files) {
    rows.push_back({file.string(), file.filename().string()});
  }
  return rows;
}

// The files among `candidates` whose content is the list's media, at most
// `limit` of them unless it is negative; the log names each one refused, so
// a text under a video's name is told at once and not by a failed run.
std::vector<std::filesystem::path> MediaOnly(WindowOps& window, ListView list,
                                             const std::vector<std::filesystem::path>& candidates,
                                             int limit) {
  const MediaKind kind = KindOf(list);
  std::vector<std::filesystem::path> files;
  std::string refused;
  for (const std::filesystem::path& file : candidates) {
    if (limit >= 0 && files.size() >= static_cast<std::size_t>(limit)) break;
    if (FileIsMedia(file, kind)) {
      files.push_back(file);
    } else {
      refused += NotMediaLine(file, kind);
    }
  }
  if (!refused.empty()) window.AppendLog(refused);
  return files;
}

void ImportFrom(WindowOps& window, ListView list, const std::filesystem::path& folder, int limit) {
  ImportTicket ticket(window, list);
  std::vector<std::filesystem::path> candidates;
  for (const std::string& name : CollectMediaNames(folder, ImportExtension(KindOf(list)), -1)) {
    candidates.push_back(folder / name);
  }
  std::vector<std::filesystem::path> files = MediaOnly(window, list, candidates, limit);
  std::lock_guard lock(ticket.FillMutex());
  if (!ticket.Newest()) return;
  window.FillRows(list, RowsOf(files), false);
}

// A dropped file counts when its extension is the list's, as an import's would.
bool IsListMedia(const std::filesystem::path& file, const std::string& extension) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) return false;
  std::vector<std::string> names = CollectMediaNames(file.parent_path(), extension, -1);
  return std::find(names.begin(), names.end(), file.filename().string()) != names.end();
}

}  // namespace

MediaKind KindOf(ListView list) {
  // In the order of the lists' enumerators.
  constexpr MediaKind kKinds[kListViewCount] = {
      MediaKind::kSourceVideos, MediaKind::kSourceImages, MediaKind::kIntros,
      MediaKind::kOutros,       MediaKind::kAudio,        MediaKind::kGreenScreens,
      MediaKind::kBlackScreens,
  };
  return kKinds[static_cast<int>(list)];
}

void ImportList(WindowOps& window, ListView list, const std::filesystem::path& runDir,
                bool allRows) {
  assert(list != ListView::超级列表框5 && "the audio list is imported by ImportAudio");
  MediaKind kind = KindOf(list);
  ImportFrom(window, list, runDir / ImportFolderName(kind), allRows ? -1 : ImportLimit(kind));
}

void ImportAudio(WindowOps& window, const std::filesystem::path& folder) {
  if (folder.empty()) return;
  ImportFrom(window, ListView::超级列表框5, folder, -1);
}

void ClearList(WindowOps& window, ListView list) {
  ImportTicket ticket(window, list);
  std::lock_guard lock(ticket.FillMutex());
  window.ClearRows(list);
}

std::string NothingFoundMessage(ListView list, const std::filesystem::path& folder) {
  MediaKind kind = KindOf(list);
  std::filesystem::path read = kind == MediaKind::kAudio ? folder : folder / ImportFolderName(kind);
  return "没有找到素材：" + read.string() + " 中没有 *" + ImportExtension(kind) + " 文件";
}

std::string NoMediaFoldersMessage(const std::filesystem::path& home) {
  std::string names;
  for (ListView list :
       {kVideoList, kImageList, kIntroList, kOutroList, kGreenScreenList, kBlackScreenList}) {
    names += (names.empty() ? "" : "、") + ImportFolderName(KindOf(list));
  }
  return "主目录中没有素材文件夹：" + home.string() + "\r\n应有的文件夹：" + names;
}

int AddDroppedPaths(WindowOps& window, ListView list,
                    const std::vector<std::filesystem::path>& dropped) {
  const std::string extension = ImportExtension(KindOf(list));
  std::vector<std::filesystem::path> files;
  std::vector<std::filesystem::path> loose;
  for (const std::filesystem::path& path : dropped) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      for (const std::string& name : CollectMediaNames(path, extension, -1)) {
        files.push_back(path / name);
      }
    } else if (IsListMedia(path, extension)) {
      loose.push_back(path);
    }
  }
  std::sort(loose.begin(), loose.end(), [](const auto& a, const auto& b) {
    return MediaNameLess(a.filename().string(), b.filename().string());
  });
  files.insert(files.begin(), loose.begin(), loose.end());
  files = MediaOnly(window, list, files, -1);
  ImportTicket ticket(window, list);
  std::lock_guard lock(ticket.FillMutex());
  if (!files.empty()) window.FillRows(list, RowsOf(files), true);
  return static_cast<int>(files.size());
}

}  // namespace mivora
