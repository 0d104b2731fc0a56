#include "platform/serial_devices.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#if defined(__linux__)
#include <linux/serial.h>
#endif

#include "app/text_table.h"

namespace phondeck {
namespace fs = std::filesystem;

namespace {

constexpr int kTextDevicesHead = 3103;
constexpr int kTextNoDevices = 3104;

std::string first_line(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

bool starts_with(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool serial_name(std::string_view name) {
  return starts_with(name, "ttyS") || starts_with(name, "ttyUSB") || starts_with(name, "ttyACM");
}

// A ttyS* with a UART behind it: sysfs says its type (0 is PORT_UNKNOWN);
// without sysfs the driver is asked.
bool real_uart(const std::string& name, const SystemRoots& roots) {
  const fs::path type = fs::path(roots.sys) / "class" / "tty" / name / "type";
  std::error_code ec;
  if (fs::exists(type, ec)) return first_line(type) != "0" && !first_line(type).empty();
#if defined(__linux__) && defined(TIOCGSERIAL)
  if (!roots.real()) return false;
  const int fd = ::open((fs::path(roots.dev) / name).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == EACCES || errno == EBUSY;  // there, but not ours to ask
  serial_struct info{};
  const bool known = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return known;
#else
  return false;
#endif
}

// What sysfs says of the tty `name`: its driver and the USB device above it.
void fill_from_sysfs(SerialDevice& device, const SystemRoots& roots) {
  std::error_code ec;
  const fs::path sys_root = fs::weakly_canonical(roots.sys, ec);
  const fs::path node = fs::path(roots.sys) / "class" / "tty" / device.name / "device";
  if (!fs::exists(node, ec)) return;
  const fs::path driver = node / "driver";
  if (fs::is_symlink(driver, ec)) device.driver = fs::read_symlink(driver, ec).filename().string();
  fs::path at = fs::canonical(node, ec);
  if (ec) return;
  // The USB device is the nearest folder above with idVendor.
  for (int depth = 0; depth < 8 && !at.empty() && at != sys_root && at != at.root_path(); ++depth) {
    if (fs::exists(at / "idVendor", ec)) {
      device.usb_id = first_line(at / "idVendor") + ":" + first_line(at / "idProduct");
      const std::string maker = first_line(at / "manufacturer");
      const std::string product = first_line(at / "product");
      device.product = maker.empty() ? product : product.empty() ? maker : maker + " " + product;
      return;
    }
    at = at.parent_path();
  }
}

void add_by_id_links(std::vector<SerialDevice>& devices, const SystemRoots& roots) {
  const fs::path by_id = fs::path(roots.dev) / "serial" / "by-id";
  std::error_code ec;
  if (!fs::is_directory(by_id, ec)) return;
  std::vector<fs::path> links;
  for (const auto& entry : fs::directory_iterator(by_id, ec)) links.push_back(entry.path());
  std::sort(links.begin(), links.end());
  for (const fs::path& link : links) {
    const std::string target = fs::path(fs::read_symlink(link, ec)).filename().string();
    if (ec) continue;
    for (SerialDevice& device : devices) {
      if (device.name == target) device.by_id.push_back((by_id / link.filename()).string());
    }
  }
}

// The UART's name for the serial core's port type.
std::string uart_name(const std::string& type) {
  static const char* const kNames[] = {"", "8250", "16450", "16550", "16550A", "Cirrus", "16650", "16650V2", "16750"};
  if (type.empty() || type == "0") return {};
  if (type.size() == 1 && type[0] >= '1' && type[0] <= '8') return kNames[type[0] - '0'];
  return "UART type " + type;
}

SerialDevice device_named(const std::string& name, const SystemRoots& roots) {
  SerialDevice device;
  device.name = name;
  device.path = (fs::path(roots.dev) / name).string();
  fill_from_sysfs(device, roots);
  if (starts_with(name, "ttyS")) device.uart = uart_name(first_line(fs::path(roots.sys) / "class" / "tty" / name / "type"));
  return device;
}

// Processes with an flock on the device.
std::vector<pid_t> lock_holders(const std::string& path, const SystemRoots& roots) {
  std::vector<pid_t> pids;
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return pids;
  std::ifstream in(fs::path(roots.proc) / "locks");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const FlockEntry& e : parse_proc_locks(text)) {
    if (e.inode == st.st_ino && e.major == major(st.st_dev) && e.minor == minor(st.st_dev)) pids.push_back(e.pid);
  }
  return pids;
}

}  // namespace

std::string SerialDevice::what() const {
  std::string out = product;
  std::string ids = usb_id;
  // "port" is the serial core's own, naming no chip.
  const std::string chip_driver = driver == "port" ? std::string() : driver;
  if (!chip_driver.empty()) ids += (ids.empty() ? "" : ", ") + chip_driver;
  if (out.empty() && usb_id.empty() && (!uart.empty() || !chip_driver.empty())) {
    std::string parts = uart;
    if (!chip_driver.empty()) parts += (parts.empty() ? "" : ", ") + chip_driver;
    return "serial port (" + parts + ")";
  }
  if (!ids.empty()) out += (out.empty() ? "(" : " (") + ids + ")";
  return out;
}

std::string SerialDevice::line() const {
  std::string out = path;
  const std::string kind = what();
  if (!kind.empty()) out += ": " + kind;
  if (!by_id.empty()) out += ", " + by_id.front();
  return out;
}

std::vector<SerialDevice> serial_devices(const SystemRoots& roots) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.dev, ec)) {
    const std::string name = entry.path().filename().string();
    if (!serial_name(name)) continue;
    if (!entry.is_character_file(ec) && !entry.is_symlink(ec)) continue;
    if (starts_with(name, "ttyS") && !real_uart(name, roots)) continue;
    names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    // ttyUSB10 after ttyUSB9.
    const auto digits = [](const std::string& s) { return s.find_first_of("0123456789"); };
    const std::size_t da = digits(a), db = digits(b);
    const std::string pa = a.substr(0, da), pb = b.substr(0, db);
    if (pa != pb) return pa < pb;
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  });
  std::vector<SerialDevice> devices;
  for (const std::string& name : names) devices.push_back(device_named(name, roots));
  add_by_id_links(devices, roots);
  return devices;
}

