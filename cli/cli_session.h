#pragma once
// The handset session as phondeck runs it: on an event loop without windows,
// with questions answered by --yes, on a terminal, or refused; message boxes
// and the progress bar on standard error.
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/prompt.h"
#include "cli/cli_arguments.h"
#include "link/clock.h"
#include "link/connect_report.h"
#include "link/link_observer.h"
#include "sim/realtime_loop.h"
#include "session/handset_session.h"

namespace phondeck::cli {

// The process's standard streams and what they are connected to.
struct Terminal {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  bool in_is_terminal = false;
  bool err_is_terminal = false;
};

// The progress bar on standard error, redrawn in place.
class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool shown) : err_(err), shown_(shown) {}
  void status(const std::string& text);
  void progress(int position, int maximum);
  // Draws the line with the status alone (a connect's wake-up).
  void show_status_line() {
    status_only_ = true;
    draw();
  }
  // Clears the line so that other text can follow.
  void clear();
  // Clears the line and draws no more.
  void hide() {
    clear();
    shown_ = false;
  }

 private:
  void draw();
  std::ostream& err_;
  bool shown_;
  bool drawn_ = false;
  bool status_only_ = false;
  std::string status_;
  int position_ = 0;
  int maximum_ = 0;
};

class CliPrompt final : public Prompt {
 public:
  // `port_hint`, when given, is said for the port's errors ("ERROR: Serial
  // ..."): in place of them, or after them when their codes are kept (--json).
  CliPrompt(Terminal& terminal, ProgressBar& bar, bool yes, std::string port_hint = {}, bool keep_codes = true)
      : terminal_(terminal), bar_(bar), yes_(yes), port_hint_(std::move(port_hint)), keep_codes_(keep_codes) {}
  void message(const std::string& text) override;
  bool ask_yes_no(const std::string& text) override;

  // Messages shown since the last take; a question refused counts as one.
  std::vector<std::string> take_messages() { return std::exchange(messages_, {}); }
  bool refused() const { return refused_; }

 private:
  Terminal& terminal_;
  ProgressBar& bar_;
  bool yes_;
  bool refused_ = false;
  std::vector<std::string> messages_;
  std::string port_hint_;
  bool keep_codes_;
};

class CliObserver final : public LinkObserver {
 public:
  explicit CliObserver(ProgressBar& bar) : bar_(bar) {}
  void show_status(const std::string& text) override;
  void progress(int position, int maximum) override { bar_.progress(position, maximum); }
  void normal_cursor() override {}
  void link_state_changed(LinkState) override {}
  void network_details(int, int) override {}


 private:
  ProgressBar& bar_;
};

// The connect's wake-ups on the terminal's progress line (not in pipes), and
// at the end the message of an unanswered connect with the offer to search.
class CliConnectReport final : public ConnectListener {
 public:
  CliConnectReport(Terminal& terminal, ProgressBar& bar) : terminal_(terminal), bar_(bar) {}
  void connect_progress(int attempt, int attempts, const std::string& text) override;
  void connect_ended(const ConnectOutcome& outcome) override;
  // How the last attempt ended; nullopt before any.
  const std::optional<ConnectOutcome>& last() const { return last_; }

 private:
  Terminal& terminal_;
  ProgressBar& bar_;
  std::optional<ConnectOutcome> last_;
};

class CliSession {
 public:
  // The configuration (tv.dat and the global options) is applied already.
  // `port_hint`, when given, is what to say when the port does not open or
  // nothing answers on it (no device was chosen).
  CliSession(Terminal& terminal, const GlobalOptions& options, std::string port_hint = {});
  ~CliSession();
  CliSession(const CliSession&) = delete;
  CliSession& operator=(const CliSession&) = delete;

  // Link > Connect; false (the reason on standard error) when no handset
  // answered. Ctrl+C stops the attempt: the port closes, false.
  bool connect();
  // Ctrl+C ended the connect.
  bool interrupted() const { return interrupted_; }
  // Runs one operation to its end: start(options) starts it with `options`
  // (their completion set; add the answers to its questions), then the loop
  // runs until the result is told. A result other than done is said on
  // standard error unless a message box said why already.
  OperationResult run_operation(const std::function<bool(StartOptions)>& start);

  HandsetSession& session() { return session_; }
  OperationEngine& engine() { return session_.engine(); }
  Prompt& prompt() { return prompt_; }
  // Reports an error of phondeck's own on standard error.
  void fail(const std::string& text);

 private:
  void report_messages();

  Terminal& terminal_;
  SystemClock clock_;
  sim::RealtimeLoop loop_{clock_};
  sim::LoopTimer timer_{loop_};
  ProgressBar bar_;
  std::string port_hint_;
  CliPrompt prompt_;
  CliObserver observer_;
  CliConnectReport connect_report_;
  HandsetSession session_;
  bool interrupted_ = false;
};

}  // namespace phondeck::cli
