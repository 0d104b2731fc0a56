#pragma once
// The handset session every window shares, on Qt's event loop: Timer1 is a
// Qt timer, the serial port's window messages (1024, 1025, 1026) come back on
// the window thread in the order its reader thread posted them, and the
// link's status, progress, cursor and state go to one observer (the main
// window) once there is one. Telvane's composition root makes it with the
// port of the configuration; window tests make it with theirs.
#include <QObject>

#include <functional>
#include <memory>

#include "link/clock.h"
#include "link/link_observer.h"
#include "link/port.h"
#include "session/handset_session.h"
#include "session/qt/qt_timer.h"

namespace phondeck {

class Prompt;

class WindowSession final : public QObject {
  Q_OBJECT
 public:
  // Makes the link's port; its reader thread posts to the sink given.
  using PortMaker = std::function<std::unique_ptr<LinkPort>(Prompt&, WindowMessageSink&)>;

  WindowSession(Prompt& prompt, const PortMaker& make_port);
  ~WindowSession() override;

  HandsetSession& session() { return *session_; }
  PhoneLink& link() { return session_->link(); }
  // Where the link's news go from now on; null shows them nowhere.
  void set_observer(LinkObserver* observer);

 private:
  class Sink;
  class Relay;

  SystemClock clock_;
  QtTimer timer1_;
  std::unique_ptr<Sink> sink_;
  std::unique_ptr<Relay> relay_;
  std::unique_ptr<HandsetSession> session_;
};

}  // namespace phondeck
