#include "jobs/input_check.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

#include "runner/media_info.h"

namespace mivora {
namespace {

void Remove(std::vector<std::string>& paths, const std::set<std::string>& unreadable) {
  std::erase_if(paths, [&](const std::string& path) { return unreadable.count(path) > 0; });
}

// "<kind>无法读取：<names>" when every one of `paths` is unreadable.
std::string AllUnreadable(std::string_view kind, const std::vector<std::string>& paths,
                          const std::set<std::string>& unreadable) {
  std::string names;
  for (const std::string& path : paths) {
    if (unreadable.count(path) == 0) return {};
    names += (names.empty() ? "" : "、") + std::filesystem::path(path).filename().string();
  }
  return names.empty() ? "" : std::string(kind) + "无法读取：" + names;
}

}  // namespace

std::string ClipRefusal(const FrontChoices& choices, const std::set<std::string>& unreadable) {
  std::string refusal;
  auto add = [&refusal](const std::string& problem) {
    if (!problem.empty()) refusal += (refusal.empty() ? "" : "；") + problem;
  };
  add(AllUnreadable("音频", choices.audios, unreadable));
  if (choices.intro) add(AllUnreadable("片头", choices.intros, unreadable));
  if (choices.outro) add(AllUnreadable("片尾", choices.outros, unreadable));
  add(choices.blackScreen ? AllUnreadable("黑幕特效", choices.blackScreens, unreadable)
                          : AllUnreadable("绿幕特效", choices.greenScreens, unreadable));
  return refusal;
}

std::set<std::string> UnreadableClips(const FrontChoices& choices, const ToolEnv& tools,
                                      std::map<std::string, VideoShape>& shapes) {
  struct Probe {
    const std::string* path;
    bool audio;  // audio needs a length, a clip a picture
    SourceInfo info;
  };
  std::vector<Probe> probes;
  for (const std::string& audio : choices.audios) probes.push_back({&audio, true, {}});
  for (const auto* list :
       {&choices.intros, &choices.outros, &choices.greenScreens, &choices.blackScreens}) {
    for (const std::string& clip : *list) probes.push_back({&clip, false, {}});
  }
  // Probes run side by side: each is mostly the encoder starting up, and an
  // audio folder may hold hundreds of files.
  std::atomic<std::size_t> next{0};
  auto probeNext = [&] {
    for (std::size_t i = next++; i < probes.size() && !tools.token.IsCancelled(); i = next++) {
      probes[i].info = ProbeSource(tools, *probes[i].path);
    }
  };
  const std::size_t workers =
      std::min<std::size_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u), probes.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(probeNext);
  probeNext();
  for (std::thread& thread : threads) thread.join();
  if (tools.token.IsCancelled()) return {};

  std::set<std::string> unreadable;
  for (const Probe& probe : probes) {
    if (probe.audio ? probe.info.seconds <= 0 : !probe.info.shape) {
      unreadable.insert(*probe.path);
    } else if (!probe.audio) {
      shapes[*probe.path] = *probe.info.shape;
    }
  }
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
