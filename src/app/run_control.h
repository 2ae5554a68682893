// The run buttons' logic: Start checks the inputs, prepares the work folders,
// reads every input of the run at once on the caller's thread and runs one
// job on a worker thread; Pause, Resume and Stop act on that worker and on the
// encoder it runs. The worker hands what it has to show to the front's thread
// and never waits for it. Independent of any window toolkit.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/queued_sink.h"
#include "app/results_model.h"
#include "app/run_settings.h"
#include "app/window_ops.h"
#include "jobs/job_inputs.h"
#include "jobs/title_text.h"
#include "jobs/watermark.h"
#include "runner/run_token.h"

namespace mivora {

// What Start takes from a front besides its window operations.
struct StartOptions {
  RunSettings settings;
  WatermarkOptions watermark;
  TitleOptions title;
  std::vector<std::string> titles;  // the title list
};

class RunControl {
 public:
  // `pumpWait(ms)` waits on the caller's thread while keeping its window
  // responsive (the Qt window runs its event loop; elsewhere a plain sleep).
  // `post` carries the run's events to the window's thread; without it they
  // are shown on the worker.
  RunControl(WindowOps& window, std::filesystem::path runDir, std::function<void(int ms)> pumpWait,
             PostToFront post = {});
  // Stops a running job and waits for its worker to end.
  ~RunControl();
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  // Button routines. StartRun may be called while a worker still runs only if
  // Start is enabled; a second Start during its own one-second wait is ignored.
  // The run's inputs are read on the caller's thread when its buttons change.
  void StartRun(const StartOptions& options = {});
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

  // Where a run's outputs are recorded besides the presenter: `forRun` is
  // called on the caller's thread with the run's inputs once a Start has
  // passed its checks; the model it gives sees that run's events on the
  // front's thread and is told when the run has ended (the results view).
  void SetResults(std::function<std::shared_ptr<ResultsModel>(const JobInputs&)> forRun);

  // The home folder of the next Start.
  void SetRunDir(std::filesystem::path runDir);
  std::filesystem::path RunDir() const;

 private:
  // A stopped worker may still be blocked in a message box; it is kept here
  // until it has ended, while the next run starts beside it.
  struct WorkerSlot {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };

  void Worker(JobInputs inputs, std::shared_ptr<JobPresenter> presenter,
              std::shared_ptr<ResultsModel> results, std::shared_ptr<RunToken> token,
              std::shared_ptr<std::atomic<bool>> done);
  void JoinFinishedWorkers();

  WindowOps& window_;
  std::filesystem::path runDir_;
  std::function<void(int)> pumpWait_;
  PostToFront post_;
  std::function<std::shared_ptr<ResultsModel>(const JobInputs&)> resultsForRun_;

  mutable std::mutex mutex_;
  std::vector<std::string> effectLines_;
  std::shared_ptr<RunToken> token_;
  std::vector<WorkerSlot> workers_;
  std::atomic<bool> starting_{false};
};

}  // namespace mivora