SerialDevice describe_device(const std::string& path, const SystemRoots& roots) {
  std::error_code ec;
  // Links are followed one at a time, up to the serial device they name
  // (a by-id link names ../../ttyUSB0).
  fs::path real = fs::path(path).lexically_normal();
  for (int hops = 0; hops < 8 && !serial_name(real.filename().string()) && fs::is_symlink(real, ec); ++hops) {
    const fs::path target = fs::read_symlink(real, ec);
    if (ec) break;
    real = (target.is_absolute() ? target : real.parent_path() / target).lexically_normal();
  }
  const std::string name = real.filename().string();
  if (real.parent_path() == fs::path(roots.dev).lexically_normal()) {
    for (SerialDevice& device : serial_devices(roots)) {
      if (device.name == name) {
        device.path = path;
        return device;
      }
    }
  }
  SerialDevice device = device_named(name, roots);
  device.path = path;
  return device;
}

std::string serial_devices_text(const std::vector<SerialDevice>& devices) {
  if (devices.empty()) return tx(kTextNoDevices);
  std::string out = tx(kTextDevicesHead);
  for (const SerialDevice& device : devices) out += "\n  " + device.line();
  return out;
}

std::string ProcessInfo::text() const { return name + " (pid " + std::to_string(pid) + ")"; }

bool process_alive(pid_t pid, const SystemRoots& roots, std::string* name) {
  if (pid <= 0) return false;
  const fs::path folder = fs::path(roots.proc) / std::to_string(pid);
  std::error_code ec;
  bool alive;
  if (roots.real()) {
    // Another user's process may hide from /proc; the kernel still knows it.
    alive = ::kill(pid, 0) == 0 || errno == EPERM;
  } else {
    alive = fs::is_directory(folder, ec);
  }
  if (alive && name != nullptr) {
    *name = first_line(folder / "comm");
    if (name->empty()) *name = "pid " + std::to_string(pid);
  }
  return alive;
}

