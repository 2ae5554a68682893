#include "cli/progress_report.h"

#include <cmath>

#include "cli/batch_summary.h"

namespace mivora {

std::string FormatClock(double seconds) {
  long long whole = seconds < 0 ? 0 : std::llround(seconds);
  char text[32];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

double EstimateSecondsLeft(double elapsedSeconds, int done, int total) {
  if (done <= 0) return -1;
  return elapsedSeconds / done * (total - done);
}

ProgressReport::ProgressReport(std::FILE* out, bool terminal, int total)
    : out_(out), terminal_(terminal), total_(total), start_(std::chrono::steady_clock::now()) {}

BatchObserver ProgressReport::Observer() {
  BatchObserver observer;
  observer.itemStarted = [this](OutputId output, std::string_view name) {
    names_[output] = std::string(name);
    Event(output, "正在剪辑");
  };
  observer.itemStep = [this](OutputId output, std::string_view step) {
    Event(output, std::string(step));
  };
  // A run's own line (its line break is the window's "\r\n") stands alone.
  observer.runLog = [this](std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    std::fprintf(out_, "%s%.*s\n", terminal_ ? "\r\033[K" : "", static_cast<int>(line.size()),
                 line.data());
    std::fflush(out_);
  };
  observer.itemFinished = [this](const ItemResult& result) {
    ++done_;
    const OutputId output{result.item, result.variant};
    if (terminal_) {
      // A finished item keeps a line of its own above the redrawn one.
      std::fprintf(out_, "\r\033[K%d %s: %s\n", result.item, names_[output].c_str(),
                   ResultText(result).c_str());
    }
    Event(output, ResultText(result));
    names_.erase(output);
  };
  return observer;
}

void ProgressReport::Event(OutputId output, const std::string& text) {
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  double left = EstimateSecondsLeft(elapsed, done_, total_);
  std::string leftText = left < 0 ? "--:--" : FormatClock(left);
  auto name = names_.find(output);
  std::string label =
      std::to_string(output.item) + " " + (name == names_.end() ? std::string() : name->second);
  if (terminal_) {
    std::fprintf(out_, "\r\033[K[%d/%d] %s: %s | 用时 %s | 剩余约 %s", done_, total_, label.c_str(),
                 text.c_str(), FormatClock(elapsed).c_str(), leftText.c_str());
  } else {
    std::fprintf(out_, "[%d/%d] %s: %s | 用时 %s | 剩余约 %s\n", done_, total_, label.c_str(),
                 text.c_str(), FormatClock(elapsed).c_str(), leftText.c_str());
  }
  std::fflush(out_);
}

void ProgressReport::Finish() {
  if (terminal_) {
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
  }
}

}  // namespace mivora
