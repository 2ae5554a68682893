// The names of part files. A finished file is written under a hidden name
// beside its final one and renamed when complete, so a file under its final
// name is always whole; the run that writes it puts what tells it apart into
// the prefix, so that leftovers of a crashed run can be told from live ones.
#pragma once

#include <filesystem>
#include <string_view>

namespace mivora {

// How every part file's name begins.
inline constexpr std::string_view kPartFileStart = ".mivora-";

// "<prefix><name>.part<ext>" beside `finished`; `prefix` begins with
// kPartFileStart.
std::filesystem::path PartFilePath(const std::filesystem::path& finished,
                                   std::string_view prefix = kPartFileStart);

// Whether `name` (a file name) is that of a part file of any run.
bool IsPartFileName(std::string_view name);

}  // namespace mivora