std::vector<ProcessInfo> device_holders(const std::string& path, const SystemRoots& roots, int own_fd,
                                        bool lockers_first) {
  std::vector<ProcessInfo> holders;
  std::error_code ec;
  const fs::path wanted = fs::weakly_canonical(path, ec);
  struct stat target{};
  const bool have_rdev = ::stat(path.c_str(), &target) == 0 && S_ISCHR(target.st_mode);
  const std::string self = std::to_string(::getpid());
  for (const auto& entry : fs::directory_iterator(roots.proc, ec)) {
    const std::string pid = entry.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const bool own = roots.real() && pid == self;
    std::error_code fd_ec;
    for (const auto& fd : fs::directory_iterator(entry.path() / "fd", fd_ec)) {
      if (own && fd.path().filename() == std::to_string(own_fd)) continue;
      std::error_code link_ec;
      const fs::path link = fs::read_symlink(fd.path(), link_ec);
      bool same = !link_ec && (link == wanted || link == fs::path(path));
      if (!same && have_rdev && roots.real()) {
        struct stat held{};
        same = ::stat(fd.path().c_str(), &held) == 0 && S_ISCHR(held.st_mode) && held.st_rdev == target.st_rdev;
      }
      if (!same) continue;
      ProcessInfo info;
      info.pid = static_cast<pid_t>(std::stol(pid));
      info.name = first_line(entry.path() / "comm");
      holders.push_back(info);
      break;
    }
  }
  std::sort(holders.begin(), holders.end(), [](const ProcessInfo& a, const ProcessInfo& b) { return a.pid < b.pid; });
  if (!lockers_first) return holders;
  const std::vector<pid_t> lockers = lock_holders(path, roots);
  std::vector<ProcessInfo> locking;
  for (const ProcessInfo& p : holders) {
    if (std::find(lockers.begin(), lockers.end(), p.pid) != lockers.end()) locking.push_back(p);
  }
  return locking.empty() ? holders : locking;
}

std::vector<FlockEntry> parse_proc_locks(std::string_view text) {
  std::vector<FlockEntry> entries;
  std::istringstream lines{std::string(text)};
  std::string line;
  const auto number = [](const std::string& digits, int base, unsigned long& out) {
    if (digits.empty() || digits.size() > 16) return false;
    char* end = nullptr;
    out = std::strtoul(digits.c_str(), &end, base);
    return end == digits.c_str() + digits.size() && digits.find('-') == std::string::npos;
  };
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string ordinal, kind, advisory, access, pid, id;
    if (!(words >> ordinal >> kind)) continue;
    if (kind == "->") words >> kind;  // a waiter
    if (kind != "FLOCK" || !(words >> advisory >> access >> pid >> id)) continue;
    const std::size_t first = id.find(':');
    const std::size_t second = id.rfind(':');
    if (first == std::string::npos || first == second) continue;
    FlockEntry e;
    unsigned long holder = 0;
    if (!number(pid, 10, holder) || holder == 0 || holder > 0x3fffffff) continue;
    if (!number(id.substr(0, first), 16, e.major) || !number(id.substr(first + 1, second - first - 1), 16, e.minor) ||
        !number(id.substr(second + 1), 10, e.inode)) {
      continue;
    }
    e.pid = static_cast<pid_t>(holder);
    entries.push_back(e);
  }
  return entries;
}

bool is_known_prober(const std::string& process_name) {
  static constexpr std::array<std::string_view, 6> kProbers{"ModemManager", "modem-manager", "brltty",
                                                            "gpsd", "wvdialconf", "mmcli"};
  return std::find(kProbers.begin(), kProbers.end(), process_name) != kProbers.end();
}

std::vector<ProcessInfo> running_probers(const SystemRoots& roots) {
  std::vector<ProcessInfo> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(roots.proc, ec)) {
    const std::string pid = entry.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string name = first_line(entry.path() / "comm");
    if (is_known_prober(name)) found.push_back({static_cast<pid_t>(std::stol(pid)), name});
  }
  return found;
}

std::string prober_udev_rule(const SerialDevice& device) {
  std::string match;
  if (const std::size_t colon = device.usb_id.find(':'); colon != std::string::npos) {
    match = "ATTRS{idVendor}==\"" + device.usb_id.substr(0, colon) + "\", ATTRS{idProduct}==\"" +
            device.usb_id.substr(colon + 1) + "\", ";
  } else {
    match = "KERNEL==\"" + (device.name.empty() ? std::string("ttyUSB*") : device.name) + "\", ";
  }
  return "SUBSYSTEM==\"tty\", " + match + "ENV{ID_MM_DEVICE_IGNORE}=\"1\"";
}

}  // namespace phondeck
