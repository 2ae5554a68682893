// A one-node Slurm cluster on this machine for the length of a test: a munged
// of its own (private key and socket), slurmctld and slurmd, every file of
// theirs in one folder, ports that were free when it started. Needs root.
// While it lives, SLURM_CONF in this process names its configuration, so the
// client programs (sbatch, squeue, scancel, scontrol) and everything they
// start talk to it alone.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace mivora::test {

class LocalSlurm {
 public:
  // Starts the daemons and waits until the node takes jobs; problem() says
  // what went wrong otherwise.
  explicit LocalSlurm(const std::filesystem::path& folder);
  // Cancels the jobs it ran, stops the daemons it started, and kills any
  // process still running from its folder, whatever state the test left.
  ~LocalSlurm();
  LocalSlurm(const LocalSlurm&) = delete;
  LocalSlurm& operator=(const LocalSlurm&) = delete;

  const std::string& problem() const { return problem_; }
  // The programs this machine lacks to run a cluster, by name.
  static std::vector<std::string> MissingPrograms();

  // Runs a client program against this cluster; its output and error text.
  std::string Client(const std::vector<std::string>& argv) const;
  // sbatch --parsable with `args`, run from `folder`; the job's id, or empty.
  std::string Submit(const std::vector<std::string>& args, const std::filesystem::path& folder);
  // Waits until no task of `job` (a job or one task, "12_1") is pending,
  // running or completing.
  bool WaitForJob(const std::string& job, std::chrono::seconds limit) const;

  // The daemons it started (munged, slurmctld, slurmd).
  const std::vector<pid_t>& daemons() const { return daemons_; }

 private:
  std::string Start();
  void StopDaemon(pid_t pid);

  std::filesystem::path folder_;
  std::vector<pid_t> daemons_;
  std::vector<std::string> jobs_;
  std::string problem_;
};

}  // namespace mivora::test
