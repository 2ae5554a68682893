// A batch of items through the core's jobs. The lists come from the home
// folders as the window's import buttons fill them; every item gets a work
// folder and a seeded random source of its own, so items may run side by side
// and a seed repeats every pick of an item whatever the parallelism or the
// shard.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "effects/effect_code.h"
#include "jobs/clip_jobs.h"
#include "jobs/job_events.h"
#include "jobs/job_inputs.h"
#include "jobs/run_options.h"
#include "runner/run_token.h"

namespace mivora {

struct BatchOptions {
  std::filesystem::path runDir;
  RunOptions run;
  bool intro = false;
  bool outro = false;
  bool greenScreen = false;  // otherwise the black-screen overlay
  std::string effectCode = kDefaultEffectCode;
  std::filesystem::path audioFolder;
  bool all = false;  // every item of the list, not only the first two
  int shardIndex = 0;
  int shardCount = 1;
  std::uint32_t seed = 0;
  std::vector<std::string> titles;  // the title list already read
};

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

// Progress of a batch. Called from the worker threads, but never two calls
// at once, so an observer needs no lock of its own.
struct BatchObserver {
  std::function<void(OutputId output, std::string_view name)> itemStarted;
  std::function<void(OutputId output, std::string_view step)> itemStep;
  std::function<void(const ItemResult& result)> itemFinished;
  std::function<void(std::string_view line)> runLog;
};

// The job's inputs for `options`: makes sure of the work folders and reads
// every list from its folder. Returns the message that stops a run before it
// begins (as the window shows it), or the empty text.
std::string PrepareBatch(const BatchOptions& options, JobInputs& inputs);

// The items of a list of `rowCount` rows that one shard works on: those whose
// 0-based position modulo `shardCount` is `shardIndex`.
std::vector<int> ShardItems(int rowCount, int shardIndex, int shardCount);

// Reads "I/N" with 0 <= I < N; false for anything else.
bool ParseShard(const std::string& text, int& index, int& count);

// Runs `items` (1-based numbers) of the prepared inputs, every version of
// each, `inputs.options.jobs` at a time, until all are done or `token` is cancelled.
// Results come back in the order of `items`, versions in turn; outputs never
// started are reported stopped.
std::vector<ItemResult> RunBatch(const JobInputs& inputs, const std::vector<int>& items,
                                 RunToken& token, const BatchObserver& observer);

}  // namespace mivora
