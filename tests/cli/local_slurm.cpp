#include "local_slurm.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <thread>

#include "runner/run_capture.h"
#include "support/never_stopped.h"
#include "support/process_probe.h"
#include "support/temp_dir.h"

namespace mivora::test {
namespace {

constexpr char kNodeName[] = "mivora-node";
const char* const kDaemons[] = {"munged", "slurmctld", "slurmd"};
const char* const kClients[] = {"sbatch", "squeue", "scancel", "scontrol", "sinfo"};

// Daemons live in sbin, which not every PATH holds.
std::string Program(const std::string& name) {
  std::string found = FindOnPath(name);
  if (found.empty() && access(("/usr/sbin/" + name).c_str(), X_OK) == 0)
    found = "/usr/sbin/" + name;
  return found;
}

// Ports free on the loopback now, held together so that they differ.
std::vector<int> FreePorts(int count) {
  std::vector<int> sockets;
  std::vector<int> ports;
  for (int i = 0; i < count; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      if (fd >= 0) close(fd);
      break;
    }
    sockets.push_back(fd);
    ports.push_back(ntohs(address.sin_port));
  }
  for (int fd : sockets) close(fd);
  return ports;
}

void WriteKey(const std::filesystem::path& file) {
  std::random_device random;
  std::string key(1024, '\0');
  for (char& byte : key) byte = static_cast<char>(random());
  WriteFile(file, key);
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
}

}  // namespace

std::vector<std::string> LocalSlurm::MissingPrograms() {
  std::vector<std::string> missing;
  for (const char* name : kDaemons) {
    if (Program(name).empty()) missing.push_back(name);
  }
  for (const char* name : kClients) {
    if (Program(name).empty()) missing.push_back(name);
  }
  return missing;
}

LocalSlurm::LocalSlurm(const std::filesystem::path& folder) : folder_(folder) {
  problem_ = Start();
}

std::string LocalSlurm::Start() {
  const std::filesystem::path munge = folder_ / "munge";
  for (const char* sub : {"munge", "state", "spool", "log"})
    std::filesystem::create_directories(folder_ / sub);
  std::filesystem::permissions(munge, std::filesystem::perms::owner_all);
  WriteKey(munge / "munge.key");
  const std::filesystem::path socketPath = munge / "socket";
  daemons_.push_back(StartProgram(
      {Program("munged"), "--foreground", "--force", "--socket=" + socketPath.string(),
       "--key-file=" + (munge / "munge.key").string(), "--log-file=" + (munge / "log").string(),
       "--pid-file=" + (munge / "pid").string(), "--seed-file=" + (munge / "seed").string()},
      {}, folder_ / "log/munged.out", folder_ / "log/munged.err"));
  if (!WaitUntil([&] { return std::filesystem::exists(socketPath); }, std::chrono::seconds(10)))
    return "munged did not start: " + ReadFile(folder_ / "log/munged.err");

  std::vector<int> ports = FreePorts(2);
  if (ports.size() != 2) return "no free ports on the loopback";
  const std::string f = folder_.string();
  const std::filesystem::path conf = folder_ / "slurm.conf";
  WriteFile(folder_ / "plugstack.conf", "");
  // cred_expire is also how long a requeued task waits before it starts
  // again: the default two minutes would be most of the test.
  std::ofstream(conf) << "ClusterName=mivoratest\n"
                         "SlurmctldHost=localhost(127.0.0.1)\n"
                      << "SlurmctldPort=" << ports[0] << "\nSlurmdPort=" << ports[1] << "\n"
                      << "SlurmUser=root\nSlurmdUser=root\n"
                         "AuthType=auth/munge\nCredType=cred/munge\n"
                      << "AuthInfo=socket=" << socketPath.string() << ",cred_expire=10\n"
                      << "ProctrackType=proctrack/linuxproc\nTaskPlugin=task/none\n"
                         "SelectType=select/cons_tres\nSelectTypeParameters=CR_Core\n"
                         "SchedulerType=sched/builtin\nMpiDefault=none\nReturnToService=2\n"
                         "JobCompType=jobcomp/none\nAccountingStorageType=accounting_storage/none\n"
                         "JobAcctGatherType=jobacct_gather/none\nMailProg=/bin/true\n"
                         "KillWait=10\nMinJobAge=600\nInactiveLimit=0\n"
                      << "StateSaveLocation=" << f << "/state\nSlurmdSpoolDir=" << f << "/spool\n"
                      << "SlurmctldPidFile=" << f << "/slurmctld.pid\nSlurmdPidFile=" << f
                      << "/slurmd.pid\n"
                      << "SlurmctldLogFile=" << f << "/log/slurmctld.log\nSlurmdLogFile=" << f
                      << "/log/slurmd.log\nPlugStackConfig=" << f << "/plugstack.conf\n"
                      << "NodeName=" << kNodeName
                      << " NodeAddr=127.0.0.1 NodeHostname=localhost CPUs="
                      << std::max(1u, std::thread::hardware_concurrency()) << " State=UNKNOWN\n"
                      << "PartitionName=mivora Nodes=ALL Default=YES MaxTime=INFINITE State=UP\n";
  setenv("SLURM_CONF", conf.c_str(), 1);

  daemons_.push_back(StartProgram({Program("slurmctld"), "-D", "-i", "-f", conf.string()}, {},
                                  folder_ / "log/slurmctld.out", folder_ / "log/slurmctld.err"));
  daemons_.push_back(StartProgram({Program("slurmd"), "-D", "-N", kNodeName, "-f", conf.string()},
                                  {}, folder_ / "log/slurmd.out", folder_ / "log/slurmd.err"));
  bool idle = WaitUntil(
      [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return Client({"sinfo", "-h", "-o", "%t"}).rfind("idle", 0) == 0;
      },
      std::chrono::seconds(30));
  if (!idle) {
    return "the node never became idle:\n" + Client({"sinfo"}) +
           ReadFile(folder_ / "log/slurmctld.err") + ReadFile(folder_ / "log/slurmd.err");
  }
  return {};
}

