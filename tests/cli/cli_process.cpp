#include "cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <stdexcept>

#include "support/temp_dir.h"

extern char** environ;

namespace mivora::test {

CliProcess::CliProcess(const std::vector<std::string>& args,
                       const std::filesystem::path& outputFolder,
                       const std::vector<std::string>& env)
    : outFile_(outputFolder / "cli.out"), errFile_(outputFolder / "cli.err") {
  std::vector<std::string> argvText = {MIVORA_CLI_PATH};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvText) argv.push_back(arg.data());
  argv.push_back(nullptr);

  std::vector<std::string> envText;
  for (char** entry = environ; *entry != nullptr; ++entry) envText.emplace_back(*entry);
  envText.insert(envText.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  int error = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " MIVORA_CLI_PATH);
}

std::string CliProcess::ErrSoFar() const {
  return ReadFile(errFile_);
}

CliResult CliProcess::Wait() {
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(outFile_);
  result.err = ReadFile(errFile_);
  return result;
}

CliResult RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env) {
  TempDir logs;
  return CliProcess(args, logs.path(), env).Wait();
}

}  // namespace mivora::test
