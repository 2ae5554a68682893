#include "cli/batch_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

#include "effects/effect_code.h"
#include "effects/random_source.h"
#include "jobs/clip_jobs.h"
#include "jobs/gated_window.h"
#include "jobs/job_context.h"
#include "media/media_import.h"
#include "media/work_folders.h"
#include "runner/tool.h"

namespace mivora {
namespace {

ListView ItemList(bool videoMode) {
  return videoMode ? ListView::超级列表框1 : ListView::超级列表框2;
}
int StatusColumn(bool videoMode) {
  return videoMode ? 3 : 5;
}

// The video and image imports stop at two files, as in the window; a batch
// over the whole list reads the folder without that limit, in the same order.
void ImportWholeList(WindowOps& window, ListView list, const std::filesystem::path& runDir) {
  std::filesystem::path folder = runDir / ImportFolderName(list);
  std::vector<std::string> names = CollectMediaNames(folder, ImportExtension(list), -1);
  window.ClearRows(list);
  for (const std::string& name : names) {
    int row = window.AppendRow(list);
    window.SetCellText(list, row, 0, std::to_string(row + 1));
    window.SetCellText(list, row, 1, (folder / name).string());
    window.SetCellText(list, row, 2, name);
  }
}

// The names of the effect line the item will pick: the same draw on a copy
// of its random source.
std::string PreviewEffectLine(const std::vector<std::string>& lines, const RandomSource& random) {
  RandomSource copy = random;
  return SplitPick(PickEffectLine(lines, copy)).names;
}

std::filesystem::path ItemWorkFolder(const std::filesystem::path& runDir, int item) {
  return runDir / kBatchWorkFolder / ("item-" + std::to_string(item));
}

// Shared state of one batch: the next item to take and the observer's lock.
struct BatchState {
  MemoryWindow& window;
  const BatchOptions& options;
  const std::vector<int>& items;
  RunToken& token;
  const BatchObserver& observer;
  std::vector<std::string> effectLines;
  std::vector<ItemResult> results;
  std::atomic<std::size_t> next{0};
  std::mutex observerMutex;

  template <typename Call>
  void Notify(Call call) {
    std::lock_guard lock(observerMutex);
    call();
  }
};

void RunItem(BatchState& state, std::size_t index) {
  const BatchOptions& options = state.options;
  const int item = state.items[index];
  const int row = item - 1;
  const ListView list = ItemList(options.videoMode);
  const auto started = std::chrono::steady_clock::now();

  ItemResult& result = state.results[index];
  result.item = item;
  result.source = state.window.CellText(list, row, 1);
  std::string name = state.window.CellText(list, row, 2);
  std::string outputName = options.videoMode ? name : ImageVideoName(name);

  RandomSource random(ItemTick(options.seed, item));
  result.effectLine = PreviewEffectLine(state.effectLines, random);
  std::unique_ptr<ClipEngine> engine = MakeEngine(options.engine);
  GatedWindow gated(state.window, state.token);
  std::filesystem::path workFolder = ItemWorkFolder(options.runDir, item);
  JobContext ctx{gated,
                 ToolEnv{options.runDir, &gated, &state.token},
                 WorkPaths::InFolder(options.runDir, workFolder),
                 random,
                 state.effectLines,
                 *engine,
                 [] {},
                 [&state](int stepItem, std::string_view step) {
                   if (state.observer.itemStep) {
                     state.Notify([&] { state.observer.itemStep(stepItem, step); });
                   }
                 }};
  if (state.observer.itemStarted) state.Notify([&] { state.observer.itemStarted(item, name); });
  try {
    if (options.videoMode) {
      ProcessVideoItem(ctx, item);
    } else {
      ProcessImageItem(ctx, item);
    }
  } catch (const JobStopped&) {
    // The image's video may be half written when the stop came during its
    // conversion; it is only an intermediate, made again by the next run.
    if (!options.videoMode) DeleteWorkFile(ctx.paths.ImageVideoFolder() / outputName);
  }
  std::error_code error;
  std::filesystem::remove_all(workFolder, error);

  result.status = state.window.CellText(list, row, StatusColumn(options.videoMode));
  std::filesystem::path output =
      (options.videoMode ? ctx.paths.VideoOutputFolder() : ctx.paths.ImageOutputFolder()) /
      outputName;
  if (result.status == kItemSucceeded && std::filesystem::is_regular_file(output, error)) {
    result.output = output;
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (state.observer.itemFinished) state.Notify([&] { state.observer.itemFinished(result); });
}

void Worker(BatchState& state) {
  for (;;) {
    if (state.token.IsCancelled()) return;
    std::size_t index = state.next.fetch_add(1);
    if (index >= state.items.size()) return;
    RunItem(state, index);
  }
}

}  // namespace

std::string PrepareBatch(MemoryWindow& window, const BatchOptions& options) {
  window.SetChecked(options.videoMode ? Switch::单选框_视频剪辑 : Switch::单选框_图片剪辑, true);
  window.SetChecked(Switch::选择框_加片头, options.intro);
  window.SetChecked(Switch::选择框_加片尾, options.outro);
  window.SetChecked(options.greenScreen ? Switch::单选框_加绿幕 : Switch::单选框_加黑幕, true);
  window.SetText(TextBox::编辑框_特效代码, options.effectCode);

  PrepareWorkFolders(options.runDir);
  for (ListView list : {ListView::超级列表框3, ListView::超级列表框4, ListView::超级列表框6,
                        ListView::超级列表框7}) {
    ImportList(window, list, options.runDir);
  }
  ImportAudio(window, options.audioFolder);
  ListView items = ItemList(options.videoMode);
  if (options.all) {
    ImportWholeList(window, items, options.runDir);
  } else {
    ImportList(window, items, options.runDir);
  }

  // The checks of Start, in its order, then the job's own check of its list.
  if (window.RowCount(ListView::超级列表框5) == 0) return "音频没有导入";
  if (SplitEffectCode(options.effectCode).empty()) return "特效代码不能为空";
  if (window.RowCount(items) == 0)
    return options.videoMode ? "视频剪辑没有导入" : "图片剪辑没有导入";
  return {};
}

std::vector<int> ShardItems(int rowCount, int shardIndex, int shardCount) {
  std::vector<int> items;
  for (int position = 0; position < rowCount; ++position) {
    if (position % shardCount == shardIndex) items.push_back(position + 1);
  }
  return items;
}

std::uint32_t ItemTick(std::uint32_t seed, int item) {
  // A splitmix-style finaliser: nearby seeds and items give unrelated ticks.
  std::uint64_t x = (static_cast<std::uint64_t>(seed) << 32) ^ static_cast<std::uint32_t>(item);
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  x ^= x >> 31;
  return static_cast<std::uint32_t>(x);
}

std::vector<ItemResult> RunBatch(MemoryWindow& window, const BatchOptions& options,
                                 const std::vector<int>& items, RunToken& token,
                                 const BatchObserver& observer) {
  BatchState state{window, options, items, token, observer, SplitEffectCode(options.effectCode),
                   {},     {},      {}};
  state.results.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) {
    state.results[i].item = items[i];
    state.results[i].source = window.CellText(ItemList(options.videoMode), items[i] - 1, 1);
  }

  std::size_t workers =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(options.jobs, 1)), items.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 1; i < workers; ++i) threads.emplace_back(Worker, std::ref(state));
  if (workers > 0) Worker(state);
  for (std::thread& thread : threads) thread.join();

  // The shared folder goes once no item of any shard works in it any more.
  std::error_code error;
  std::filesystem::remove(options.runDir / kBatchWorkFolder, error);
  return state.results;
}

}  // namespace mivora
