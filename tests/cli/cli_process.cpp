#include "cli_process.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora::test {

CliProcess::CliProcess(const std::vector<std::string>& args,
                       const std::filesystem::path& outputFolder,
                       const std::vector<std::string>& env)
    : outFile_(outputFolder / "cli.out"), errFile_(outputFolder / "cli.err") {
  std::vector<std::string> argv = {MIVORA_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::map<std::string, std::string> changes;
  for (const std::string& entry : env) {
    auto eq = entry.find('=');
    changes[entry.substr(0, eq)] = eq == std::string::npos ? "" : entry.substr(eq + 1);
  }
  pid_ = StartProgram(argv, changes, outFile_, errFile_);
  if (pid_ < 0) throw std::runtime_error("cannot start " MIVORA_CLI_PATH);
}

std::string CliProcess::ErrSoFar() const {
  return ReadFile(errFile_);
}

CliResult CliProcess::Wait() {
  CliResult result;
  result.exitCode = WaitForExit(pid_);
  result.out = ReadFile(outFile_);
  result.err = ReadFile(errFile_);
  return result;
}

std::vector<std::string> RunArgs(const std::filesystem::path& home,
                                 const std::filesystem::path& audio, const std::string& effectCode,
                                 const std::vector<std::string>& more) {
  std::vector<std::string> args = {"run",          "--home",        home.string(), "--audio",
                                   audio.string(), "--effect-code", effectCode,    "--json"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

nlohmann::json Summary(const CliResult& result) {
  nlohmann::json summary = nlohmann::json::parse(result.out, nullptr, false);
  EXPECT_FALSE(summary.is_discarded()) << result.out << result.err;
  return summary;
}

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  TempDir logs;
  return CliProcess(args, logs.path(), env).Wait();
}

}  // namespace mivora::test
