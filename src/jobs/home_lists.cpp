#include "jobs/home_lists.h"

#include <vector>

#include "media/media_import.h"

namespace mivora {
namespace {

std::vector<std::string> Paths(const std::filesystem::path& folder, MediaKind kind) {
  return CollectMediaPaths(folder, ImportExtension(kind));
}

}  // namespace

SourceFolder ReadHomeLists(JobInputs& inputs, const std::filesystem::path& audioFolder, bool all) {
  const std::filesystem::path& home = inputs.runDir;
  FrontChoices& choices = inputs.choices;
  for (auto [kind, list] : {std::pair{MediaKind::kIntros, &choices.intros},
                            {MediaKind::kOutros, &choices.outros},
                            {MediaKind::kGreenScreens, &choices.greenScreens},
                            {MediaKind::kBlackScreens, &choices.blackScreens}}) {
    *list = Paths(home / ImportFolderName(kind), kind);
  }
  if (!audioFolder.empty()) choices.audios = Paths(audioFolder, MediaKind::kAudio);

  MediaKind sources =
      inputs.options.videoMode ? MediaKind::kSourceVideos : MediaKind::kSourceImages;
  SourceFolder read{home / ImportFolderName(sources), ImportExtension(sources)};
  std::vector<std::string> names =
      CollectMediaNames(read.folder, read.extension, all ? -1 : ImportLimit(sources));
  inputs.items.clear();
  for (std::size_t i = 0; i < names.size(); ++i) {
    inputs.items.push_back({static_cast<int>(i) + 1, (read.folder / names[i]).string(), names[i]});
  }
  return read;
}

}  // namespace mivora
