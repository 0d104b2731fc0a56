#pragma once
// How the link shows itself in the main window: the status text, the
// progress bar, the mouse cursor and the operator dialog's MCC/MNC fields.
#include <string>

#include "link/link_state.h"

namespace phondeck {

class LinkObserver {
 public:
  virtual ~LinkObserver() = default;
  // The middle status panel; also sets the busy (hourglass) cursor.
  virtual void show_status(const std::string& text) = 0;
  // The main window's progress bar.
  virtual void progress(int position, int maximum) = 0;
  // Back to the normal mouse cursor.
  virtual void normal_cursor() = 0;
  virtual void link_state_changed(LinkState state) = 0;
  // The handset reported its network; shown in the Operator Information dialog.
  virtual void network_details(int mcc, int mnc) = 0;
};

// An observer that shows nothing.
class NullLinkObserver final : public LinkObserver {
 public:
  void show_status(const std::string&) override {}
  void progress(int, int) override {}
  void normal_cursor() override {}
  void link_state_changed(LinkState) override {}
  void network_details(int, int) override {}
};

}  // namespace phondeck
