#pragma once
// The families of messages the virtual handset answers. Each family adds
// its handlers to the dispatch table and saves and loads its own typed part
// of the handset's state; all of them are listed once, in families.cpp.
#include <span>

#include <nlohmann/json.hpp>

#include "sim/dispatch.h"

namespace phondeck::sim {

struct HandsetState;

struct HandsetFamily {
  const char* name;
  void (*add_handlers)(DispatchTable& table);
  // Its part of the state file; load leaves what the file lacks as it was
  // and throws (nlohmann::json::exception, std::invalid_argument) on a
  // malformed value.
  void (*save)(const HandsetState& state, nlohmann::json& j);
  void (*load)(const nlohmann::json& j, HandsetState& state);
};

std::span<const HandsetFamily> handset_families();

// Every family's handlers; the handset installs this table.
void add_all_families(DispatchTable& table);

}  // namespace phondeck::sim
