// One item from source to finished video: the walk along the source, the
// report in the log and the status cell, the assembly and the clean-up.
#pragma once

#include <filesystem>
#include <string>

#include "jobs/job_context.h"

namespace mivora {

// Cuts `source` (lasting `sourceSeconds`) along the effect line, renders the
// effects, assembles the finished video named `fileName` and writes the
// item's status ("成功" or a failure text). The switches are those of the
// jobs, which pass true for all three.
void SegmentPass(JobContext& ctx, int sourceSeconds, const std::string& durationsLine,
                 const std::string& namesLine, bool render, bool assemble, bool cleanup,
                 const std::filesystem::path& source, const std::string& fileName, int itemNumber);

// Writes the status of item `itemNumber` into the list of the mode checked now.
void SetItemStatus(JobContext& ctx, int itemNumber, const std::string& text);

// Reads the intro, outro, overlay and audio picks and the output folder from
// the window, after reseeding the random source.
AssemblyPicks PickAssembly(JobContext& ctx);

// The AssembleOutput step: picks, then the engine's assembly.
std::string AssembleOutput(JobContext& ctx, int itemNumber, const std::string& fileName);

}  // namespace mivora
