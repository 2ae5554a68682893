#include "app/run_control.h"

#include <climits>
#include <thread>
#include <utility>

#include "app/job_presenter.h"
#include "effects/effect_code.h"
#include "jobs/clip_jobs.h"
#include "jobs/run_check.h"
#include "media/work_folders.h"

namespace mivora {
namespace {

// Which run buttons are enabled.
struct ButtonStates {
  bool start = false;
  bool stop = false;
  bool pause = false;
  bool resume = false;
};
constexpr ButtonStates kIdle{.start = true};
constexpr ButtonStates kRunning{.stop = true, .pause = true};
constexpr ButtonStates kPaused{.stop = true, .resume = true};

void SetButtons(WindowOps& window, const ButtonStates& states) {
  window.SetEnabled(Button::按钮_开始检测, states.start);
  window.SetEnabled(Button::按钮_停止检测, states.stop);
  window.SetEnabled(Button::按钮_暂停检测, states.pause);
  window.SetEnabled(Button::按钮_继续检测, states.resume);
}

}  // namespace

RunControl::RunControl(WindowOps& window, std::filesystem::path runDir,
                       std::function<void(int ms)> pumpWait, PostToFront post)
    : window_(window),
      runDir_(std::move(runDir)),
      pumpWait_(std::move(pumpWait)),
      post_(post ? std::move(post) : [](std::function<void()> task) { task(); }) {}

RunControl::~RunControl() {
  {
    std::lock_guard lock(mutex_);
    if (token_) token_->Cancel();
  }
  WaitUntilIdle();
}

void RunControl::StartRun(const StartOptions& options) {
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
  std::filesystem::path runDir;
  {
    std::lock_guard lock(mutex_);
    effectLines_ = lines;
    runDir = runDir_;
  }
  PrepareWorkFolders(runDir);
  // What the user has chosen is checked before the buttons change; the items
  // and the machine when the job starts.
  if (std::optional<RunRefusal> refusal =
          CheckChoices(ReadJobInputs(window_, runDir, true, lines, 0))) {
    window_.ShowInfo(refusal->message);
    StopRun();
    return;
  }
  if (pumpWait_) pumpWait_(1000);
  SetButtons(window_, kRunning);

  // Read once, after the buttons have changed: from here on nothing that
  // changes a run's inputs can be used in the window.
  const bool videoMode = window_.IsChecked(Switch::单选框_视频剪辑);
  const int limit = ItemLimit(options.settings);
  JobInputs inputs =
      ReadJobInputs(window_, runDir, videoMode, std::move(lines), limit < 0 ? INT_MAX : limit);
  ApplyRunSettings(options.settings, static_cast<int>(std::thread::hardware_concurrency()), inputs);
  inputs.options.watermark = options.watermark;
  inputs.options.title = options.title;
  inputs.choices.titles = options.titles;
  auto presenter = std::make_shared<JobPresenter>(window_, static_cast<int>(inputs.items.size()),
                                                  JobPresenter::LogLines::kNamed);
  presenter->GuessWork(inputs.effectLines);
  presenter->RunStarted();
  std::shared_ptr<ResultsModel> results = resultsForRun_ ? resultsForRun_(inputs) : nullptr;

  auto token = std::make_shared<RunToken>();
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::lock_guard lock(mutex_);
  JoinFinishedWorkers();
  token_ = token;
  workers_.push_back(
      {std::thread(&RunControl::Worker, this, std::move(inputs), presenter, results, token, done),
       done});
}

void RunControl::Worker(JobInputs inputs, std::shared_ptr<JobPresenter> presenter,
                        std::shared_ptr<ResultsModel> results, std::shared_ptr<RunToken> token,
                        std::shared_ptr<std::atomic<bool>> done) {
  QueuedSink sink(post_, presenter, token, results);
  JobEnd end = RunClipJob(std::move(inputs), sink, *token);
  // A paused run shows its end once resumed; a stopped one says it stopped.
  if (!token->WaitWhilePaused()) end.kind = JobEnd::Kind::kStopped;
  post_([window = &window_, presenter, results, token, end] {
    const bool stopped = end.kind == JobEnd::Kind::kStopped || token->IsCancelled();
    if (results) results->RunEnded(stopped, end.kind == JobEnd::Kind::kRefused ? end.message : "");
    if (stopped) {
      presenter->JobStopped();
      return;
    }
    presenter->JobEnded(end);
    // The end's message has been closed: the buttons go idle.
    if (!token->IsCancelled()) {
      SetButtons(*window, kIdle);
      token->Cancel();
    }
  });
  *done = true;
}

void RunControl::StopRun() {
  SetButtons(window_, kIdle);
  std::lock_guard lock(mutex_);
  if (token_) token_->Cancel();
}

void RunControl::PauseRun() {
  SetButtons(window_, kPaused);
  std::lock_guard lock(mutex_);
  if (token_) token_->Pause();
}

void RunControl::ResumeRun() {
  SetButtons(window_, kRunning);
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

std::vector<std::string> RunControl::EffectLines() const {
  std::lock_guard lock(mutex_);
  return effectLines_;
}

void RunControl::SetResults(std::function<std::shared_ptr<ResultsModel>(const JobInputs&)> forRun) {
  resultsForRun_ = std::move(forRun);
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
