// The run buttons' logic: Start checks the inputs, prepares the work folders
// and runs one job on a worker thread; Pause, Resume and Stop act on that
// worker and on the encoder it runs. Independent of any window toolkit: the Qt
// window and the command line both drive it.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/run_settings.h"
#include "app/window_ops.h"
#include "effects/random_source.h"
#include "jobs/job_inputs.h"
#include "runner/run_token.h"

namespace mivora {

class RunControl {
 public:
  // `pumpWait(ms)` waits on the caller's thread while keeping its window
  // responsive (the Qt window runs its event loop; elsewhere a plain sleep).
  RunControl(WindowOps& window, std::filesystem::path runDir, std::function<void(int ms)> pumpWait);
  // Stops a running job and waits for its worker to end.
  ~RunControl();
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  // Button routines. StartRun may be called while a worker still runs only if
  // Start is enabled; a second Start during its own one-second wait is ignored.
  void StartRun();
  // Idle buttons; the worker and its encoder end at once and make no further
  // window call. Safe from any thread, also from the worker itself.
  void StopRun();
  void PauseRun();
  void ResumeRun();

  // True while a worker thread is alive.
  bool IsRunning() const;
  // Blocks until the worker (if any) has ended. Not for the window's thread.
  void WaitUntilIdle();

  // The lines of the last Start.
  std::vector<std::string> EffectLines() const;

  // Where the run settings come from, asked on the caller's thread at each
  // Start; without it every run has the default settings.
  void SetSettingsSource(std::function<RunSettings()> source);
  // The home folder of the next Start.
  void SetRunDir(std::filesystem::path runDir);
  std::filesystem::path RunDir() const;
  // Called on the worker with the inputs read at Start, for the choices a
  // front keeps outside the window operations (framing, watermark).
  void SetInputsHook(std::function<void(JobInputs&)> hook);

 private:
  // A stopped worker may still be blocked in a message box; it is kept here
  // until it has ended, while the next run starts beside it.
  struct WorkerSlot {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  void Worker(std::shared_ptr<RunToken> token, bool videoMode, RunSettings settings,
              std::filesystem::path runDir, std::shared_ptr<std::atomic<bool>> done);
  void JoinFinishedWorkers();

  WindowOps& window_;
  std::filesystem::path runDir_;
  std::function<void(int)> pumpWait_;
  std::function<RunSettings()> settingsSource_;
  std::function<void(JobInputs&)> inputsHook_;

  mutable std::mutex mutex_;
  std::vector<std::string> effectLines_;
  std::shared_ptr<RunToken> token_;
  std::vector<WorkerSlot> workers_;
  std::atomic<bool> starting_{false};
};

}  // namespace mivora
