// Which folder is the home folder (RunDir) when none is named on the command
// line: the same rule for the window and for mivora-cli, so an installed
// program, whose own folder is a system folder, still finds the user's media.
#pragma once

#include <filesystem>
#include <string>

namespace mivora {

// The rules in the order they are tried.
enum class HomeRule {
  Environment,    // MIVORA_HOME
  SavedChoice,    // the folder the window saved
  ProgramFolder,  // a writable program folder that holds media folders
  UserFolder,     // ~/Mivora
};

struct HomeInputs {
  std::string environment;              // MIVORA_HOME; empty when unset
  std::string savedChoice;              // the window's saved home; empty when none
  std::filesystem::path programFolder;  // the folder of the running executable
  std::filesystem::path userHome;       // the user's own home folder
};

struct HomeChoice {
  std::filesystem::path folder;
  HomeRule rule = HomeRule::UserFolder;
};

// MIVORA_HOME when set; else the saved choice when it is an absolute path to
// an existing folder; else the program's folder when it is writable and holds
// at least one of the six media folders the window imports from ("测试视频剪辑",
// "测试图片剪辑", "片头", "片尾", "黑幕特效", "绿幕特效"), which a build tree or a
// system folder never does; else "Mivora" in the user's home.
HomeChoice ResolveHomeFolder(const HomeInputs& inputs);

// The file in which the window keeps its settings (QSettings of organization
// "Mivora", application "mivora"): under $XDG_CONFIG_HOME when that is an
// absolute path, else under ~/.config.
std::filesystem::path WindowSettingsFile(const std::string& xdgConfigHome,
                                         const std::filesystem::path& userHome);

// The home folder the window saved ("paths/home" in its settings file);
// empty when there is none.
std::string SavedHomeChoice(const std::filesystem::path& settingsFile);

// The inputs as this process sees them: its environment, the user's
// settings file and home folder, and the given program folder.
HomeInputs HomeInputsOfProcess(const std::filesystem::path& programFolder);

// Makes the folder and the six media folders in it; false when the folder
// does not exist afterwards.
bool MakeHomeFolder(const std::filesystem::path& folder);

}  // namespace mivora
