#pragma once
// The clock family (link state 11): Write time (steps 11..12) sets the
// handset's clock from the computer's, Read alarm (21..22) and Write alarm
// (31..32) get and set the daily diary alarm, Switch alarm off (41..43)
// works the handset's keypad and reads the alarm back, done only when the
// handset reports it off, and Read time (51..52) gets its clock.
#include <functional>

#include "link/family_handler.h"

namespace phondeck {

// A moment of the computer's local clock, to the second.
struct LocalTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const LocalTime&) const = default;
};
LocalTime system_local_time();

// The daily alarm as the handset last reported it.
struct DiaryAlarm {
  bool enabled = false;
  int hour = 0;
  int minute = 0;
};

// The handset's clock as it last reported it.
struct HandsetClock {
  bool read = false;      // a reply has arrived
  bool date_set = false;  // the handset's date and time have been set
  LocalTime time;
};

// The engine's parameters as the clock operations use them.
class ClockParams {
 public:
  explicit ClockParams(OperationParams& params) : p_(params) {}
  // The alarm time to write (p0, p1).
  int hour() const { return p_.p0; }
  int minute() const { return p_.p1; }
  void set_time(int hour, int minute) {
    p_.p0 = hour;
    p_.p1 = minute;
  }
  // The next key request of Switch alarm off (p2).
  int key() const { return p_.p2; }
  void set_key(int key) { p_.p2 = key; }

 private:
  OperationParams& p_;
};

// Start functions; false when nothing started (or was queued).
bool start_write_time(OperationEngine& engine, StartOptions options = {});  // read guard
bool start_read_time(OperationEngine& engine, StartOptions options = {});   // read guard
bool start_read_alarm(OperationEngine& engine, StartOptions options = {});  // read guard
// Enabled: Write alarm at hour:minute (clamped), else Switch alarm off; both
// through the guard with confirmation. Switch alarm off fails at its
// read-back when the handset still reports the alarm on.
bool start_write_alarm(OperationEngine& engine, bool enabled, int hour, int minute, StartOptions options = {});

class ClockFamily final : public FamilyHandler {
 public:
  // Each opens its exchange at its first step and sends at the next.
  enum class Step : int {
    OpenWriteTime = 11,
    SendTime = 12,
    OpenReadAlarm = 21,
    AskAlarm = 22,
    OpenWriteAlarm = 31,
    SendAlarm = 32,
    OpenAlarmOff = 41,
    PressKeys = 42,
    ReadBackAlarm = 43,
    OpenReadTime = 51,
    AskTime = 52,
  };
  // The keys Switch alarm off presses and releases, in order; a pause of
  // kKeyPauseMs comes before the last, and another before the read-back.
  static constexpr int kAlarmOffKeys[] = {15, 25, 4, 1, 2, 15};
  static constexpr int kKeyPauseMs = 100;

  // now: the computer's local clock (the system's by default).
  explicit ClockFamily(std::function<LocalTime()> now = system_local_time) : now_(std::move(now)) {}
  void set_now(std::function<LocalTime()> now) { now_ = std::move(now); }
  // Told when an alarm or clock reply has been stored.
  void set_refresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }

  const DiaryAlarm& alarm() const { return alarm_; }
  const HandsetClock& clock() const { return clock_; }

  void send_phase(OperationEngine& engine) override;
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override;
  void link_reset() override { keys_cut_ = true; }

 private:
  void send_key(OperationEngine& engine);
  // Stores the alarm of a reply to the alarm request; false if it holds none.
  bool take_alarm(OperationEngine& engine, const LinkFrame& frame);

  std::function<LocalTime()> now_;
  std::function<void()> refresh_;
  DiaryAlarm alarm_;
  HandsetClock clock_;
  bool keys_cut_ = false;  // a link reset came since the keys began
};

}  // namespace phondeck
