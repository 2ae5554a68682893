#include "app/run_control.h"

#include <climits>
#include <thread>
#include <utility>

#include "app/job_presenter.h"
#include "effects/effect_code.h"
#include "jobs/clip_jobs.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

void SetButtons(WindowOps& window, bool start, bool stop, bool pause, bool resume) {
  window.SetEnabled(Button::按钮_开始检测, start);
  window.SetEnabled(Button::按钮_停止检测, stop);
  window.SetEnabled(Button::按钮_暂停检测, pause);
  window.SetEnabled(Button::按钮_继续检测, resume);
}

}  // namespace

RunControl::RunControl(WindowOps& window, std::filesystem::path runDir,
                       std::function<void(int ms)> pumpWait)
    : window_(window), runDir_(std::move(runDir)), pumpWait_(std::move(pumpWait)) {}

RunControl::~RunControl() {
  {
    std::lock_guard lock(mutex_);
    if (token_) token_->Cancel();
  }
  WaitUntilIdle();
}

void RunControl::StartRun() {
  if (starting_.exchange(true)) return;
  struct ClearStarting {
    std::atomic<bool>& flag;
    ~ClearStarting() { flag = false; }
  } clearStarting{starting_};
  if (IsRunning()) {
    std::lock_guard lock(mutex_);
    if (token_ && !token_->IsCancelled()) return;
  }

  std::vector<std::string> lines = SplitEffectCode(window_.ControlText(TextBox::编辑框_特效代码));
  const RunSettings settings = settingsSource_ ? settingsSource_() : RunSettings{};
  std::filesystem::path runDir;
  {
    std::lock_guard lock(mutex_);
    effectLines_ = lines;
    runDir = runDir_;
  }
  PrepareWorkFolders(runDir);
  if (window_.RowCount(ListView::超级列表框5) == 0) {
    window_.ShowInfo("音频没有导入");
    StopRun();
    return;
  }
  if (lines.empty()) {
    window_.ShowInfo("特效代码不能为空");
    StopRun();
    return;
  }
  if (pumpWait_) pumpWait_(1000);
  SetButtons(window_, false, true, true, false);

  bool videoMode = window_.IsChecked(Switch::单选框_视频剪辑);
  auto token = std::make_shared<RunToken>();
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard lock(mutex_);
  JoinFinishedWorkers();
  token_ = token;
  workers_.push_back(
      {std::thread(&RunControl::Worker, this, token, videoMode, settings, runDir, done), done});
}

void RunControl::Worker(std::shared_ptr<RunToken> token, bool videoMode, RunSettings settings,
                        std::filesystem::path runDir, std::shared_ptr<std::atomic<bool>> done) {
  const int limit = ItemLimit(settings);
  JobInputs inputs =
      ReadJobInputs(window_, runDir, videoMode, EffectLines(), limit < 0 ? INT_MAX : limit);
  ApplyRunSettings(settings, static_cast<int>(std::thread::hardware_concurrency()), inputs);
  if (inputsHook_) inputsHook_(inputs);
  JobPresenter presenter(window_, static_cast<int>(inputs.items.size()));
  JobEnd end = RunClipJob(inputs, presenter, *token);
  // The end is shown only to a run that goes on; a paused one shows it once
  // resumed, a stopped one not at all.
  if (token->WaitWhilePaused()) {
    presenter.JobEnded(end);
    if (end.kind != JobEnd::Kind::kStopped && !token->IsCancelled()) StopRun();
  }
  *done = true;
}

void RunControl::StopRun() {
  SetButtons(window_, true, false, false, false);
  std::lock_guard lock(mutex_);
  if (token_) token_->Cancel();
}

void RunControl::PauseRun() {
  SetButtons(window_, false, true, false, true);
  std::lock_guard lock(mutex_);
  if (token_) token_->Pause();
}

void RunControl::ResumeRun() {
  SetButtons(window_, false, true, true, false);
  std::lock_guard lock(mutex_);
  if (token_) token_->Resume();
}

bool RunControl::IsRunning() const {
  std::lock_guard lock(mutex_);
  for (const WorkerSlot& slot : workers_) {
    if (!*slot.done) return true;
  }
  return false;
}

void RunControl::WaitUntilIdle() {
  std::vector<WorkerSlot> slots;
  {
    std::lock_guard lock(mutex_);
    slots.swap(workers_);
  }
  for (WorkerSlot& slot : slots) slot.thread.join();
}

void RunControl::SetInputsHook(std::function<void(JobInputs&)> hook) {
  inputsHook_ = std::move(hook);
}

std::vector<std::string> RunControl::EffectLines() const {
  std::lock_guard lock(mutex_);
  return effectLines_;
}

void RunControl::SetSettingsSource(std::function<RunSettings()> source) {
  settingsSource_ = std::move(source);
}

void RunControl::SetRunDir(std::filesystem::path runDir) {
  std::lock_guard lock(mutex_);
  runDir_ = std::move(runDir);
}

std::filesystem::path RunControl::RunDir() const {
  std::lock_guard lock(mutex_);
  return runDir_;
}

void RunControl::JoinFinishedWorkers() {
  // A finished worker has left its job, so joining it is brief.
  std::erase_if(workers_, [](WorkerSlot& slot) {
    if (!*slot.done) return false;
    slot.thread.join();
    return true;
  });
}

}  // namespace mivora
