#include "session/qt/window_session.h"

#include <QMetaObject>

namespace phondeck {

// Posts the serial port's notices to the window thread, in order.
class WindowSession::Sink final : public WindowMessageSink {
 public:
  explicit Sink(WindowSession& owner) : owner_(owner) {}
  void post(int message, std::uint32_t parameter) override {
    QMetaObject::invokeMethod(
        &owner_, [this, message, parameter] { owner_.session_->handle_message(message, parameter); },
        Qt::QueuedConnection);
  }

 private:
  WindowSession& owner_;
};

// The session's one observer, passing each call on to the window set.
class WindowSession::Relay final : public LinkObserver {
 public:
  void set(LinkObserver* to) { to_ = to ? to : &nothing_; }
  void show_status(const std::string& text) override { to_->show_status(text); }
  void progress(int position, int maximum) override { to_->progress(position, maximum); }
  void normal_cursor() override { to_->normal_cursor(); }
  void link_state_changed(LinkState state) override { to_->link_state_changed(state); }
  void network_details(int mcc, int mnc) override { to_->network_details(mcc, mnc); }

 private:
  NullLinkObserver nothing_;
  LinkObserver* to_ = &nothing_;
};

WindowSession::WindowSession(Prompt& prompt, const PortMaker& make_port)
    : timer1_([this] { session_->Timer1Timer(); }),
      sink_(std::make_unique<Sink>(*this)),
      relay_(std::make_unique<Relay>()),
      session_(std::make_unique<HandsetSession>(make_port(prompt, *sink_), timer1_, clock_, prompt, *relay_)) {}

// The session (and the port's reader thread with it) goes before the sink
// and the timer it uses.
WindowSession::~WindowSession() = default;

void WindowSession::set_observer(LinkObserver* observer) { relay_->set(observer); }

}  // namespace phondeck
