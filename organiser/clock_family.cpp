#include "organiser/clock_family.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <vector>

#include "app/text_table.h"
#include "link/clock.h"
#include "link/message_types.h"
#include "link/operation_engine.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypeClock = kMsgClock;
constexpr std::uint8_t kTypeKey = kMsgKeypress;
constexpr int kSubTime = 0x63;
constexpr int kAlarmOn = 2;
constexpr int kKeyPress = 1;
constexpr int kKeyRelease = 2;

constexpr int kTextWriteTimeProcessing = 3032;
constexpr int kTextWriteTimeCompleted = 3033;
constexpr int kTextReadAlarmProcessing = 3034;
constexpr int kTextReadAlarmCompleted = 3035;
constexpr int kTextWriteAlarmProcessing = 3036;
constexpr int kTextWriteAlarmCompleted = 3037;
constexpr int kTextReadTimeProcessing = 3060;
constexpr int kTextReadTimeCompleted = 3061;
constexpr int kTextWriteAlarmFailed = 3694;
constexpr int kTextAlarmStillOn = 3695;

constexpr int kKeyRequests = 2 * static_cast<int>(std::size(ClockFamily::kAlarmOffKeys));

using Step = ClockFamily::Step;

bool start_at(OperationEngine& engine, Step step, bool confirm, StartOptions options, OperationParams params = {}) {
  Operation op;
  op.family = LinkState::Clock;
  op.step = static_cast<int>(step);
  op.params = params;
  op.with(std::move(options));
  return confirm ? engine.guard_with_confirmation(op) : engine.guard_without_confirmation(op);
}

std::uint8_t byte_of(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

LocalTime system_local_time() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool start_write_time(OperationEngine& engine, StartOptions options) {
  return start_at(engine, Step::OpenWriteTime, false, std::move(options));
}
bool start_read_time(OperationEngine& engine, StartOptions options) {
  return start_at(engine, Step::OpenReadTime, false, std::move(options));
}
bool start_read_alarm(OperationEngine& engine, StartOptions options) {
  return start_at(engine, Step::OpenReadAlarm, false, std::move(options));
}

bool start_write_alarm(OperationEngine& engine, bool enabled, int hour, int minute, StartOptions options) {
  OperationParams params;
  ClockParams p(params);
  p.set_time(std::clamp(hour, 0, 23), std::clamp(minute, 0, 59));
  p.set_key(0);
  return start_at(engine, enabled ? Step::OpenWriteAlarm : Step::OpenAlarmOff, true, std::move(options),
                  params);
}

void ClockFamily::send_phase(OperationEngine& engine) {
  const Step step = engine.step_as<Step>();
  ClockParams p(engine.params());
  switch (step) {
    case Step::OpenWriteTime:
    case Step::OpenReadAlarm:
    case Step::OpenWriteAlarm:
    case Step::OpenAlarmOff:
    case Step::OpenReadTime:
      engine.open_exchange(static_cast<int>(step) + 1);
      return;
    case Step::SendTime: {
      engine.status_text_id(kTextWriteTimeProcessing);
      const LocalTime t = now_();
      const int year = std::clamp(t.year, 0, 0xFFFF);
      const std::array<std::uint8_t, 14> request{
          0x00, 0x01, 0x00, 0x60, 0x01, 0x01, 0x07, static_cast<std::uint8_t>(year >> 8),
          static_cast<std::uint8_t>(year & 0xFF), byte_of(t.month), byte_of(t.day), byte_of(t.hour),
          byte_of(t.minute), byte_of(t.second)};
      engine.frames().send_request(kTypeClock, request, 1);
      return;
    }
    case Step::AskAlarm: {
      engine.status_text_id(kTextReadAlarmProcessing);
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x00, 0x6D};
      engine.frames().send_request(kTypeClock, request, 1);
      return;
    }
    case Step::SendAlarm: {
      engine.status_text_id(kTextWriteAlarmProcessing);
      const std::array<std::uint8_t, 10> request{0x00, 0x01, 0x00, 0x6B, 0x01, 0x20, 0x03, 0x02,
                                                  byte_of(p.hour()), byte_of(p.minute())};
      engine.frames().send_request(kTypeClock, request, 1);
      return;
    }
    case Step::PressKeys:
      send_key(engine);
      return;
    case Step::ReadBackAlarm: {
      // What the keys did shows only in the alarm the handset reports.
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x00, 0x6D};
      engine.frames().send_request(kTypeClock, request, 1);
      return;
    }
    case Step::AskTime: {
      engine.status_text_id(kTextReadTimeProcessing);
      const std::array<std::uint8_t, 4> request{0x00, 0x01, 0x00, 0x62};
      engine.frames().send_request(kTypeClock, request, 1);
      return;
    }
  }
}

