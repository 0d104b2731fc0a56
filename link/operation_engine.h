#pragma once
// The operation engine: runs one operation at a time as numbered steps of a
// family handler, holds at most one pending operation, lets an operation push
// itself and run a sub-operation, and turns time-outs into retransmissions, a
// fresh send of the step and finally a link reset. Window thread only.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>

#include "link/connect_report.h"
#include "link/frame_layer.h"
#include "link/handset_info.h"
#include "link/link_frame.h"
#include "link/link_observer.h"
#include "link/link_state.h"
#include "link/family_handler.h"
#include "link/operation_result.h"
#include "link/status_families.h"

namespace phondeck {

class Prompt;

// What open_port_if_closed() found. A failed open was already shown to the user.
enum class PortOpening { OpenedNow, AlreadyOpen, Failed };

// What a command starts: the family, its first step, the parameters it sets
// (if any) and whether models beginning with "5" are refused; and what its
// starter passed: the completion and the answer to the write confirmation.
struct Operation {
  LinkState family = LinkState::Idle;
  int step = 1;
  std::optional<OperationParams> params;
  bool model_check = false;
  Completion done;
  std::optional<bool> confirmed;

  Operation& with(StartOptions options) {
    done = std::move(options.done);
    confirmed = options.confirmed;
    return *this;
  }
};

class OperationEngine final : public FrameEvents {
 public:
  static constexpr int kStackLevels = 10;
  static constexpr int kTicksBeforeReset = 5;
  static constexpr int kFirstRetransmitTick = 2;
  static constexpr int kReconnects = 3;

  OperationEngine(FrameLayer& frames, Prompt& prompt, LinkObserver& observer);
  ~OperationEngine() override;
  OperationEngine(const OperationEngine&) = delete;
  OperationEngine& operator=(const OperationEngine&) = delete;

  // A family's handler for its link state (4, 7 to 11); replaces any earlier one.
  // (FamilyRegistration does this for the handler's lifetime.)
  void register_family(LinkState state, FamilyHandler* handler);
  // Clears the state's handler if it is still this one.
  void unregister_family(LinkState state, FamilyHandler* handler);

  // -- State read and written by family handlers.
  LinkState state() const { return frames_.flags().link_state; }
  int step() const { return step_; }
  void set_step(int step) { step_ = step; }
  // A family's steps are an enum class of its own.
  template <typename Step>
    requires std::is_enum_v<Step>
  void set_step(Step step) {
    step_ = static_cast<int>(step);
  }
  template <typename Step>
    requires std::is_enum_v<Step>
  Step step_as() const {
    return static_cast<Step>(step_);
  }
  OperationParams& params() { return params_[static_cast<std::size_t>(depth_)]; }
  int depth() const { return depth_; }
  void set_end() { end_ = 1; }
  void set_again() { again_ = 1; }
  bool end_flag() const { return end_ != 0; }
  FrameLayer& frames() { return frames_; }
  HandsetInfo& info() { return info_; }
  const HandsetInfo& info() const { return info_; }
  MemoryTable& memory() { return memory_; }

  // -- The running operation's result, told to its completion once, where
  // the operation at the bottom of the stack ends (or the link resets
  // without a reconnect); a refusal is told at once. A family fills in what
  // it did (counts, the closing message) as it goes.
  OperationResult& result() { return result_; }
  // The step ends the operation: the status text (0: none), the progress
  // bar cleared, and the engine moves on (now, unless called from a reply
  // phase: then once the exchange is complete).
  void finish(int text_id = 0);
  // As finish(), the operation failed: the handset refused the step with
  // `code` (-1: none given).
  void finish_failed(int code, int text_id = 0);
  // Refuses a start before it runs: `message` (if any) is shown and the
  // completion told. Always false.
  bool refuse(Completion& done, Refusal why, std::string message = {});
  // Tells a completion a result now (a start with nothing to do is done);
  // the result's message, if any, is shown first.
  void deliver(Completion& done, const OperationResult& result);
  // The step opens its exchange: the resynchronise runs first, then the
  // family goes on at `next_step`.
  void open_exchange(int next_step);
  template <typename Step>
    requires std::is_enum_v<Step>
  void open_exchange(Step next_step) {
    open_exchange(static_cast<int>(next_step));
  }

  // -- Start functions; true when the operation started or was queued.
  // flag 0 starts now, flag 1 queues as the pending operation (false when one
  // is already pending). A model check refuses a model beginning with "5"
  // with "No such function in this phone" (false).
  bool start(const Operation& operation, int flag);
  // Family 4, step 1; sets the connected flag.
  bool start_connect();
  // Family 3, step 1.
  bool start_status_poll(int flag);
  // Family 5 (now only): on cable the wake-up burst first when not nested
  // deeper than one level.
  bool start_resynchronise();

  // -- Command entry points; true when the operation started or was queued.
  // The guard refuses (and tells the completion) a link that is not
  // connected or is busy. A write's confirmation was asked by its starter
  // (link/start_questions.h); a No refuses it without a message.
  bool guard_with_confirmation(const Operation& operation);
  // A read: no confirmation is taken.
  bool guard_without_confirmation(const Operation& operation);
  // Link menu Connect: in Disconnected reset and connect, else "Connecting...".
  bool connect_command();

