#pragma once
// What the graphics exchanges fill, held by the session so the windows read
// it: the caller-group table, the operator logo with its network code and the
// startup graphic as last read; and the listeners told when an operation has
// completed.
#include <functional>
#include <utility>
#include <vector>

#include "media/caller_group_table.h"
#include "media/mono_bitmap.h"

namespace phondeck {

enum class GraphicsEvent {
  GroupsRead,           // the caller-group table is filled (see its purpose)
  GroupGraphicWritten,  // the handset acknowledged the picture
  NetworkCodeRead,      // the request went out; the report updates HandsetInfo
  SystemLogoRead,       // operator_logo holds the picture; group 0's logo too
  SystemLogoWritten,
  StartupRead,          // startup holds the picture
  StartupWritten,
  PhoneReset,
  GroupLogoWritten,     // Write into Group: the group read back holds the logo
  GroupLogoNotWritten,  // ... or still differs after the last try
};

// Windows (their logic classes) add a listener for as long as they live.
class GraphicsListeners {
 public:
  using Listener = std::function<void(GraphicsEvent)>;
  // Returns the id to remove it by.
  int add(Listener listener) {
    listeners_.emplace_back(next_id_, std::move(listener));
    return next_id_++;
  }
  void remove(int id) {
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
  }
  void notify(GraphicsEvent event) const {
    // A listener may add or remove listeners: call a copy.
    const auto listeners = listeners_;
    for (const auto& entry : listeners) {
      if (entry.second) entry.second(event);
    }
  }

 private:
  std::vector<std::pair<int, Listener>> listeners_;
  int next_id_ = 1;
};

struct OperatorLogo {
  MonoBitmap picture{kLogoWidth, kLogoHeight};
  int mcc = 0;  // the network code the handset gave with it
  int mnc = 0;
  bool read = false;  // a Read System Logo has completed
};

struct GraphicsRecords {
  CallerGroupTable groups;
  OperatorLogo operator_logo;
  MonoBitmap startup{kStartupWidth, kStartupHeight};
  bool startup_read = false;  // a Read Startup Graphic has completed
  GraphicsListeners listeners;
};

}  // namespace phondeck
