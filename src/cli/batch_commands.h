// The commands that run batches: run (the Start button over the home
// folders, extended to whole lists, parallel items and shards of a batch),
// demo (sample media, then both jobs on it) and report (the summaries of
// several runs merged).
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/interrupt_watch.h"
#include "jobs/run_options.h"
#include "runner/run_token.h"

namespace mivora {

// The run command's options: those of a run go straight into `options`.
struct RunArgs {
  RunOptions options;
  std::string home;
  bool intro = false;
  bool outro = false;
  std::string overlay = "black";
  std::string effectsFile;
  std::string effectCode;
  std::string audio;
  bool all = false;
  std::string jobs = "auto";
  std::string shard;
  std::int64_t seed = -1;
  bool json = false;
};

struct BatchCommands {
  // Adds demo, run and report to `app`, in the order the help lists them.
  void AddTo(CLI::App& app);
  // Carries out the one of them given; nothing when none was.
  std::optional<int> Carry(RunToken& token, const InterruptWatch& watch) const;

  CLI::App* demo = nullptr;
  CLI::App* runCommand = nullptr;
  CLI::App* report = nullptr;
  std::string demoDir = "mivora-demo";
  std::int64_t demoSeed = -1;
  RunArgs runArgs;
  std::vector<std::string> reportFiles;
  bool reportJson = false;
};

}  // namespace mivora
