#pragma once
// The search for the handset: each serial device is tried with the cable
// and with the infrared adapter (at most try_ms each, on the loop's clock)
// through a session of its own, and reported as answered (model, IMEI,
// media), silent, busy (by whom), not permitted (why), not a serial port or
// gone. phondeck probe and the Options dialog's Search wrap it.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/clock.h"
#include "link/port.h"
#include "platform/port_diagnosis.h"
#include "platform/serial_devices.h"

namespace phondeck {

enum class ProbeOutcome { Answered, Silent, Busy, NotPermitted, NotSerial, Gone };

struct ProbeResult {
  std::string device;   // as given (a by-id link stays one)
  SerialDevice what;    // what the device is
  ProbeOutcome outcome = ProbeOutcome::Silent;
  int media = -1;       // Answered: the configuration's Type, 0 infrared, 1 cable
  std::string model;    // Answered: "6110"
  std::string imei;
  std::string reason;   // Busy, NotPermitted, NotSerial, Gone: why, in short
  std::int64_t ms = 0;  // clock time the device took
};

// The outcome as the table shows it (texts 3120..3125).
std::string probe_outcome_text(ProbeOutcome outcome);
// The last column: "6110, IMEI 490518..., Cable", or the reason.
std::string probe_detail_text(const ProbeResult& result);

// The loop the probe's sessions run on: the caller's event loop (phondeck's,
// a worker thread's in the window, a test's on scaled time).
class ProbeLoop {
 public:
  virtual ~ProbeLoop() = default;
  virtual Clock& clock() = 0;
  virtual WindowMessageSink& sink() = 0;
  virtual Timer& timer() = 0;
  // Where the loop hands posted messages and the timer's expiries.
  virtual void set_handlers(std::function<void(int, std::uint32_t)> message, std::function<void()> expiry) = 0;
  // Runs until done() (true) or max_ms of clock time (false).
  virtual bool run_until(const std::function<bool()>& done, std::int64_t max_ms) = 0;
};

struct ProbeOptions {
  std::int64_t try_ms = 3000;  // per device and media
  SystemRoots roots;
  std::optional<AccessIdentity> identity;  // tests: whose mode bits
  // Told before and after each device; the search stops early when
  // cancelled() holds.
  std::function<void(const std::string&)> on_start;
  std::function<void(const ProbeResult&)> on_result;
  std::function<bool()> cancelled;
};

class HandsetProbe {
 public:
  explicit HandsetProbe(ProbeLoop& loop, ProbeOptions options = {});
  // Tries each device in turn; every serial device of the machine when
  // `devices` is empty.
  std::vector<ProbeResult> run(const std::vector<std::string>& devices);
  ProbeResult probe(const std::string& device);

 private:
  // One media: Answered, Silent, or what stopped the open.
  ProbeResult try_media(const std::string& device, int media);

  ProbeLoop& loop_;
  ProbeOptions options_;
};

// The first answered result, if any.
const ProbeResult* first_answered(const std::vector<ProbeResult>& results);

// "Use this one" (phondeck probe --save): Device= and Type= of an answered
// result into the tv.dat at `path`, the rest of the file kept; the text
// to show (3144 saved, 3145 not written) and whether it was written.
bool save_found_device(const ProbeResult& result, const std::string& path, std::string& said);

}  // namespace phondeck
