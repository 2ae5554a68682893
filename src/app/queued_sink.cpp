#include "app/queued_sink.h"

#include <string>
#include <utility>

namespace mivora {

QueuedSink::QueuedSink(PostToFront post, std::shared_ptr<JobPresenter> presenter,
                       std::shared_ptr<RunToken> token)
    : post_(std::move(post)), presenter_(std::move(presenter)), token_(std::move(token)) {}

void QueuedSink::Send(std::function<void(JobPresenter&)> event, bool evenWhenStopped) {
  post_([presenter = presenter_, token = token_, event = std::move(event), evenWhenStopped] {
    // Events still on their way when Stop was pressed would show a run that
    // has already ended.
    if (!evenWhenStopped && token->IsCancelled()) return;
    event(*presenter);
  });
}

void QueuedSink::RunLog(std::string_view line) {
  Send([line = std::string(line)](JobPresenter& presenter) { presenter.RunLog(line); });
}

void QueuedSink::ClipUnreadable(const std::string& path) {
  Send([path](JobPresenter& presenter) { presenter.ClipUnreadable(path); });
}

void QueuedSink::ItemStarted(const ItemPlan& plan) {
  Send([plan](JobPresenter& presenter) { presenter.ItemStarted(plan); });
}

void QueuedSink::StepStarted(const ItemPlan& plan, std::string_view step) {
  Send([plan, step = std::string(step)](JobPresenter& presenter) {
    presenter.StepStarted(plan, step);
  });
}

void QueuedSink::Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) {
  Send([plan, secondsDone, secondsTotal](JobPresenter& presenter) {
    presenter.Progress(plan, secondsDone, secondsTotal);
  });
}

void QueuedSink::Log(const ItemPlan& plan, std::string_view line) {
  Send([plan, line = std::string(line)](JobPresenter& presenter) { presenter.Log(plan, line); });
}

void QueuedSink::ConsoleOutput(const std::string& text) {
  Send([text](JobPresenter& presenter) { presenter.ConsoleOutput(text); });
}

void QueuedSink::ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) {
  Send([plan, outcome](JobPresenter& presenter) { presenter.ItemFinished(plan, outcome); }, true);
}

}  // namespace mivora
