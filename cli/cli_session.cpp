#include "cli/cli_session.h"

#include <signal.h>

#include <algorithm>
#include <csignal>
#include <memory>

#include "app/configuration.h"
#include "app/text_table.h"
#include "cli/cli_output.h"
#include "host/configured_port.h"

namespace phondeck::cli {

namespace {

// A read or write of a long phone book at 9600 bit/s takes minutes; a
// handset that stops answering resets the link long before this.
constexpr std::int64_t kOperationLimitMs = 60 * 60 * 1000;
constexpr std::int64_t kConnectLimitMs = 60 * 1000;

volatile std::sig_atomic_t g_interrupt = 0;

extern "C" void on_interrupt(int) { g_interrupt = 1; }

// Ctrl+C while connecting stops the attempt instead of the process, so the
// port closes as after any connect; the earlier handling comes back after.
class InterruptDuringConnect {
 public:
  InterruptDuringConnect() {
    g_interrupt = 0;
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    installed_ = sigaction(SIGINT, &action, &previous_) == 0;
  }
  ~InterruptDuringConnect() {
    if (installed_) sigaction(SIGINT, &previous_, nullptr);
  }
  InterruptDuringConnect(const InterruptDuringConnect&) = delete;
  InterruptDuringConnect& operator=(const InterruptDuringConnect&) = delete;
  bool requested() const { return g_interrupt != 0; }

 private:
  struct sigaction previous_ {};
  bool installed_ = false;
};

}  // namespace

void ProgressBar::status(const std::string& text) {
  status_ = text;
  if (drawn_) draw();
}

void ProgressBar::progress(int position, int maximum) {
  position_ = position;
  maximum_ = maximum;
  // Only operations that count their records draw the bar.
  if (maximum > 0 && position > 0) status_only_ = false;
  if (maximum > 0 && (position > 0 || drawn_)) draw();
}

void ProgressBar::draw() {
  if (!shown_) return;
  err_ << "\r\x1b[K" << (status_only_ ? status_ : progress_line(status_, position_, maximum_)) << std::flush;
  drawn_ = true;
}

void ProgressBar::clear() {
  status_only_ = false;
  if (!drawn_) return;
  err_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

void CliPrompt::message(const std::string& text) {
  bar_.clear();
  const bool port_error = !port_hint_.empty() && text.starts_with("ERROR: Serial");
  if (!port_error || keep_codes_) terminal_.err << "phondeck: " << text << "\n";
  if (port_error) terminal_.err << "phondeck: " << port_hint_ << "\n";
  messages_.push_back(text);
}

bool CliPrompt::ask_yes_no(const std::string& text) {
  bar_.clear();
  if (yes_) return true;
  if (terminal_.in_is_terminal) {
    terminal_.err << text << " [y/N] " << std::flush;
    std::string answer;
    if (std::getline(terminal_.in, answer)) {
      std::transform(answer.begin(), answer.end(), answer.begin(), [](unsigned char c) { return std::tolower(c); });
      if (answer == "y" || answer == "yes") return true;
    }
  }
  refused_ = true;
  const std::string why = text + " No" + (terminal_.in_is_terminal ? "" : " (give --yes to answer Yes)");
  terminal_.err << "phondeck: " << why << "\n";
  messages_.push_back(why);
  return false;
}

void CliObserver::show_status(const std::string& text) { bar_.status(text); }

void CliConnectReport::connect_progress(int, int, const std::string& text) {
  // The progress line is drawn on a terminal only; the status reaches it
  // through the observer, so it is drawn here.
  bar_.status(text);
  bar_.show_status_line();
}

void CliConnectReport::connect_ended(const ConnectOutcome& outcome) {
  last_ = outcome;
  bar_.clear();
}

CliSession::CliSession(Terminal& terminal, const GlobalOptions& options, std::string port_hint)
    : terminal_(terminal),
      // The trace's lines and a bar redrawn in place would cut each other up.
      bar_(terminal.err, terminal.err_is_terminal && !options.quiet && !options.trace),
      port_hint_(std::move(port_hint)),
      prompt_(terminal, bar_, options.yes, port_hint_, options.json),
      observer_(bar_),
      connect_report_(terminal, bar_),
      session_(make_configured_port(prompt_, loop_), timer_, clock_, prompt_, observer_) {
  timer_.set_callback([this] { session_.Timer1Timer(); });
  loop_.set_message_handler([this](int message, std::uint32_t parameter) {
    session_.handle_message(message, parameter);
  });
  if (options.trace) {
    session_.link().log().add_sink([&err = terminal.err](const std::string& line) { err << line << '\n' << std::flush; });
  }
  session_.engine().set_connect_listener(&connect_report_);
  session_.set_up();
}

CliSession::~CliSession() {
  bar_.hide();
  // Nothing is left running on the handset's side; the port closes with the session.
  session_.engine().reset();
}

void CliSession::fail(const std::string& text) {
  bar_.clear();
  terminal_.err << "phondeck: " << text << "\n";
}

bool CliSession::connect() {
  interrupted_ = false;
  {
    const InterruptDuringConnect interrupt;
    session_.commands().connect();
    loop_.run_until(
        [this, &interrupt] {
          if (interrupt.requested() && session_.engine().cancel_connect()) interrupted_ = true;
          return session_.settled();
        },
        kConnectLimitMs);
  }
  bar_.clear();
  if (session_.state() == LinkState::Idle) {
    prompt_.take_messages();
    return true;
  }
  const std::optional<ConnectOutcome>& last = connect_report_.last();
  if (interrupted_) {
    fail(connect_cancelled_text() + " (Ctrl+C); the port is closed");
    return false;
  }
  // A port that failed to open, or a device that went, has said why already.
  if (!prompt_.take_messages().empty() && (!last || last->end != ConnectEnd::NoAnswer)) return false;
  if (last && last->end == ConnectEnd::NoAnswer) {
    fail(no_answer_text(*last));
    if (!port_hint_.empty()) fail(port_hint_);
    fail("run `phondeck probe` to search the serial ports for the handset");
  } else {
    fail(!port_hint_.empty() ? port_hint_
                             : "no handset answers on " + (config().Device.empty() ? std::string("the configured port")
                                                                                  : config().Device));
  }
  return false;
}

OperationResult CliSession::run_operation(const std::function<bool(StartOptions)>& start) {
  prompt_.take_messages();
  // Shared with the completion: a result told after the limit has nowhere else to go.
  auto told = std::make_shared<std::optional<OperationResult>>();
  StartOptions options;
  options.done = [told](const OperationResult& result) { *told = result; };
  const bool started = start(std::move(options));
  // Every start tells its result, a refusal at once; a settled link that
  // told none is a fault of ours, reported rather than waited on.
  if (!*told && started) {
    loop_.run_until([this, &told] { return told->has_value() || session_.settled(); }, kOperationLimitMs);
  }
  bar_.clear();
  const bool said = !prompt_.take_messages().empty();
  if (!*told) {
    fail(started ? "the handset did not complete the command" : "the handset command did not start");
    OperationResult lost;
    lost.ending = Ending::LinkLost;
    return lost;
  }
  const OperationResult& result = **told;
  if (said || result.done()) return result;
  switch (result.ending) {
    case Ending::LinkLost: fail("the handset stopped answering (" + tx(3000) + ")"); break;
    case Ending::Refused:
      fail(result.refusal == Refusal::UserSaidNo ? "not confirmed: nothing was written" : describe(result));
      break;
    default: fail("the handset did not complete the command: " + describe(result)); break;
  }
  return result;
}

}  // namespace phondeck::cli
