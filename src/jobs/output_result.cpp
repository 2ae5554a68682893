#include "jobs/output_result.h"

namespace mivora {

void TakeOutcome(ItemResult& result, const ItemPlan& plan, const ItemOutcome& outcome) {
  result.item = plan.item;
  result.variant = plan.variant;
  if (!plan.source.empty()) result.source = plan.source;
  result.kind = outcome.kind;
  result.status = outcome.status;
  result.failedStep = outcome.failedStep;
  result.remade = outcome.remade;
  result.lastError = outcome.lastError;
  result.picks = outcome.picks;
  result.sound = outcome.sound;
  // A version drawn again finished with other effects than it started with.
  result.effectLine = plan.effects.names;
  result.fingerprint = outcome.fingerprint;
  result.nearest = outcome.nearest;
  std::error_code error;
  result.output = outcome.done() && std::filesystem::is_regular_file(outcome.output, error)
                      ? outcome.output
                      : std::filesystem::path();
}

}  // namespace mivora
