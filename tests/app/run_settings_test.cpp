// The window's run settings as a run's inputs: the defaults are the run Start
// always made, and items at once stay within the machine's cores.
#include "app/run_settings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "jobs/engine_choice.h"

namespace mivora {
namespace {

TEST(RunSettings, BecomeTheRunsInputs) {
  struct Case {
    const char* name;
    RunSettings settings;
    int cores;
    const char* engine;
    int jobs;
    bool ownWorkFolders;
    int limit;
    int variants;
  } cases[] = {
      {"defaults: the core's engine, two rows", {}, 4, "onepass", 1, false, 2, 1},
      {"one pass, every row, two at once", {"onepass", true, 2, 30}, 4, "onepass", 2, true, -1, 1},
      {"more than the cores", {"steps", false, 8, 60}, 2, "steps", 2, true, 2, 1},
      {"nonsense counts", {"steps", false, 0, -5, kDefaultFitMode, 0}, 0, "steps", 1, false, 2, 1},
      {"versions, resumed",
       {"steps", false, 1, 60, kDefaultFitMode, 3, true},
       4,
       "steps",
       1,
       false,
       2,
       3},
      {"too many versions",
       {"steps", false, 1, 60, kDefaultFitMode, 500},
       4,
       "steps",
       1,
       false,
       2,
       kMaxVariants},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    JobInputs inputs;
    ApplyRunSettings(c.settings, c.cores, inputs);
    EXPECT_EQ(inputs.engine, c.engine);
    EXPECT_EQ(inputs.jobs, c.jobs);
    EXPECT_EQ(inputs.ownWorkFolders, c.ownWorkFolders);
    EXPECT_EQ(inputs.stallTimeoutMs, std::max(0, c.settings.stallTimeoutSeconds) * 1000);
    EXPECT_EQ(ItemLimit(c.settings), c.limit);
    EXPECT_EQ(inputs.variants, c.variants);
    EXPECT_EQ(inputs.skipExisting, c.settings.skipExisting);
  }
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
