#include "sample_item.h"

#include <cstdio>

#include "media/work_folders.h"
#include "runner/run_token.h"
#include "support/media_maker.h"

namespace mivora::bench {

bool MakeSampleMedia(const SampleHome& home) {
  if (!test::MakeClip(home.source, {.seconds = 20}) ||
      !test::MakeClip(home.intro, {.seconds = 1, .width = 1080, .height = 1920, .fps = 25}) ||
      !test::MakeClip(home.overlay, {.seconds = 20, .audio = false, .source = "color=c=black"}) ||
      !test::MakeTone(home.audio, 7)) {
    std::fprintf(stderr, "could not make the sample media\n");
    return false;
  }
  PrepareWorkFolders(home.dir.path());
  return true;
}

JobInputs SampleItemInputs(const SampleHome& home, EngineKind engine) {
  JobInputs inputs;
  inputs.runDir = home.dir.path();
  inputs.items = {{1, home.source.string(), home.source.filename().string()}};
  inputs.effectLines = {"特效12-特效29-特效38-特效66-特效63-特效64"};
  inputs.choices.intro = true;
  inputs.choices.intros = {home.intro.string()};
  inputs.choices.blackScreens = {home.overlay.string()};
  inputs.choices.audios = {home.audio.string()};
  inputs.options.engine = engine;
  inputs.seed = 1;
  return inputs;
}

bool RunSampleItem(const JobInputs& inputs) {
  JobSink quiet;
  RunToken token;
  ItemOutcome outcome = RunItems(inputs, quiet, token).at(0);
  if (outcome.ok()) return true;
  std::fprintf(stderr, "the item failed: %s (%s)\n%s\n", outcome.status.c_str(),
               outcome.failedStep.c_str(), outcome.lastError.c_str());
  return false;
}

}  // namespace mivora::bench
