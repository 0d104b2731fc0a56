#pragma once
// The serial devices of this machine and what each is: ttyS* with a real
// UART, ttyUSB*, ttyACM* and the /dev/serial/by-id links, with the USB
// vendor:product, the chip's product string and the driver from sysfs; and
// the processes that hold a device open (from /proc/*/fd). The roots are
// injectable so that tests work on a scratch tree.
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace phondeck {

struct SystemRoots {
  std::string dev = "/dev";
  std::string sys = "/sys";
  std::string proc = "/proc";
  // UUCP lock folders, looked at in this order; the first one writable
  // takes our own lock.
  std::vector<std::string> lock_dirs{"/run/lock", "/var/lock"};
  bool real() const { return proc == "/proc"; }
};

struct SerialDevice {
  std::string path;          // /dev/ttyUSB0
  std::string name;          // ttyUSB0
  std::vector<std::string> by_id;  // /dev/serial/by-id/usb-... links to it
  std::string usb_id;        // "067b:2303", empty for no USB device
  std::string product;       // manufacturer and product strings, as sysfs has them
  std::string driver;        // "pl2303", "cdc_acm", "serial8250"
  std::string uart;          // ttyS*: "16550A", from sysfs's type
  // "Prolific Technology Inc. USB-Serial Controller (067b:2303, pl2303)";
  // "serial port (16550A)" for a UART; empty when nothing is known.
  std::string what() const;
  // "/dev/ttyUSB0: <what>" and the first by-id link.
  std::string line() const;
};

// Every serial device that exists, in name order (ttyACM*, ttyS*, ttyUSB*):
// ttyS* only with a real UART (sysfs type not 0, else TIOCGSERIAL), the
// others as they are.
std::vector<SerialDevice> serial_devices(const SystemRoots& roots = {});

// What `path` is: a by-id link or any other link to a device is followed;
// the device found among serial_devices(), else what sysfs says of its name.
SerialDevice describe_device(const std::string& path, const SystemRoots& roots = {});

// The list for a message: one device a line (line()), or the text of id
// 3104 when there is none.
std::string serial_devices_text(const std::vector<SerialDevice>& devices);

struct ProcessInfo {
  pid_t pid = 0;
  std::string name;  // /proc/PID/comm
  // "ModemManager (pid 812)"
  std::string text() const;
};

// Whether process `pid` lives (kill 0 on the real /proc, its folder on a
// scratch tree), and its name.
bool process_alive(pid_t pid, const SystemRoots& roots, std::string* name = nullptr);

// Processes with `path` (or the device it names) open; this process's
// descriptor own_fd (the open being diagnosed) does not count. With
// lockers_first, only those holding its advisory lock when there are any
// (a terminal's owner may keep it open without using it).
std::vector<ProcessInfo> device_holders(const std::string& path, const SystemRoots& roots = {}, int own_fd = -1,
                                        bool lockers_first = true);

// The advisory locks of /proc/locks ("1: FLOCK ADVISORY WRITE 1553
// 00:05:88 0 EOF"): the holder's pid and the file's device (major and minor,
// hex) and inode; other lines are skipped.
struct FlockEntry {
  pid_t pid = 0;
  unsigned long major = 0;
  unsigned long minor = 0;
  unsigned long inode = 0;
};
std::vector<FlockEntry> parse_proc_locks(std::string_view text);

// Programs known to open serial devices to probe them for modems or other
// gear (ModemManager, brltty, gpsd, ...).
bool is_known_prober(const std::string& process_name);
// The known probers running now.
std::vector<ProcessInfo> running_probers(const SystemRoots& roots = {});

// The udev rule that tells ModemManager to leave the device alone, matched
// on its USB vendor and product (a generic one without a USB id), and where
// it goes.
std::string prober_udev_rule(const SerialDevice& device);

}  // namespace phondeck
