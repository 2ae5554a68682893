// A run's events on their way to a front's own thread: each event is copied
// and handed to `post`, which runs it there later, so the worker goes on at
// once and the core never waits for a front. Once the run is stopped, only
// each item's last word still reaches the presenter.
#pragma once

#include <functional>
#include <memory>

#include "app/job_presenter.h"
#include "runner/run_token.h"

namespace mivora {

// Runs a task on the front's thread without waiting for it.
using PostToFront = std::function<void(std::function<void()>)>;

class QueuedSink : public JobSink {
 public:
  // `also`, when given, sees every event after the presenter (the results
  // view takes the outputs' ends from it).
  QueuedSink(PostToFront post, std::shared_ptr<JobPresenter> presenter,
             std::shared_ptr<RunToken> token, std::shared_ptr<JobSink> also = nullptr);

  void RunLog(std::string_view line) override;
  void ClipUnreadable(const std::string& path) override;
  void ItemStarted(const ItemPlan& plan) override;
  void StepStarted(const ItemPlan& plan, std::string_view step) override;
  void Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) override;
  void Log(const ItemPlan& plan, std::string_view line) override;
  void ConsoleOutput(const std::string& text) override;
  void ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) override;

 private:
  // `event` owns copies of everything it uses.
  void Send(std::function<void(JobSink&)> event, bool evenWhenStopped = false);

  PostToFront post_;
  std::shared_ptr<JobPresenter> presenter_;
  std::shared_ptr<RunToken> token_;
  std::shared_ptr<JobSink> also_;
};

}  // namespace mivora
