#include "jobs/input_check.h"

#include <algorithm>
#include <vector>

#include "runner/media_info.h"

namespace mivora {
namespace {

void Remove(std::vector<std::string>& paths, const std::set<std::string>& unreadable) {
  std::erase_if(paths, [&](const std::string& path) { return unreadable.count(path) > 0; });
}

}  // namespace

std::set<std::string> UnreadableClips(const FrontChoices& choices, const ToolEnv& tools,
                                      std::map<std::string, VideoShape>& shapes) {
  std::set<std::string> unreadable;
  for (const std::string& audio : choices.audios) {
    if (tools.token.IsCancelled()) break;
    if (ProbeSource(tools, audio).seconds <= 0) unreadable.insert(audio);
  }
  for (const auto* list :
       {&choices.intros, &choices.outros, &choices.greenScreens, &choices.blackScreens}) {
    for (const std::string& clip : *list) {
      if (tools.token.IsCancelled()) break;
      std::optional<VideoShape> shape = ProbeSource(tools, clip).shape;
      if (shape) {
        shapes[clip] = *shape;
      } else {
        unreadable.insert(clip);
      }
    }
  }
  if (tools.token.IsCancelled()) return {};
  return unreadable;
}

FrontChoices WithoutClips(FrontChoices choices, const std::set<std::string>& unreadable) {
  for (auto* list : {&choices.audios, &choices.intros, &choices.outros, &choices.greenScreens,
                     &choices.blackScreens}) {
    Remove(*list, unreadable);
  }
  return choices;
}

}  // namespace mivora
