// What the commands of mivora-cli share: usage errors in the program's
// language, validators, the home folder when none is given, paths and seeds.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora {

// A usage error: a clear message, where to find help, and status 2.
int UsageError(const std::string& command, const std::string& message);

// A validator whose refusal is already in the program's language.
CLI::Validator OneOf(std::vector<std::string> names);

// RunDir when --home is not given: the window's rule. A command that works in
// it makes ~/Mivora, media folders included, the first time it is chosen.
std::filesystem::path DefaultHome(bool makeUserFolder);

std::filesystem::path Absolute(const std::filesystem::path& path);

// A number as a person writes it: 0.8, not 0.800000.
std::string NumberText(double value);

std::uint32_t FreshSeed();

}  // namespace mivora
