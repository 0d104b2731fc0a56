#pragma once
// The PC serial port on a POSIX terminal device: exclusive open, raw 8N1,
// DTR/RTS, the bit-rate switch, a reader thread that fills a linear receive
// buffer and wakes the window thread, and writes that return once the bytes
// have left.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "link/link_tap.h"
#include "link/port.h"
#include "platform/port_diagnosis.h"

namespace phondeck {

class Prompt;

class SerialPort final : public LinkPort {
 public:
  static constexpr std::size_t kReceiveSize = 30000;
  static constexpr int kPollBoundMs = 1000;

  // Failures are shown through prompt (from whichever thread meets them);
  // notices 1024 and 1025 go to sink.
  SerialPort(Prompt& prompt, WindowMessageSink& sink);
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Port index 0..7 selects COM1..COM8; any other index COM2.
  void set_port(int index);
  // The device a port index 0..7 opens: COM1 is /dev/ttyS0, COM8 /dev/ttyS7.
  static std::string com_port_device(int index);
  // The port and the device an index selects (COM2, /dev/ttyS1 for any
  // index outside 0..7).
  struct PortNames {
    std::string name;
    std::string device;
  };
  static PortNames port_for_index(int index);
  const std::string& port_name() const { return name_; }
  // Opens this path instead of what the configuration names (empty: back to
  // the configuration).
  void set_device(std::string path) { device_override_ = std::move(path); }
  // The device opened: the path set by set_device, else the configured
  // Device path when it names one, otherwise /dev/ttyS0..7 for COM1..COM8
  // (empty when no port was set).
  std::string device_path() const;

  // Where the machine's folders are (tests: a scratch tree), and whose
  // access the device's mode bits are checked against before the open
  // (tests; by default the kernel decides).
  void set_system_roots(SystemRoots roots) { roots_ = std::move(roots); }
  void set_identity(AccessIdentity who) { identity_ = std::move(who); }
  // Why the last open failed, with the next step (problem None after a
  // good open).
  const PortDiagnosis& last_diagnosis() const { return diagnosis_; }
  // The UUCP lock file this port holds while open ("" for none).
  const std::string& lock_file() const { return uucp_.file(); }

  // 0 on success; otherwise 1..8 as below, already shown to the user:
  // 1 open/lock/purge, 2 and 3 line settings, 4 and 5 read time-outs,
  // 6 reader thread, 8 wake-up descriptor.
  int open() override;
  // Window level: 0 when it opened the port now, 1 when it was open already,
  // otherwise open()'s code.
  int open_if_closed();
  void close() override;
  bool is_open() const override { return open_flag_; }

  void set_bit_rate(int rate) override;
  int bit_rate() const { return bit_rate_; }
  void set_dtr(bool on) override;
  void set_rts(bool on) override;
  void write(const std::uint8_t* bytes, std::size_t count) override;
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override;
  // Set before the port opens; the reader thread tells it too.
  void set_tap(LinkTap* tap) override { tap_ = tap; }

  // The one lock of the port (receive buffer, writes, line controls, bit
  // rate). Exposed so a caller can keep the reader out for a while.
  std::mutex& lock() { return lock_; }
  std::uint32_t write_index() const;
  std::uint32_t read_index() const;
  // True while the reader thread is running (it ends by itself on a read
  // error or a hang-up, leaving the port open but deaf).
  bool reader_running() const { return reader_running_; }

 private:
  void report(const char* text, int error) const;
  void tell(TapKind kind, const std::string& text) const;
  // An open-time failure: the text with the diagnosis's advice.
  void report_open(const char* text, int error);
  void reader();
  bool apply_line_settings(int rate);
  void modem_line(unsigned long request, int bits);
  bool wait_writable(std::int64_t deadline_ms);
  void stop_reader();

  Prompt& prompt_;
  WindowMessageSink& sink_;
  LinkTap* tap_ = nullptr;
  bool dtr_ = false;  // the line controls as last set, told when they change
  bool rts_ = false;
  std::string name_;
  std::string device_override_;
  std::string opened_path_;  // the device the last open tried
  SystemRoots roots_;
  std::optional<AccessIdentity> identity_;
  PortDiagnosis diagnosis_;
  UucpLock uucp_;

  int fd_ = -1;
  bool exclusive_ = false;  // this port holds the line's lock
  int wake_[2] = {-1, -1};
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> reader_running_{false};
  bool open_flag_ = false;
  int bit_rate_ = 9600;

  mutable std::mutex lock_;
  std::uint8_t receive_[kReceiveSize];
  std::uint32_t write_index_ = 0;
  std::uint32_t read_index_ = 0;
};

}  // namespace phondeck
