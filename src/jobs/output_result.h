// One output of a run as a front keeps it once it has ended: what the core's
// outcome told, with the item's number, version and source. Both fronts
// record their runs' outputs this way, and the run's summary is written from
// these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "jobs/item_plan.h"
#include "jobs/job_events.h"

namespace mivora {

struct ItemResult {
  int item = 0;  // 1-based row of the list
  std::string source;
  std::string effectLine;        // the picked line's effect names
  std::string status;            // the window's status text; empty unless it ended
  std::filesystem::path output;  // the finished video; empty unless it exists
  double seconds = 0;
  ItemOutcome::Kind kind = ItemOutcome::Kind::kStopped;
  std::string failedStep;                   // failures: the step that failed
  std::string lastError;                    // failures: the encoder's last lines
  int variant = 1;                          // which version of the source, 1-based
  AssemblyPicks picks;                      // the clips drawn; empty before the item came that far
  bool remade = false;                      // made again over a broken finished file
  SoundMode sound = SoundMode::kMusic;      // whose sound the video carries
  std::string fingerprint{};                // finished videos: as text; empty when unread
  std::optional<NearestVersion> nearest{};  // the nearest earlier version of the source
};

// Records what `outcome` tells of the output `plan` made; `seconds` (the time
// it took) is the front's to measure. The output is kept only when the
// finished video exists.
void TakeOutcome(ItemResult& result, const ItemPlan& plan, const ItemOutcome& outcome);

}  // namespace mivora
