// The commands that show and try effects: effects (the catalogue, or one
// effect's command) and render-effect (one effect over one file).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "cli/interrupt_watch.h"
#include "effects/output_format.h"
#include "runner/run_token.h"

namespace mivora {

struct RenderArgs {
  std::string name;
  std::string input;
  std::string output;
  std::string audio;
  std::string home;
  Canvas canvas = kDefaultCanvas;
};

struct EffectCommands {
  // Adds effects and render-effect to `app`.
  void AddTo(CLI::App& app);
  // Carries out the one of them given.
  int Carry(RunToken& token, const InterruptWatch& watch) const;

  CLI::App* effects = nullptr;
  CLI::App* renderEffect = nullptr;
  std::string effectName;
  bool rawTemplate = false;
  Canvas effectCanvas = kDefaultCanvas;  // the canvas the shown command is filled for
  RenderArgs render;
};

}  // namespace mivora
