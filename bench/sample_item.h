// The one item the pipeline benchmarks time: a 20-second source, the default
// effect line, an intro of another size and rate, a black-screen overlay and
// looped audio, in a home of its own.
#pragma once

#include <filesystem>

#include "jobs/clip_jobs.h"
#include "support/temp_dir.h"

namespace mivora::bench {

struct SampleHome {
  test::TempDir dir;
  std::filesystem::path source = dir / "测试视频剪辑/source.mp4";
  std::filesystem::path intro = dir / "片头/intro.mp4";
  std::filesystem::path overlay = dir / "黑幕特效/k.mp4";
  std::filesystem::path audio = dir / "audio/a.mp3";
  std::filesystem::path output = dir / "生成视频剪辑/source.mp4";
};

// Generates the home's media and work folders; false (said on stderr) when
// the encoder could not.
bool MakeSampleMedia(const SampleHome& home);

// The item's inputs, run with `engine` and seed 1.
JobInputs SampleItemInputs(const SampleHome& home, EngineKind engine);

// Runs the item; true when it succeeded, else its failure is said on stderr.
bool RunSampleItem(const JobInputs& inputs);

}  // namespace mivora::bench
