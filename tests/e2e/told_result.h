#pragma once
// Runs one operation on a rig until the link settles and returns the result
// its starter was told (nothing when none was told).
#include <memory>
#include <optional>

#include "e2e_rig.h"

namespace phondeck::e2e {

template <typename Start>
std::optional<OperationResult> run_told(Rig& rig, Start start, std::int64_t max_ms = 600000) {
  // Shared: a result told after the run has somewhere to go.
  auto told = std::make_shared<std::optional<OperationResult>>();
  StartOptions options;
  options.done = [told](const OperationResult& result) { *told = result; };
  start(std::move(options));
  rig.run_until_settled(max_ms);
  return *told;
}

}  // namespace phondeck::e2e