// One press or release a send phase; each is done once the handset has
// acknowledged it (no reply is awaited). One given up unacknowledged is sent
// again; after a reconnect the sequence starts over, as the handset's menu
// may be anywhere by then.
void ClockFamily::send_key(OperationEngine& engine) {
  ClockParams p(engine.params());
  if (keys_cut_) {
    keys_cut_ = false;
    p.set_key(0);
  } else if (p.key() > 0 && engine.frames().flags().ack_received == 0) {
    p.set_key(p.key() - 1);
  }
  const int k = p.key();
  if (k == 0) engine.status_text_id(kTextWriteAlarmProcessing);
  if (k >= kKeyRequests) {
    engine.frames().clock().sleep_ms(kKeyPauseMs);
    engine.set_step(Step::ReadBackAlarm);
    engine.set_again();
    return;
  }
  if (k == kKeyRequests - 2) engine.frames().clock().sleep_ms(kKeyPauseMs);
  const int key = kAlarmOffKeys[k / 2];
  const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x42,
                                             static_cast<std::uint8_t>(k % 2 == 0 ? kKeyPress : kKeyRelease),
                                             static_cast<std::uint8_t>(key)};
  p.set_key(k + 1);
  engine.frames().send_request(kTypeKey, request, 0);
}

bool ClockFamily::take_alarm(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.data_length() < 11) return false;
  engine.frames().acknowledge(kTypeClock);
  alarm_.enabled = frame.data(8) == kAlarmOn;
  alarm_.hour = frame.data(9);
  alarm_.minute = frame.data(10);
  return true;
}

void ClockFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypeClock) return;
  switch (engine.step_as<Step>()) {
    case Step::SendTime:
      engine.frames().acknowledge(kTypeClock);
      engine.finish(kTextWriteTimeCompleted);
      return;
    case Step::AskAlarm:
      if (!take_alarm(engine, frame)) return;
      engine.finish(kTextReadAlarmCompleted);
      if (refresh_) refresh_();
      return;
    case Step::SendAlarm:
      engine.frames().acknowledge(kTypeClock);
      engine.finish(kTextWriteAlarmCompleted);
      return;
    case Step::ReadBackAlarm:
      if (!take_alarm(engine, frame)) return;
      if (alarm_.enabled) {
        // The keys went in but did not switch it off: no code of the
        // handset's, only the alarm it reports.
        engine.result().message = tx(kTextAlarmStillOn);
        engine.finish_failed(-1, kTextWriteAlarmFailed);
      } else {
        engine.finish(kTextWriteAlarmCompleted);
      }
      if (refresh_) refresh_();
      return;
    case Step::AskTime:
      if (frame.sub_type() != kSubTime || frame.data_length() < 15) return;
      engine.frames().acknowledge(kTypeClock);
      clock_.read = true;
      clock_.date_set = frame.data(5) == 0x01;
      clock_.time = {frame.data(8) << 8 | frame.data(9), frame.data(10), frame.data(11),
                     frame.data(12), frame.data(13), frame.data(14)};
      engine.finish(kTextReadTimeCompleted);
      if (refresh_) refresh_();
      return;
    default:
      return;
  }
}

}  // namespace phondeck
