#include "app/queued_sink.h"

#include <string>
#include <utility>

namespace mivora {

QueuedSink::QueuedSink(PostToFront post, std::shared_ptr<JobPresenter> presenter,
                       std::shared_ptr<RunToken> token, std::shared_ptr<JobSink> also)
    : post_(std::move(post)),
      presenter_(std::move(presenter)),
      token_(std::move(token)),
      also_(std::move(also)) {}

void QueuedSink::Send(std::function<void(JobSink&)> event, bool evenWhenStopped) {
  post_([presenter = presenter_, also = also_, token = token_, event = std::move(event),
         evenWhenStopped] {
    // Events still on their way when Stop was pressed would show a run that
    // has already ended.
    if (!evenWhenStopped && token->IsCancelled()) return;
    event(*presenter);
    if (also) event(*also);
  });
}

void QueuedSink::RunLog(std::string_view line) {
  Send([line = std::string(line)](JobSink& sink) { sink.RunLog(line); });
}

void QueuedSink::ClipUnreadable(const std::string& path) {
  Send([path](JobSink& sink) { sink.ClipUnreadable(path); });
}

void QueuedSink::ItemStarted(const ItemPlan& plan) {
  Send([plan](JobSink& sink) { sink.ItemStarted(plan); });
}

void QueuedSink::StepStarted(const ItemPlan& plan, std::string_view step) {
  Send([plan, step = std::string(step)](JobSink& sink) { sink.StepStarted(plan, step); });
}

void QueuedSink::Progress(const ItemPlan& plan, double secondsDone, double secondsTotal) {
  Send([plan, secondsDone, secondsTotal](JobSink& sink) {
    sink.Progress(plan, secondsDone, secondsTotal);
  });
}

void QueuedSink::Log(const ItemPlan& plan, std::string_view line) {
  Send([plan, line = std::string(line)](JobSink& sink) { sink.Log(plan, line); });
}

void QueuedSink::ConsoleOutput(const std::string& text) {
  Send([text](JobSink& sink) { sink.ConsoleOutput(text); });
}

void QueuedSink::ItemFinished(const ItemPlan& plan, const ItemOutcome& outcome) {
  Send([plan, outcome](JobSink& sink) { sink.ItemFinished(plan, outcome); }, true);
}

}  // namespace mivora
