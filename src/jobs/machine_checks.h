// The machine's faults found before an encoder wastes work on them: a folder
// the run cannot write into, a file system without room for the next item.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "effects/output_format.h"
#include "jobs/job_inputs.h"

namespace mivora {

// The folders a run writes into: the output folder of its mode, the work
// folder of its items and, for images, the folder of their videos.
std::vector<std::filesystem::path> RunFolders(const JobInputs& inputs);

// "输出目录无法写入：<folder>" for the first of `folders` that cannot be
// created or written into (a file is made there and removed again), or
// "磁盘空间不足：<folder>" when its file system has no room even for that;
// the empty text when every one takes files.
std::string UnwritableFolder(const std::vector<std::filesystem::path>& folders);

// What an item of `seconds` may take on disk at most: its video at the
// canvas's bit rate, twice (the work files and the finished video), and a
// margin for the encoder's own overhead.
std::uintmax_t BytesNeeded(double seconds, const Canvas& canvas);

// Bytes free for this user on the file system of `folder` (or of its nearest
// existing parent); nothing when the file system cannot be asked.
std::optional<std::uintmax_t> FreeBytes(const std::filesystem::path& folder);

// "磁盘空间不足：<folder>" for the first of `folders` whose file system has
// less than `needed` bytes free; the empty text when all have room.
std::string ShortOfSpace(const std::vector<std::filesystem::path>& folders, std::uintmax_t needed);

}  // namespace mivora
