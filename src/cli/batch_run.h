// A batch of items through the same per-item routines the window's Start
// runs. The lists come from the home folders as the import buttons fill them;
// every item gets a work folder and a seeded random source of its own, so
// items may run side by side and a seed repeats every pick of an item
// whatever the parallelism or the shard.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/memory_window.h"
#include "cli/engine_choice.h"
#include "runner/run_token.h"

namespace mivora {

// The status text of a finished, successful item, as the window shows it.
inline constexpr std::string_view kItemSucceeded = "成功";

// The work folders of parallel items live under this folder of the home.
inline constexpr char kBatchWorkFolder[] = ".mivora-work";

struct BatchOptions {
  std::filesystem::path runDir;
  bool videoMode = true;
  bool intro = false;
  bool outro = false;
  bool greenScreen = false;  // otherwise the black-screen overlay
  std::string effectCode = kDefaultEffectCode;
  std::filesystem::path audioFolder;
  bool all = false;  // every item of the list, not only the first two
  int jobs = 1;
  int shardIndex = 0;
  int shardCount = 1;
  std::uint32_t seed = 0;
  std::string engine{kDefaultEngine};
};

struct ItemResult {
  int item = 0;  // 1-based row of the list
  std::string source;
  std::string effectLine;        // the picked line's effect names
  std::string status;            // the list's status cell when the item ended
  std::filesystem::path output;  // the finished video; empty unless it exists
  double seconds = 0;
};

// Progress of a batch. Called from the worker threads, but never two calls
// at once, so an observer needs no lock of its own.
struct BatchObserver {
  std::function<void(int item, std::string_view name)> itemStarted;
  std::function<void(int item, std::string_view step)> itemStep;
  std::function<void(const ItemResult& result)> itemFinished;
};

// Sets the window's switches and effect code, makes sure of the work folders
// and imports every list. Returns the message that stops a run before it
// begins (as the window shows it), or the empty text.
std::string PrepareBatch(MemoryWindow& window, const BatchOptions& options);

// The items of a list of `rowCount` rows that one shard works on: those whose
// 0-based position modulo `shardCount` is `shardIndex`.
std::vector<int> ShardItems(int rowCount, int shardIndex, int shardCount);

// The fixed tick of item `item`'s random source under `seed`: independent of
// which other items run, and different for neighbouring items.
std::uint32_t ItemTick(std::uint32_t seed, int item);

// Runs `items` of the prepared window's list, `options.jobs` at a time, until
// all are done or `token` is cancelled. Results come back in the order of
// `items`; items never started keep an empty status.
std::vector<ItemResult> RunBatch(MemoryWindow& window, const BatchOptions& options,
                                 const std::vector<int>& items, RunToken& token,
                                 const BatchObserver& observer);

}  // namespace mivora
