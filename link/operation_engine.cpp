#include "link/operation_engine.h"

#include <utility>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/clock.h"
#include "link/port.h"

namespace phondeck {
namespace {

constexpr int kTextDisconnected = 3000;
constexpr int kTextBusy = 3100;
constexpr int kTextConnectFirst = 3101;
constexpr int kTextConnecting = 3102;
constexpr int kTextNoSuchFunction = 3408;

bool is_family_state(LinkState state) {
  return state != LinkState::Disconnected && state != LinkState::Idle;
}

// The operations a user command starts (families 7 to 11).
bool is_feature_state(LinkState state) { return state >= LinkState::Messages; }

}  // namespace

OperationEngine::OperationEngine(FrameLayer& frames, Prompt& prompt, LinkObserver& observer)
    : frames_(frames), prompt_(prompt), observer_(observer) {
  frames_.set_events(this);
  families_[static_cast<std::size_t>(LinkState::StatusPoll)] = &status_poll_;
  families_[static_cast<std::size_t>(LinkState::Resynchronise)] = &resynchronise_;
}

OperationEngine::~OperationEngine() { frames_.set_events(nullptr); }

void OperationEngine::register_family(LinkState state, FamilyHandler* handler) {
  const auto index = static_cast<std::size_t>(state);
  if (index < families_.size()) families_[index] = handler;
}

void OperationEngine::unregister_family(LinkState state, FamilyHandler* handler) {
  const auto index = static_cast<std::size_t>(state);
  if (index < families_.size() && families_[index] == handler) families_[index] = nullptr;
}

FamilyHandler* OperationEngine::handler_for(LinkState state) const {
  switch (state) {
    case LinkState::Disconnected:
    case LinkState::Idle:
    case LinkState::Unused:
      return nullptr;
    default:
      break;
  }
  const auto index = static_cast<std::size_t>(state);
  return index < families_.size() ? families_[index] : nullptr;
}

void OperationEngine::set_state(LinkState state) {
  LinkFlags& flags = frames_.flags();
  if (flags.link_state == state) return;
  flags.link_state = state;
  observer_.link_state_changed(state);
}

// ---- start functions ----

bool OperationEngine::refused_by_model(Operation& operation) {
  if (!operation.model_check || !info_.model_lacks_features()) return false;
  refuse(operation.done, Refusal::NoSuchFunction, tx(kTextNoSuchFunction));
  return true;
}

bool OperationEngine::refuse(Completion& done, Refusal why, std::string message) {
  OperationResult result = OperationResult::refused(why, std::move(message));
  deliver(done, result);
  return false;
}

void OperationEngine::begin_running(Operation& operation) {
  running_done_ = std::move(operation.done);
  result_ = OperationResult{};
  result_.family = operation.family;
}

bool OperationEngine::start(const Operation& requested, int flag) {
  Operation operation = requested;
  if (refused_by_model(operation)) return 0;
  if (flag == 0) {
    if (operation.params) params() = *operation.params;
    if (depth_ == 0) begin_running(operation);
    step_ = operation.step;
    set_state(operation.family);
    send_phase_dispatch();
    return 1;
  }
  if (has_pending()) return 0;
  if (operation.params) params() = *operation.params;
  pending_state_ = operation.family;
  pending_step_ = operation.step;
  pending_done_ = std::move(operation.done);
  return 1;
}

bool OperationEngine::start_connect() {
  connect_running_ = true;
  connect_tries_ = 0;
  connect_attempts_ = 0;
  frames_.flags().connected = 1;
  frames_.flags().heard = 0;
  step_ = 1;
  set_state(LinkState::Connecting);
  send_phase_dispatch();
  return 1;
}

bool OperationEngine::start_status_poll(int flag) {
  return start(Operation{LinkState::StatusPoll, 1, std::nullopt, false, {}, std::nullopt}, flag);
}

bool OperationEngine::start_resynchronise() {
  if (frames_.on_cable() && depth_ < 2) frames_.sync_burst(config().CableOption);
  step_ = ResynchroniseFamily::kStepOpen;
  set_state(LinkState::Resynchronise);
  send_phase_dispatch();
  return 1;
}

// ---- command entry points ----

bool OperationEngine::guard(Operation operation) {
  const LinkState current = state();
  if (current == LinkState::Disconnected || current == LinkState::Connecting) {
    return refuse(operation.done, Refusal::NotConnected, tx(kTextConnectFirst));
  }
  if (current != LinkState::Idle && current != LinkState::StatusPoll) {
    return refuse(operation.done, Refusal::Busy, tx(kTextBusy));
  }
  // The starter asked before the start (link/start_questions.h).
  if (operation.confirmed && !*operation.confirmed) return refuse(operation.done, Refusal::UserSaidNo);
  if (current == LinkState::Idle) return start(operation, 0);
  if (has_pending()) return refuse(operation.done, Refusal::Busy, tx(kTextBusy));
  return start(operation, 1);
}

bool OperationEngine::guard_with_confirmation(const Operation& operation) { return guard(operation); }

bool OperationEngine::guard_without_confirmation(const Operation& operation) {
  Operation read = operation;
  read.confirmed.reset();
  return guard(std::move(read));
}

bool OperationEngine::connect_command() {
  if (state() != LinkState::Disconnected) {
    prompt_.message(tx(kTextConnecting));
    return 0;
  }
  reset();
  return start_connect();
}

// ---- engine routines ----

bool OperationEngine::push(LinkState state, int step) {
  if (depth_ < 0 || depth_ >= kStackLevels) return 0;
  stack_[static_cast<std::size_t>(depth_)] = Level{state, step};
  ++depth_;
  return 1;
}

void OperationEngine::send_phase_dispatch() {
  FamilyHandler* handler = handler_for(state());
  if (handler == nullptr) return;
  const bool replying = std::exchange(in_reply_phase_, false);
  handler->send_phase(*this);
  in_reply_phase_ = replying;
}

void OperationEngine::reply_phase_dispatch(const LinkFrame& frame) {
  FamilyHandler* handler = handler_for(state());
  if (handler == nullptr) return;
  const bool replying = std::exchange(in_reply_phase_, true);
  handler->reply_phase(*this, frame);
  in_reply_phase_ = replying;
}

void OperationEngine::finish(int text_id) {
  if (text_id != 0) status_text_id(text_id);
  progress_done();
  set_end();
  if (!in_reply_phase_) step_end();
}

void OperationEngine::finish_failed(int code, int text_id) {
  result_.ending = Ending::Failed;
  result_.code = code;
  result_.step = step_;
  finish(text_id);
}

void OperationEngine::open_exchange(int next_step) {
  push(state(), next_step);
  start_resynchronise();
}

void OperationEngine::deliver(Completion& done, const OperationResult& result) {
  if (!result.message.empty()) prompt_.message(result.message);
  if (!done) return;
  // Moved out first: the completion may start the next operation.
  Completion call = std::move(done);
  done = nullptr;
  call(result);
}

void OperationEngine::deliver_running() {
  const OperationResult result = std::exchange(result_, OperationResult{});
  deliver(running_done_, result);
}

void OperationEngine::step_end() {
  frames_.flags().retry = 0;
  if (end_) {
    do {
      end_ = 0;
      operation_end();
    } while (end_);
  } else {
    again_ = 1;
    do {
      again_ = 0;
      send_phase_dispatch();
    } while (again_);
  }
  keep_stalled_step_timed();
}

// A step that sent nothing (waiting for the next frame of a long reply, or a
// family with nothing it can send) still runs under the time-out, so a lost
// frame ends in a link reset instead of a link that stays busy for good.
void OperationEngine::keep_stalled_step_timed() {
  Timer& timer = frames_.timer();
  if (is_family_state(state()) && !timer.running()) timer.start(FrameLayer::kTimerMs);
}

void OperationEngine::operation_end() {
  if (depth_ > 0) {
    --depth_;
    const Level& level = stack_[static_cast<std::size_t>(depth_)];
    step_ = level.step;
    set_state(level.state);
    send_phase_dispatch();
    return;
  }
  if (has_pending()) {
    const LinkState next = pending_state_;
    step_ = pending_step_;
    pending_state_ = LinkState{0};
    Completion ended = std::move(running_done_);
    const OperationResult ended_result = result_;
    running_done_ = std::move(pending_done_);
    pending_done_ = nullptr;
    if (resume_) {
      // Reconnected: the operation goes on where the lost link left it,
      // with what it had done so far.
      if (!resume_->status.empty()) status_text(resume_->status);
      progress_position_ = resume_->progress_position;
      progress_max(resume_->progress_maximum);
      result_ = resume_->result;
      resume_.reset();
    } else {
      result_ = OperationResult{};
      result_.family = next;
    }
    set_state(next);
    // The operation that ended before the queued one (a status poll has none).
    deliver(ended, ended_result);
    send_phase_dispatch();
    return;
  }
  reconnects_ = 0;
  normal_cursor();
  set_state(LinkState::Idle);
  step_ = 1;
  deliver_running();
}

std::optional<OperationEngine::Resume> OperationEngine::operation_to_resume() const {
  if (resume_) return resume_;  // lost again while reconnecting
  // The operation at the bottom of the stack is the one the user started.
  const Level running = depth_ > 0 ? stack_[0] : Level{state(), step_};
  if (!is_feature_state(running.state)) return std::nullopt;
  return Resume{running.state, running.step, params_[0], progress_position_, progress_max_, last_status_, result_};
}

bool OperationEngine::connect_answered() const {
  const Level bottom = depth_ > 0 ? stack_[0] : Level{state(), step_};
  return bottom.state == LinkState::Connecting && frames_.flags().heard != 0;
}

void OperationEngine::link_lost() {
  const bool was_connecting = connect_running_;
  lose_link();
  // No reconnect took the connect up again: it is over, unanswered.
  if (was_connecting && connect_running_ && state() == LinkState::Disconnected) {
    report_connect_end(ConnectEnd::NoAnswer);
  }
}

void OperationEngine::lose_link() {
  const std::optional<Resume> resume = operation_to_resume();
  const int reconnects = reconnects_;
  const bool again = config().AutoReconnect != 0 && reconnects < kReconnects;
  if (LinkTap* tap = frames_.tap()) {
    const LinkState bottom = depth_ > 0 ? stack_[0].state : state();
    tap->event(TapKind::Lost, bottom == LinkState::Connecting
                                  ? "no handset answered the connect"
                                  : "the handset stopped answering (no exchange completed in time)");
    if (again && (resume || connect_answered()))
      tap->event(TapKind::Engine, "reconnecting (" + std::to_string(reconnects + 1) + " of " +
                                      std::to_string(kReconnects) + ")");
  }
  if (!resume && again && connect_answered()) {
    // The handset answered, but the line cut the connect short: it starts
    // over from the wake-up.
    reset_link(true);
    reconnects_ = reconnects + 1;
    start_connect();
    return;
  }
  const bool resuming = resume && again;
  reset_link(resuming);
  if (!resuming) return;
  reconnects_ = reconnects + 1;
  resume_ = resume;
  // The completion waits for the resumed operation.
  if (running_done_) pending_done_ = std::move(running_done_);
  running_done_ = nullptr;
  // The connect runs at depth 0 without touching the bottom parameter
  // record, and starts the operation as its pending one when it ends.
  params_[0] = resume->params;
  pending_state_ = resume->state;
  pending_step_ = resume->step;
  start_connect();
}

void OperationEngine::reset() {
  const bool was_connecting = connect_running_;
  reset_link(false);
  if (was_connecting) report_connect_end(ConnectEnd::Cancelled);
}

bool OperationEngine::cancel_connect() {
  if (!connect_running_) return false;
  reset_link(false);
  status_text(connect_cancelled_text());
  report_connect_end(ConnectEnd::Cancelled);
  return true;
}

void OperationEngine::device_gone(int /*error*/) {
  if (state() == LinkState::Disconnected && !frames_.port().is_open()) return;
  const std::string text = device_gone_text(frames_.port().device_name());
  const bool was_connecting = connect_running_;
  // Nothing is tried again: the device is not there to answer.
  reset_link(false);
  status_text(text);
  if (was_connecting) report_connect_end(ConnectEnd::DeviceGone);
  prompt_.message(text);
}

void OperationEngine::connect_try(int attempt, int attempts) {
  connect_tries_ = attempt;
  connect_attempts_ = attempts;
  const std::string text = waking_text(attempt, attempts);
  status_text(text);
  if (connect_listener_ != nullptr) connect_listener_->connect_progress(attempt, attempts, text);
}

void OperationEngine::connect_port_failed() {
  reset_link(false);
  report_connect_end(ConnectEnd::PortFailed);
}

void OperationEngine::connect_done() { report_connect_end(ConnectEnd::Connected); }

void OperationEngine::report_connect_end(ConnectEnd end) {
  if (!connect_running_) return;
  connect_running_ = false;
  if (connect_listener_ == nullptr) return;
  ConnectOutcome outcome;
  outcome.end = end;
  outcome.device = frames_.port().device_name();
  outcome.cable = frames_.on_cable();
  outcome.tries = connect_tries_;
  outcome.attempts = connect_attempts_;
  connect_listener_->connect_ended(outcome);
}

void OperationEngine::wait_briefly(int ms) {
  brief_wait_ = true;
  brief_exchange_ = frames_.exchange_number();
  frames_.timer().start(ms);
}

void OperationEngine::reset_link(bool resuming) {
  const std::optional<Resume> running = resuming ? std::nullopt : operation_to_resume();
  // A reconnect under way holds the cut-off operation's completion as the
  // pending one.
  const bool reconnecting = resume_.has_value();
  const LinkState queued = pending_state_;
  const bool was_up = state() != LinkState::Disconnected;
  Timer& timer = frames_.timer();
  timer.stop();
  brief_wait_ = false;
  ticks_ = 0;
  for (MemoryStatus& memory : memory_) memory.capacity = 200;
  for (FamilyHandler* family : families_) {
    if (family != nullptr) family->link_reset();
  }
  LinkFlags& flags = frames_.flags();
  flags.connected = 0;
  frames_.reset();
  set_state(LinkState::Disconnected);
  pending_state_ = LinkState{0};
  pending_step_ = 0;
  depth_ = 0;
  flags.retry = 0;
  end_ = 0;
  again_ = 0;
  resent_exchange_.reset();
  resume_.reset();
  reconnects_ = 0;
  ++resets_;
  progress_done();
  status_text_id(kTextDisconnected);
  info_.clear_texts_and_network();
  normal_cursor();
  if (LinkTap* tap = frames_.tap(); tap != nullptr && was_up) tap->event(TapKind::Reset, "Disconnected");
  frames_.port().close();
  if (resuming) return;
  OperationResult lost = running ? running->result : result_;
  lost.ending = Ending::LinkLost;
  if (running) {
    lost.family = running->state;
    lost.step = running->step;
    if (FamilyHandler* handler = handler_for(running->state)) handler->operation_abandoned(lost);
  }
  result_ = OperationResult{};
  if (reconnecting && !running_done_) std::swap(running_done_, pending_done_);
  Completion running_done = std::move(running_done_);
  Completion pending_done = std::move(pending_done_);
  running_done_ = nullptr;
  pending_done_ = nullptr;
  if (running_done) {
    deliver(running_done, lost);
  } else if (!lost.message.empty()) {
    prompt_.message(lost.message);
  }
  if (pending_done) {
    // The queued operation never ran: lost before its first step.
    OperationResult never;
    never.ending = Ending::LinkLost;
    never.family = queued;
    deliver(pending_done, never);
  }
}

void OperationEngine::timer_tick() {
  Timer& timer = frames_.timer();
  if (brief_wait_) {
    brief_wait_ = false;
    // Nothing was sent since: the expiry is the family's short wait, not a
    // time-out (a send would have restarted Timer1 for its time-out).
    if (frames_.exchange_number() == brief_exchange_) {
      timer.start(FrameLayer::kTimerMs);
      if (FamilyHandler* handler = handler_for(state())) handler->wait_over(*this);
      return;
    }
  }
  timer.stop();
  ++ticks_;
  if (ticks_ >= kTicksBeforeReset) {
    link_lost();
    return;
  }
  if (ticks_ < kFirstRetransmitTick) {
    timer.start(FrameLayer::kTimerMs);
    return;
  }
  if (frames_.flags().exchange_done()) {
    if (state() == LinkState::Idle) {
      step_ = 1;
      set_state(LinkState::StatusPoll);
      send_phase_dispatch();
    } else if (is_family_state(state())) {
      // A stalled step: keep counting towards the reset.
      timer.start(FrameLayer::kTimerMs);
    }
    return;
  }
  timer.start(FrameLayer::kTimerMs);
  frames_.retransmit();
}

// ---- frame layer events ----

bool OperationEngine::answer_may_come_twice() const {
  return resent_exchange_ && *resent_exchange_ == frames_.exchange_number();
}

void OperationEngine::exchange_complete() {
  frames_.timer().stop();
  brief_wait_ = false;
  ticks_ = 0;
  // A step of the operation itself got through (not one of a sub-operation,
  // nor of a reconnect): a later loss has its own reconnects.
  if (depth_ == 0 && is_feature_state(state())) reconnects_ = 0;
  const bool twice = answer_may_come_twice();
  resent_exchange_.reset();
  if (twice && !end_ && is_family_state(state()) && push(state(), step_)) {
    // The handset may still owe its answer to the first sending of the step,
    // which the next step would take for its own. Flush it out first.
    frames_.flags().retry = 0;
    step_ = ResynchroniseFamily::kStepFlush;
    set_state(LinkState::Resynchronise);
    send_phase_dispatch();
    keep_stalled_step_timed();
    return;
  }
  step_end();
}

void OperationEngine::reply_arrived(const LinkFrame& frame) {
  // A reply carries nothing that names its request. Once the step's
  // answer is taken, a second one can only answer the other sending of the
  // same step.
  if (answer_may_come_twice() && frames_.flags().reply_count > 0) {
    frames_.drop_reply(frame.type());
    return;
  }
  reply_phase_dispatch(frame);
}

void OperationEngine::retries_exhausted() {
  // Sent afresh under a new sequence byte before any reply was taken: the
  // handset may have had the first sending too and answer both.
  const bool unanswered = frames_.flags().reply_count == 0;
  const std::uint32_t before = frames_.exchange_number();
  const std::uint32_t resets = resets_;
  if (LinkTap* tap = frames_.tap()) tap->event(TapKind::Engine, "no answer to 2 retransmissions: the step is sent afresh");
  step_end();
  if (unanswered && resets == resets_ && frames_.exchange_number() != before) {
    resent_exchange_ = frames_.exchange_number();
  }
}

void OperationEngine::network_details(int mcc, int mnc) {
  info_.mcc = mcc;
  info_.mnc = mnc;
  observer_.network_details(mcc, mnc);
}

// ---- progress ----

void OperationEngine::status_text(const std::string& text) {
  last_status_ = text;
  observer_.show_status(text);
}

void OperationEngine::status_text_id(int id) { status_text(tx(id)); }

void OperationEngine::progress_max(int maximum) {
  progress_max_ = maximum;
  observer_.progress(progress_position_, progress_max_);
}

void OperationEngine::progress_advance() {
  ++progress_position_;
  observer_.progress(progress_position_, progress_max_);
}

void OperationEngine::progress_done() {
  progress_position_ = 0;
  observer_.progress(progress_position_, progress_max_);
}

void OperationEngine::normal_cursor() { observer_.normal_cursor(); }

PortOpening OperationEngine::open_port_if_closed() {
  LinkPort& port = frames_.port();
  if (port.is_open()) return PortOpening::AlreadyOpen;
  return port.open() == 0 ? PortOpening::OpenedNow : PortOpening::Failed;
}

}  // namespace phondeck
