// How far the versions of one source are apart. Every finished version is
// fingerprinted and measured against the earlier versions of its source (a
// lower number), once they have all ended; a run with a least distance draws a
// version that comes out closer again with other picks, a few times, then
// keeps it and says so.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "jobs/job_events.h"
#include "jobs/video_fingerprint.h"

namespace mivora {

// A version is drawn again at most this many times.
inline constexpr int kMostRedraws = 3;

// The draw a redrawn version takes: past the numbers of every version of the
// source and of every other version's redraws, so that it gives picks that
// no version of the source has drawn while the combinations last.
int RedrawNumber(int variants, int variant, int redraw);

// The log line of a version drawn again because it came out too close, and
// of one kept all the same.
std::string RedrawLine(const std::filesystem::path& made, const NearestVersion& nearest);
std::string KeptCloseLine(const std::filesystem::path& made, const NearestVersion& nearest);

// The fingerprints of the versions of a run's sources that have ended.
// Versions may run side by side and end in any order, so a version waits
// for the lower ones of its source before it is measured. Every version that
// was taken must end (`Ended`), whatever its outcome; versions are taken in
// ascending order, so the lower ones of a waiting version are all under way.
class VersionPrints {
 public:
  // The nearest version of `source` numbered below `variant`, once versions
  // 1 .. variant-1 have ended; nullopt when none of them has a fingerprint.
  std::optional<NearestVersion> NearestEarlier(std::size_t source, int variant,
                                               const VideoFingerprint& print) const;
  // Version `variant` of `source` has ended: `print` is empty unless it has a
  // finished video.
  void Ended(std::size_t source, int variant, const std::filesystem::path& output,
             VideoFingerprint print);

 private:
  struct Kept {
    std::filesystem::path output;
    VideoFingerprint print;
  };
  mutable std::mutex mutex_;
  mutable std::condition_variable ended_;
  std::map<std::size_t, std::map<int, Kept>> kept_;
};

// Fingerprints a finished output and finds its nearest earlier version:
// fills the outcome's `fingerprint` and `nearest`. Returns the fingerprint.
VideoFingerprint MeasureVersion(const ToolEnv& env, const VersionPrints& prints, std::size_t source,
                                int variant, ItemOutcome& outcome);

// True when the outcome's nearest earlier version is closer than `least`
// (0: no least distance).
bool TooClose(const ItemOutcome& outcome, double least);

}  // namespace mivora
