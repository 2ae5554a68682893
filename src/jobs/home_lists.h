// A run's lists read straight from a home folder, as the window's import
// buttons fill them: for a front without lists of its own.
#pragma once

#include <filesystem>
#include <string>

#include "jobs/job_inputs.h"

namespace mivora {

// Where the sources of a run were looked for, for a refusal that names it.
struct SourceFolder {
  std::filesystem::path folder;
  std::string extension;  // the one extension read there
};

// Fills the clip lists of `inputs.choices` from the home `inputs.runDir`, the
// audio list from `audioFolder` (none when empty) and the items from the
// sources folder of `inputs.options.videoMode`: every source with `all`, otherwise as
// many as the window's import takes. Returns the sources folder.
SourceFolder ReadHomeLists(JobInputs& inputs, const std::filesystem::path& audioFolder, bool all);

}  // namespace mivora