LocalSlurm::~LocalSlurm() {
  if (!jobs_.empty()) {
    std::vector<std::string> cancel = {"scancel"};
    cancel.insert(cancel.end(), jobs_.begin(), jobs_.end());
    Client(cancel);
    for (const std::string& job : jobs_) WaitForJob(job, std::chrono::seconds(30));
  }
  // The node first, so that no task starts while the controller goes.
  for (auto pid = daemons_.rbegin(); pid != daemons_.rend(); ++pid) StopDaemon(*pid);
  unsetenv("SLURM_CONF");
  // Whatever a task left behind (a script, mivora-cli, an encoder) names a
  // file in the folder.
  for (pid_t pid : FindProcesses({folder_.string() + "/"})) kill(pid, SIGKILL);
}

void LocalSlurm::StopDaemon(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  if (!WaitUntil([&] { return ExitStatusNow(pid).has_value(); }, std::chrono::seconds(15))) {
    kill(pid, SIGKILL);
    WaitForExit(pid);
  }
}

std::string LocalSlurm::Client(const std::vector<std::string>& argv) const {
  return RunCapture(argv, NeverStopped()).output;
}

std::string LocalSlurm::Submit(const std::vector<std::string>& args,
                               const std::filesystem::path& folder) {
  std::vector<std::string> argv = {"sbatch", "--parsable", "--chdir=" + folder.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::string output = Client(argv);
  std::string job = output.substr(0, output.find_first_not_of("0123456789"));
  if (job.empty() || output.find_first_not_of("0123456789\n") != std::string::npos) return {};
  jobs_.push_back(job);
  return job;
}

bool LocalSlurm::WaitForJob(const std::string& job, std::chrono::seconds limit) const {
  return WaitUntil(
      [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::string states = Client({"squeue", "-h", "-j", job, "-o", "%T"});
        return states.empty();
      },
      limit);
}

}  // namespace mivora::test
