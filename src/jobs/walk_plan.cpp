#include "jobs/walk_plan.h"

namespace mivora {
namespace {

int LeadingNumber(const std::string& text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || value > 100000000) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::vector<WalkStep> PlanWalk(int sourceSeconds, const std::vector<std::string>& durations,
                               const std::vector<std::string>& names, bool render) {
  std::vector<WalkStep> steps;
  const int total = sourceSeconds;
  int position = 0;
  auto cut = [&](int start, int length, int segment) {
    steps.push_back({WalkStep::Kind::kCut, segment, start, length, {}});
  };
  auto renderEffect = [&](int segment) {
    if (!render) return;
    std::size_t index = static_cast<std::size_t>(segment - 1);
    steps.push_back(
        {WalkStep::Kind::kRender, segment, 0, 0, index < names.size() ? names[index] : ""});
  };
  const int count = static_cast<int>(durations.size());
  for (int k = 1; k <= count; ++k) {
    int length = LeadingNumber(durations[k - 1]);
    if (position + length > total) {
      if (position != total) {
        cut(position, total - position, k);
        renderEffect(k);
      }
      break;
    }
    cut(position, length, k);
    renderEffect(k);
    if (k == count && position + length < total) {
      cut(position + length, total - position - length, k + 1);
    }
    position += length;
  }
  return steps;
}

}  // namespace mivora
