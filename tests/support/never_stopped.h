// A run token for tests that start a program outside any run: it is never
// stopped or paused.
#pragma once

#include "runner/run_token.h"

namespace mivora::test {

inline RunToken& NeverStopped() {
  static RunToken token;
  return token;
}

}  // namespace mivora::test
