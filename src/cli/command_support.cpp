#include "cli/command_support.h"

#include <iostream>
#include <random>
#include <sstream>

#include "cli/batch_summary.h"
#include "media/home_folder.h"

namespace mivora {

int UsageError(const std::string& command, const std::string& message) {
  std::cerr << "mivora-cli: " << message << "\n用法见 mivora-cli " << command
            << (command.empty() ? "" : " ") << "--help\n";
  return kExitUsage;
}

CLI::Validator OneOf(std::vector<std::string> names) {
  std::string description;
  for (const std::string& name : names) description += (description.empty() ? "" : "|") + name;
  return CLI::Validator(
      [names, description](std::string& value) -> std::string {
        for (const std::string& name : names) {
          if (value == name) return {};
        }
        return "“" + value + "”不是可选的值（可选：" + description + "）";
      },
      "");
}

// RunDir when --home is not given: the window's rule. A command that works in
std::filesystem::path DefaultHome(bool makeUserFolder) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  HomeChoice choice = ResolveHomeFolder(HomeInputsOfProcess(error ? "" : self.parent_path()));
  if (makeUserFolder && choice.rule == HomeRule::UserFolder) MakeHomeFolder(choice.folder);
  return choice.folder;
}

std::filesystem::path Absolute(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path full = std::filesystem::absolute(path, error);
  return error ? path : full.lexically_normal();
}

std::string NumberText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::uint32_t FreshSeed() {
  return std::random_device{}();
}

}  // namespace mivora
