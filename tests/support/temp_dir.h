// A fresh folder under the system's temporary folder, removed with the object.
#pragma once

#include <filesystem>
#include <string>

namespace mivora::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Writes `text` to `file`, creating parent folders.
void WriteFile(const std::filesystem::path& file, const std::string& text);
std::string ReadFile(const std::filesystem::path& file);

}  // namespace mivora::test
