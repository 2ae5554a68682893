// Runs the built mivora-cli the way a user or a scheduler does: its own
// process, standard output and standard error captured apart, exit status as
// the shell sees it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace mivora::test {

struct CliResult {
  int exitCode = -1;  // 128 + signal when the program was killed by one
  std::string out;
  std::string err;
};

// A started mivora-cli whose output goes to files beside each other.
class CliProcess {
 public:
  // `env` entries ("NAME=value") are added to the test's own environment.
  CliProcess(const std::vector<std::string>& args, const std::filesystem::path& outputFolder,
             const std::vector<std::string>& env = {});
  pid_t pid() const { return pid_; }
  std::string ErrSoFar() const;
  // Waits for the program to end.
  CliResult Wait();

 private:
  pid_t pid_ = -1;
  std::filesystem::path outFile_;
  std::filesystem::path errFile_;
};

// The arguments of "run" over a home and an audio folder with an effect code
// and the JSON summary on, followed by `more`.
std::vector<std::string> RunArgs(const std::filesystem::path& home,
                                 const std::filesystem::path& audio, const std::string& effectCode,
                                 const std::vector<std::string>& more);

// The JSON summary a run printed; a test failure when it does not parse.
nlohmann::json Summary(const CliResult& result);

// Runs mivora-cli to its end.
CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

}  // namespace mivora::test
