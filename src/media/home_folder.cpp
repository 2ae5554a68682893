#include "media/home_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "media/ini_value.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

constexpr const char* kMediaFolders[] = {kTestVideoFolder, kTestImageFolder,   kIntroFolder,
                                         kOutroFolder,     kBlackScreenFolder, kGreenScreenFolder};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

bool HoldsMediaFolder(const std::filesystem::path& folder) {
  for (const char* name : kMediaFolders) {
    if (IsFolder(folder / name)) return true;
  }
  return false;
}

bool IsWritableFolder(const std::filesystem::path& folder) {
  return IsFolder(folder) && access(folder.c_str(), W_OK | X_OK) == 0;
}

std::filesystem::path UserHomeOfProcess() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  // A service or a cleaned environment may lack HOME; the account still has one.
  const passwd* account = getpwuid(getuid());
  return account != nullptr && account->pw_dir != nullptr ? account->pw_dir : "";
}

}  // namespace

HomeChoice ResolveHomeFolder(const HomeInputs& inputs) {
  if (!inputs.environment.empty()) return {inputs.environment, HomeRule::Environment};
  std::filesystem::path saved(inputs.savedChoice);
  if (saved.is_absolute() && IsFolder(saved)) return {saved, HomeRule::SavedChoice};
  if (!inputs.programFolder.empty() && IsWritableFolder(inputs.programFolder) &&
      HoldsMediaFolder(inputs.programFolder)) {
    return {inputs.programFolder, HomeRule::ProgramFolder};
  }
  return {inputs.userHome / "Mivora", HomeRule::UserFolder};
}

std::filesystem::path WindowSettingsFile(const std::string& xdgConfigHome,
                                         const std::filesystem::path& userHome) {
  std::filesystem::path config(xdgConfigHome);
  if (!config.is_absolute()) config = userHome / ".config";
  return config / "Mivora" / "mivora.conf";
}

std::string SavedHomeChoice(const std::filesystem::path& settingsFile) {
  std::ifstream in(settingsFile, std::ios::binary);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return IniStringValue(text.str(), "paths", "home").value_or("");
}

HomeInputs HomeInputsOfProcess(const std::filesystem::path& programFolder) {
  HomeInputs inputs;
  inputs.environment = Environment("MIVORA_HOME");
  inputs.userHome = UserHomeOfProcess();
  inputs.savedChoice =
      SavedHomeChoice(WindowSettingsFile(Environment("XDG_CONFIG_HOME"), inputs.userHome));
  inputs.programFolder = programFolder;
  return inputs;
}

bool MakeHomeFolder(const std::filesystem::path& folder) {
  for (const char* name : kMediaFolders) EnsureFolder(folder / name);
  return IsFolder(folder);
}

}  // namespace mivora
