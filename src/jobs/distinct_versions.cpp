#include "jobs/distinct_versions.h"

#include <cstdio>
#include <iterator>

namespace mivora {
namespace {

std::string DistanceText(double distance) {
  char text[16];
  std::snprintf(text, sizeof text, "%.3f", distance);
  return text;
}

}  // namespace

int RedrawNumber(int variants, int variant, int redraw) {
  return variants + (variant - 1) * kMostRedraws + redraw;
}

std::string RedrawLine(const std::filesystem::path& made, const NearestVersion& nearest) {
  return "版本差异过小，换一组选择重新生成：" + made.string() + " 与 " + nearest.output.string() +
         " 的差异为 " + DistanceText(nearest.distance) + "\r\n";
}

std::string KeptCloseLine(const std::filesystem::path& made, const NearestVersion& nearest) {
  return "重新生成 " + std::to_string(kMostRedraws) + " 次后差异仍过小，保留：" + made.string() +
         " 与 " + nearest.output.string() + " 的差异为 " + DistanceText(nearest.distance) + "\r\n";
}

std::optional<NearestVersion> VersionPrints::NearestEarlier(std::size_t source, int variant,
                                                            const VideoFingerprint& print) const {
  std::unique_lock<std::mutex> lock(mutex_);
  auto endedBelow = [&] {
    auto found = kept_.find(source);
    if (found == kept_.end()) return variant <= 1;
    auto below = std::distance(found->second.begin(), found->second.lower_bound(variant));
    return below == variant - 1;
  };
  ended_.wait(lock, endedBelow);
  auto found = kept_.find(source);
  if (found == kept_.end() || print.empty()) return std::nullopt;
  std::optional<NearestVersion> nearest;
  for (const auto& [number, kept] : found->second) {
    if (number >= variant) break;
    double distance = FingerprintDistance(print, kept.print);
    if (!kept.print.empty() && (!nearest || distance < nearest->distance))
      nearest = NearestVersion{number, kept.output, distance};
  }
  return nearest;
}

void VersionPrints::Ended(std::size_t source, int variant, const std::filesystem::path& output,
                          VideoFingerprint print) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    kept_[source][variant] = {output, std::move(print)};
  }
  ended_.notify_all();
}

VideoFingerprint MeasureVersion(const ToolEnv& env, const VersionPrints& prints, std::size_t source,
                                int variant, ItemOutcome& outcome) {
  VideoFingerprint print = FingerprintVideo(env, outcome.output);
  outcome.fingerprint = FingerprintText(print);
  outcome.nearest = prints.NearestEarlier(source, variant, print);
  return print;
}

bool TooClose(const ItemOutcome& outcome, double least) {
  return least > 0 && outcome.nearest && outcome.nearest->distance < least;
}

}  // namespace mivora
