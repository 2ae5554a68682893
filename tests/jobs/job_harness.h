// A job context over the in-memory window, for driving jobs in tests.
#pragma once

#include <string>
#include <vector>

#include "app/memory_window.h"
#include "jobs/clip_engine.h"
#include "jobs/job_context.h"
#include "media/work_folders.h"
#include "support/temp_dir.h"

namespace mivora::test {

struct JobHarness {
  explicit JobHarness(
      std::vector<std::string> effectLines = {"特效12-特效29-特效38-特效66-特效63-特效64"})
      : ctx{gated,
            ToolEnv{home.path(), &gated, &token},
            WorkPaths::ForRunDir(home.path()),
            random,
            std::move(effectLines),
            engine,
            [this] { ++stopCalls; },
            {}} {
    PrepareWorkFolders(home.path());
  }

  void AddRow(ListView list, const std::string& path) {
    int row = window.AppendRow(list);
    window.SetCellText(list, row, 0, std::to_string(row + 1));
    window.SetCellText(list, row, 1, path);
    window.SetCellText(list, row, 2, std::filesystem::path(path).filename().string());
  }

  // The log without the window's default text.
  std::string Log() {
    std::string log = window.ControlText(TextBox::编辑框_日志);
    return log.substr(std::string(kDefaultLogText).size());
  }

  TempDir home;
  MemoryWindow window;
  RunToken token;
  GatedWindow gated{window, token};
  StepEngine engine;
  RandomSource random{4242};
  JobContext ctx;
  int stopCalls = 0;
};

}  // namespace mivora::test
