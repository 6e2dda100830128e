// The hand-off between an operation and its caller's retry rule. An operation runs each
// step that can fail through AttemptStep; when the step fails, the caller's handler is told
// and either returns, and the same step is attempted again, or throws to abandon the
// operation. The operation then goes on from that step as if it had not failed.
#pragma once

#include "fileio/operation_error.h"

namespace varnite {

class StepFailureHandler {
 public:
  virtual ~StepFailureHandler() = default;
  // `failures` counts the failures of this one step so far, from 1.
  virtual void OnStepFailure(const OperationError& error, int failures) = 0;
};

// For callers with no retry rule (tools, benchmarks): the first failure ends the operation.
class NoRetry final : public StepFailureHandler {
 public:
  void OnStepFailure(const OperationError& error, int) override { throw error; }
};

template <typename Step>
auto AttemptStep(StepFailureHandler& onFailure, Step&& step) -> decltype(step()) {
  for (int failures = 1;; ++failures) {
    try {
      return step();
    } catch (const OperationError& error) {
      onFailure.OnStepFailure(error, failures);
    }
  }
}

}  // namespace varnite