  // -- Engine routines.
  // Saves (state, step) at the current depth; false (and nothing written)
  // when all ten levels are in use.
  bool push(LinkState state, int step);
  void step_end();
  void operation_end();
  // The link reset (Link menu Reset, Connect): nothing is resumed.
  void reset();
  // The handset stopped answering, or the connect failed: the link reset.
  // With AutoReconnect, an operation that was running reconnects and goes on
  // from the record it had reached, at most kReconnects times; then the link
  // stays Disconnected. A connect the handset answered but the line
  // cut short starts over likewise.
  void link_lost();
  void timer_tick();  // Timer1Timer
  // A step begun over from its start (the connect waking the handset again)
  // has the whole time-out before the link reset.
  void restart_time_out() { ticks_ = 0; }
  // Timer1 runs out after ms instead (no tick counted) and the running
  // family's wait_over() is called; a send restarts the normal time-out.
  void wait_briefly(int ms);

  // -- Connecting.
  // Told of each wake-up and of how the connect ended; null for none.
  void set_connect_listener(ConnectListener* listener) { connect_listener_ = listener; }
  ConnectListener* connect_listener() const { return connect_listener_; }
  // A connect (or a reconnect) runs: the wake-ups, the identification, the
  // memory status and the status poll of the connect.
  bool connecting() const { return connect_running_; }
  // Cancel, Ctrl+C: a connect that runs stops, the port closes, the status
  // reads connect_cancelled_text(); false (nothing done) when none runs.
  bool cancel_connect();
  // The port's device failed (message 1026): the link resets at once without
  // a reconnect and "the device is gone" is shown.
  void device_gone(int error);
  // The connect family: wake-up `attempt` of `attempts` goes out (the status
  // text and the listener).
  void connect_try(int attempt, int attempts);
  // The connect family: the port did not open (it has said why); the link
  // resets.
  void connect_port_failed();
  // The connect family: the handset answered and the connect is done.
  void connect_done();
  void send_phase_dispatch();
  void reply_phase_dispatch(const LinkFrame& frame);

  // -- Showing progress.
  void status_text(const std::string& text);
  void status_text_id(int id);
  void progress_max(int maximum);
  void progress_advance();
  void progress_done();
  void normal_cursor();

  PortOpening open_port_if_closed();

  // -- Inspection.
  int tick_count() const { return ticks_; }
  LinkState pending_state() const { return pending_state_; }
  int pending_step() const { return pending_step_; }
  bool has_pending() const { return pending_state_ != LinkState{0}; }
  int progress_position() const { return progress_position_; }
  int progress_maximum() const { return progress_max_; }

  // FrameEvents.
  void exchange_complete() override;
  void reply_arrived(const LinkFrame& frame) override;
  void retries_exhausted() override;
  void network_details(int mcc, int mnc) override;

 private:
  struct Level {
    LinkState state = LinkState::Disconnected;
    int step = 0;
  };
  // A feature operation cut off by a lost link, to go on after the reconnect.
  struct Resume {
    LinkState state;
    int step;
    OperationParams params;
    int progress_position;
    int progress_maximum;
    std::string status;
    OperationResult result;  // what it had done before the loss
  };

  std::optional<Resume> operation_to_resume() const;
  // A connect (as the command itself) to a handset that has been heard.
  bool connect_answered() const;
  // The link reset; resuming: a reconnect goes on with the running operation.
  void reset_link(bool resuming);
  void lose_link();
  bool answer_may_come_twice() const;

  void set_state(LinkState state);
  FamilyHandler* handler_for(LinkState state) const;
  void keep_stalled_step_timed();
  // The command guard; question: the Yes/No text asked before starting (0: none).
  bool guard(Operation operation);
  bool refused_by_model(Operation& operation);
  // The operation starting at the bottom of the stack takes its completion.
  void begin_running(Operation& operation);
  void deliver_running();

  FrameLayer& frames_;
  Prompt& prompt_;
  LinkObserver& observer_;
  std::array<FamilyHandler*, kLinkStateCount> families_{};
  StatusPollFamily status_poll_;
  ResynchroniseFamily resynchronise_;

  int step_ = 1;
  int end_ = 0;
  int again_ = 0;
  int ticks_ = 0;
  LinkState pending_state_{0};
  int pending_step_ = 0;
  int depth_ = 0;
  std::array<Level, kStackLevels> stack_{};
  // One record per depth 0..10: the running operation's record at depth 10
  // has a place too.
  std::array<OperationParams, kStackLevels + 1> params_{};

  HandsetInfo info_;
  MemoryTable memory_{};
  int progress_position_ = 0;
  int progress_max_ = 100;
  std::string last_status_;

  // The exchange whose step was sent afresh before any reply was taken: the
  // handset may answer both sendings.
  std::optional<std::uint32_t> resent_exchange_;
  std::uint32_t resets_ = 0;
  std::optional<Resume> resume_;  // set while a reconnect is under way
  ConnectListener* connect_listener_ = nullptr;
  bool connect_running_ = false;  // a connect started and has not ended
  int connect_tries_ = 0;
  int connect_attempts_ = 0;
  void report_connect_end(ConnectEnd end);
  bool brief_wait_ = false;  // Timer1 runs for wait_briefly()
  std::uint32_t brief_exchange_ = 0;
  int reconnects_ = 0;

  OperationResult result_;
  Completion running_done_;
  Completion pending_done_;
  bool in_reply_phase_ = false;
};

}  // namespace phondeck
