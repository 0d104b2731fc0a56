#pragma once
// A LinkObserver for tests: keeps every status text, state change and the
// last progress and network details.
#include <string>
#include <vector>

#include "link/link_observer.h"

namespace phondeck::testing {

class RecordingObserver final : public LinkObserver {
 public:
  void show_status(const std::string& text) override { statuses.push_back(text); }
  void progress(int position, int maximum) override {
    last_position = position;
    last_maximum = maximum;
  }
  void normal_cursor() override { ++normal_cursors; }
  void link_state_changed(LinkState state) override { states.push_back(state); }
  void network_details(int mcc_value, int mnc_value) override {
    mcc = mcc_value;
    mnc = mnc_value;
  }
  std::vector<std::string> statuses;
  std::vector<LinkState> states;
  int last_position = -1;
  int last_maximum = -1;
  int normal_cursors = 0;
  int mcc = -1;
  int mnc = -1;
};

}  // namespace phondeck::testing
