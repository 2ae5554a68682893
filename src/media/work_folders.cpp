// File housekeeping over std::filesystem; every error is swallowed on purpose
// (see the header).
#include "media/work_folders.h"

#include <string>
#include <system_error>
#include <vector>

#include "runner/text.h"

namespace mivora {
namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool IsFolder(const std::filesystem::path& path) {
  std::error_code ignored;
  return std::filesystem::is_directory(path, ignored);
}

bool EnsureFolder(const std::filesystem::path& path) {
  std::error_code ignored;
  std::filesystem::create_directories(path, ignored);
  return IsFolder(path);
}

void DeleteWorkFile(const std::filesystem::path& path) {
  std::error_code ignored;
  // Only files: a folder of the same name is left alone, like a file deletion would.
  if (std::filesystem::is_directory(std::filesystem::symlink_status(path, ignored))) return;
  std::filesystem::remove(path, ignored);
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  // The described platform treats "*.*" as "every name", dot or not.
  if (pattern == "*.*") return true;
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starPattern = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starPattern = ++p;
      starName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharLengthAt(name, n);
    } else if (p < pattern.size() && FoldAscii(pattern[p]) == FoldAscii(name[n])) {
      ++p;
      ++n;
    } else if (starPattern != std::string_view::npos) {
      // Let the last star swallow one more whole character and try again.
      starName += CharLengthAt(name, starName);
      n = starName;
      p = starPattern;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void DeleteMatching(const std::filesystem::path& folder, std::string_view pattern) {
  if (pattern.empty()) pattern = "*.*";
  // Collect first: removing entries while iterating leaves the iteration unspecified.
  std::vector<std::filesystem::path> doomed;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code ignored;
    if (!it->is_regular_file(ignored)) continue;
    if (MatchesWildcard(it->path().filename().string(), pattern)) doomed.push_back(it->path());
  }
  // On Linux a file's own read-only mode does not stop its deletion, so
  // read-only files go with the rest without further ado.
  for (const std::filesystem::path& file : doomed) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
  }
}

void PrepareWorkFolders(const std::filesystem::path& runDir) {
  for (const char* name :
       {kTempFolder, kVideoOutputFolder, kImageOutputFolder, kImageVideoFolder}) {
    std::filesystem::path folder = runDir / name;
    if (!IsFolder(folder)) EnsureFolder(folder);
  }
}

}  // namespace mivora
