#include "session/handset_session.h"

#include <utility>

namespace phondeck {

HandsetSession::HandsetSession(std::unique_ptr<LinkPort> port, Timer& timer, Clock& clock, Prompt& prompt,
                               LinkObserver& observer)
    : book_(prompt),
      link_(std::move(port), timer, clock, prompt, observer),
      link_families_(link_.engine(), book_),
      media_(link_.engine(), link_families_.media_and_settings()),
      organiser_(link_.engine(), link_families_.media_and_settings()),
      commands_(link_.engine(), book_, prompt) {}

}  // namespace phondeck
