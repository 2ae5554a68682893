// The window's run settings as a run's inputs: the defaults are the run Start
// always made, and items at once stay within the machine's cores; saved and
// loaded through the table of settings keys.
#include "app/run_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "jobs/engine_choice.h"

namespace mivora {
namespace {

RunSettings Settings(EngineKind engine, bool allItems, int jobs, int stallSeconds, int variants = 1,
                     bool skipExisting = false) {
  RunSettings settings;
  settings.run.engine = engine;
  settings.allItems = allItems;
  settings.run.jobs = jobs;
  settings.run.stallTimeout = std::chrono::seconds(stallSeconds);
  settings.run.variants = variants;
  settings.run.skipExisting = skipExisting;
  return settings;
}

TEST(RunSettings, BecomeTheRunsInputs) {
  constexpr EngineKind kSteps = EngineKind::kSteps;
  struct Case {
    const char* name;
    RunSettings settings;
    int cores;
    EngineKind engine;
    int jobs;
    bool ownWorkFolders;
    int limit;
    int variants;
  } cases[] = {
      {"defaults: the core's engine, two rows", {}, 4, EngineKind::kOnePass, 1, false, 2, 1},
      {"one pass, every row, two at once", Settings(EngineKind::kOnePass, true, 2, 30), 4,
       EngineKind::kOnePass, 2, true, -1, 1},
      {"more than the cores", Settings(kSteps, false, 8, 60), 2, kSteps, 2, true, 2, 1},
      {"nonsense counts", Settings(kSteps, false, 0, -5, 0), 0, kSteps, 1, false, 2, 1},
      {"versions, resumed", Settings(kSteps, false, 1, 60, 3, true), 4, kSteps, 1, false, 2, 3},
      {"too many versions", Settings(kSteps, false, 1, 60, 500), 4, kSteps, 1, false, 2,
       kMaxVariants},
  };
  // Versions are fingerprinted only when they must keep a distance, and
  // there are versions to keep it from.
  struct Distance {
    double set;
    int variants;
    double kept;
    bool fingerprints;
  } distances[] = {{0, 3, 0, false},
                   {0.1, 3, 0.1, true},
                   {0.1, 1, 0.1, false},
                   {7, 2, 1, true},
                   {-1, 2, 0, false}};
  for (const Distance& d : distances) {
    RunSettings settings;
    settings.run.minDistance = d.set;
    settings.run.variants = d.variants;
    JobInputs inputs;
    ApplyRunSettings(settings, 4, inputs);
    EXPECT_DOUBLE_EQ(inputs.options.minDistance, d.kept) << d.set;
    EXPECT_EQ(inputs.fingerprints, d.fingerprints) << d.set << " " << d.variants;
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobInputs inputs;
    inputs.options.videoMode = false;  // the window's switch, not a run setting
    ApplyRunSettings(c.settings, c.cores, inputs);
    EXPECT_EQ(inputs.options.engine, c.engine);
    EXPECT_EQ(inputs.options.jobs, c.jobs);
    EXPECT_EQ(inputs.ownWorkFolders, c.ownWorkFolders);
    EXPECT_EQ(inputs.options.stallTimeout,
              std::max(std::chrono::milliseconds::zero(), c.settings.run.stallTimeout));
    EXPECT_EQ(ItemLimit(c.settings), c.limit);
    EXPECT_EQ(inputs.options.variants, c.variants);
    EXPECT_EQ(inputs.options.skipExisting, c.settings.run.skipExisting);
    EXPECT_FALSE(inputs.options.videoMode);
  }
}

// A settings file holds texts: what is saved loads back the same, a key never
// saved keeps the run's default, and a value that is none of the setting's
// keeps the default instead of becoming zero or false.
TEST(RunSettings, SaveAndLoadThroughTheKeyTable) {
  using Saved = std::map<std::string, std::string, std::less<>>;
  auto load = [](const Saved& saved) {
    return LoadRunSettings([&saved](std::string_view key) -> std::optional<std::string> {
      auto found = saved.find(key);
      if (found == saved.end()) return std::nullopt;
      return found->second;
    });
  };
  const RunSettings defaults;

  RunSettings changed = Settings(EngineKind::kSteps, true, 3, 90, 7, true);
  changed.run.fit = FitMode::kStretch;
  changed.run.minDistance = 0.15;
  changed.run.sound = {SoundMode::kBoth, 0.3, true};
  changed.run.canvas = kLargeCanvas;
  Saved saved;
  SaveRunSettings(changed, [&saved](std::string_view key, const std::string& value) {
    EXPECT_TRUE(saved.emplace(std::string(key), value).second) << "saved twice: " << key;
  });
  EXPECT_EQ(saved.at("run/engine"), "steps");
  EXPECT_EQ(saved.at("run/stallTimeout"), "90");
  EXPECT_EQ(saved.at("run/fit"), "stretch");
  EXPECT_EQ(saved.at("run/skipExisting"), "true");
  EXPECT_EQ(saved.at("run/minDistance"), "0.15");
  EXPECT_EQ(saved.at("run/sound"), "both");
  EXPECT_EQ(saved.at("run/duck"), "true");
  EXPECT_EQ(saved.at("run/size"), "1080x1920");
  RunSettings back = load(saved);
  EXPECT_EQ(back.run.engine, changed.run.engine);
  EXPECT_EQ(back.allItems, changed.allItems);
  EXPECT_EQ(back.run.jobs, changed.run.jobs);
  EXPECT_EQ(back.run.stallTimeout, changed.run.stallTimeout);
  EXPECT_EQ(back.run.variants, changed.run.variants);
  EXPECT_EQ(back.run.skipExisting, changed.run.skipExisting);
  EXPECT_EQ(back.run.fit, changed.run.fit);
  EXPECT_DOUBLE_EQ(back.run.minDistance, changed.run.minDistance);
  EXPECT_EQ(back.run.sound.mode, SoundMode::kBoth);
  EXPECT_TRUE(back.run.sound.duck);
  EXPECT_EQ(back.run.canvas, kLargeCanvas);

  struct Case {
    const char* name;
    Saved saved;
  } unusable[] = {
      {"nothing saved", {}},
      {"not values of the settings",
       {{"run/engine", "turbo"},
        {"run/allItems", "yes"},
        {"run/jobs", "two"},
        {"run/stallTimeout", "60s"},
        {"run/variants", ""},
        {"run/skipExisting", "maybe"},
        {"run/fit", "zoom"},
        {"run/minDistance", "1.5"},
        {"run/sound", "voice"},
        {"run/duck", "loud"},
        {"run/size", "1080:1920"}}},
      {"a distance below zero", {{"run/minDistance", "-0.1"}}},
      {"a distance that is no number", {{"run/minDistance", "0.1x"}}},
  };
  for (const Case& c : unusable) {
    SCOPED_TRACE(c.name);
    RunSettings loaded = load(c.saved);
    EXPECT_EQ(loaded.run.engine, defaults.run.engine);
    EXPECT_EQ(loaded.allItems, defaults.allItems);
    EXPECT_EQ(loaded.run.jobs, defaults.run.jobs);
    EXPECT_EQ(loaded.run.stallTimeout, kDefaultStallTimeout);
    EXPECT_EQ(loaded.run.variants, defaults.run.variants);
    EXPECT_EQ(loaded.run.skipExisting, defaults.run.skipExisting);
    EXPECT_EQ(loaded.run.fit, defaults.run.fit);
    EXPECT_DOUBLE_EQ(loaded.run.minDistance, defaults.run.minDistance);
    EXPECT_EQ(loaded.run.sound.mode, defaults.run.sound.mode);
    EXPECT_EQ(loaded.run.sound.duck, defaults.run.sound.duck);
    EXPECT_EQ(loaded.run.canvas, defaults.run.canvas);
  }
  // Hand-made files may write switches as digits.
  EXPECT_TRUE(load({{"run/allItems", "1"}}).allItems);
  EXPECT_FALSE(load({{"run/skipExisting", "0"}}).run.skipExisting);
}

// The window offers every engine of the core's table by name, each with a
// caption of its own.
TEST(RunSettings, EveryEngineHasACaption) {
  std::set<std::string> captions;
  for (const std::string& name : EngineNames()) {
    std::string caption = EngineCaption(name);
    EXPECT_NE(caption, name);
    EXPECT_TRUE(captions.insert(caption).second) << caption;
  }
  EXPECT_EQ(EngineCaption("nosuch"), "nosuch");
}

}  // namespace
}  // namespace mivora
