// Why a device does not open and what the user is told: the machine's serial
// devices on a scratch tree, each open-time row (missing, permission variants,
// not a serial port, busy with its holder, live and stale UUCP locks, a
// prober), and the port released when the program is ended by a signal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/configuration_keys.h"
#include "app/text_table.h"
#include "link/serial_port.h"
#include "platform/port_diagnosis.h"
#include "platform/port_release.h"
#include "platform/serial_devices.h"
#include "sim/realtime_loop.h"
#include "support/holder_process.h"
#include "test_support.h"

namespace phondeck {
namespace {

namespace fs = std::filesystem;
using testing::PtyPair;
using testing::RecordingPrompt;

void put(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text;
}

std::string slurp(const fs::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch machine: /dev, /sys, /proc and a lock folder.
struct Scratch {
  fs::path root;
  SystemRoots roots;
  Scratch() {
    char name[] = "/tmp/phondeck-roots-XXXXXX";
    root = ::mkdtemp(name);
    roots.dev = (root / "dev").string();
    roots.sys = (root / "sys").string();
    roots.proc = (root / "proc").string();
    roots.lock_dirs = {(root / "lock").string()};
    for (const char* d : {"dev", "sys", "proc", "lock"}) fs::create_directories(root / d);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  // A device node standing in for /dev/NAME: a link to a real terminal.
  void device(const std::string& name, const std::string& target) { fs::create_symlink(target, root / "dev" / name); }
  // sysfs of a USB serial adapter: the tty under its interface, the
  // interface under the USB device.
  void usb(const std::string& name, const std::string& vendor, const std::string& product_id,
           const std::string& maker, const std::string& product, const std::string& driver) {
    const fs::path usb_dev = root / "sys/devices/usb1/1-1";
    put(usb_dev / "idVendor", vendor + "\n");
    put(usb_dev / "idProduct", product_id + "\n");
    put(usb_dev / "manufacturer", maker + "\n");
    put(usb_dev / "product", product + "\n");
    const fs::path port = usb_dev / ("1-1:1.0/" + name);
    fs::create_directories(port);
    fs::create_directories(root / "sys/bus/usb-serial/drivers" / driver);
    fs::create_symlink(root / "sys/bus/usb-serial/drivers" / driver, port / "driver");
    fs::create_directories(root / "sys/class/tty" / name);
    fs::create_symlink(port, root / "sys/class/tty" / name / "device");
  }
  void uart(const std::string& name, const std::string& type) { put(root / "sys/class/tty" / name / "type", type + "\n"); }
  // A process of the scratch /proc with `path` open.
  void process(pid_t pid, const std::string& name, const std::string& path = {}) {
    const fs::path folder = root / "proc" / std::to_string(pid);
    put(folder / "comm", name + "\n");
    fs::create_directories(folder / "fd");
    if (!path.empty()) fs::create_symlink(path, folder / "fd" / "3");
  }
};

class PortDiagnosisTest : public ::testing::Test {
 protected:
  void SetUp() override { texts().load_english(); }
};

TEST_F(PortDiagnosisTest, SerialDevicesAndWhatEachIs) {
  Scratch s;
  PtyPair a, b, c, d;
  s.device("ttyS0", a.path);
  s.uart("ttyS0", "4");
  s.device("ttyS1", b.path);  // no UART behind it
  s.uart("ttyS1", "0");
  s.device("ttyUSB0", c.path);
  s.usb("ttyUSB0", "067b", "2303", "Prolific Technology Inc.", "USB-Serial Controller", "pl2303");
  s.device("ttyACM0", d.path);
  put(s.root / "dev/console", "");
  fs::create_directories(s.root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0", s.root / "dev/serial/by-id/usb-Prolific_USB-Serial_Controller-if00-port0");

  const std::vector<SerialDevice> devices = serial_devices(s.roots);
  std::vector<std::string> lines;
  for (const SerialDevice& device : devices) lines.push_back(device.line());
  const std::string dev = s.roots.dev;
  EXPECT_EQ(lines, (std::vector<std::string>{
                       dev + "/ttyACM0",
                       dev + "/ttyS0: serial port (16550A)",
                       dev + "/ttyUSB0: Prolific Technology Inc. USB-Serial Controller (067b:2303, pl2303), " + dev +
                           "/serial/by-id/usb-Prolific_USB-Serial_Controller-if00-port0",
                   }));
  // A by-id link is described as the device it names, under its own path.
  const SerialDevice linked = describe_device(dev + "/serial/by-id/usb-Prolific_USB-Serial_Controller-if00-port0", s.roots);
  EXPECT_EQ(linked.usb_id, "067b:2303");
  EXPECT_EQ(linked.driver, "pl2303");
  EXPECT_EQ(prober_udev_rule(linked),
            "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"067b\", ATTRS{idProduct}==\"2303\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"");
  Scratch empty;
  EXPECT_EQ(serial_devices_text(serial_devices(empty.roots)), tx(3104));
}

// The permission rows: the device's owner, group and mode against whose
// access is asked (never the superuser's, whom mode bits do not refuse).
TEST_F(PortDiagnosisTest, PermissionAdviceFitsTheUserAndTheDevice) {
  PtyPair pty;
  struct stat st{};
  ASSERT_EQ(::stat(pty.path.c_str(), &st), 0);
  char file_name[] = "/tmp/phondeck-plain-XXXXXX";
  const int file = ::mkstemp(file_name);
  ASSERT_GE(file, 0);
  ::close(file);
  const gid_t gid = st.st_gid;
  AccessIdentity other;  // not the terminal's owner
  other.uid = st.st_uid + 1000;
  other.gid = gid + 1000;
  other.user = "anna";
  struct Row {
    const char* name;
    mode_t mode;
    std::vector<gid_t> session, account;
    std::string path;
    const char* wanted;    // in the advice
    const char* unwanted;  // never in it
  };
  const std::vector<Row> rows = {
      {"not in the group", 0660, {}, {}, pty.path, "sudo adduser $USER ", "log out and in again (or"},
      {"in the group, not this session", 0660, {}, {gid}, pty.path, "this session began before it joined", "adduser"},
      {"owner only", 0600, {gid}, {gid}, pty.path, "its owner", "adduser"},
      {"a plain file", 0600, {}, {}, file_name, "is a plain file", "adduser"},
  };
  for (const Row& row : rows) {
    ASSERT_EQ(::chmod(row.path.c_str(), row.mode), 0);
    AccessIdentity who = other;
    who.session_groups = row.session;
    who.account_groups = row.account;
    EXPECT_FALSE(mode_bits_permit(row.path, who)) << row.name;
    const PortDiagnosis d = diagnose_port(row.path, EACCES, {}, who);
    EXPECT_EQ(d.problem, PortProblem::NotPermitted) << row.name;
    EXPECT_NE(d.advice.find(row.wanted), std::string::npos) << row.name << ": " << d.advice;
    EXPECT_EQ(d.advice.find(row.unwanted), std::string::npos) << row.name << ": " << d.advice;
    EXPECT_FALSE(d.reason.empty()) << row.name;
  }
  // The group is named as the device has it.
  ASSERT_EQ(::chmod(pty.path.c_str(), 0660), 0);
  const struct group* named = ::getgrgid(gid);
  const std::string group_name = named != nullptr ? named->gr_name : std::to_string(gid);
  EXPECT_NE(diagnose_port(pty.path, EACCES, {}, other).advice.find("sudo adduser $USER " + group_name + ","),
            std::string::npos);
  // The session's group lets it in; a superuser is never refused.
  AccessIdentity member = other;
  member.session_groups = {gid};
  EXPECT_TRUE(mode_bits_permit(pty.path, member));
  AccessIdentity root = other;
  root.mode_bits_apply = false;
  ASSERT_EQ(::chmod(pty.path.c_str(), 0), 0);
  EXPECT_TRUE(mode_bits_permit(pty.path, root));
  ::unlink(file_name);
}

// Each open-time row through the serial port: the Part's own text, then
// the advice.
TEST_F(PortDiagnosisTest, EveryOpenTimeRowNamesTheNextStep) {
  Scratch s;
  PtyPair spare;
  s.device("ttyUSB0", spare.path);
  s.usb("ttyUSB0", "0403", "6001", "FTDI", "FT232R USB UART", "ftdi_sio");
  SystemClock clock;
  sim::RealtimeLoop loop(clock);
  char file_name[] = "/tmp/phondeck-plain-XXXXXX";
  const int file = ::mkstemp(file_name);
  ASSERT_GE(file, 0);
  ::close(file);

  struct Row {
    const char* name;
    std::function<std::string()> set_up;  // the device to open
    PortProblem problem;
    std::vector<std::string> wanted;  // in the message, in this order
  };
  PtyPair held, locked, stale, probed;
  std::unique_ptr<testing::HolderProcess> holder, prober;
  pid_t lock_owner = 0;
  const std::vector<Row> rows = {
      {"missing", [] { return std::string("/dev/phondeck-no-such-port"); }, PortProblem::Missing,
       {"ERROR: Serial 10 (2) " + std::string(std::strerror(ENOENT)) + ": /dev/phondeck-no-such-port\n\n",
        tx(3103), s.roots.dev + "/ttyUSB0: FTDI FT232R USB UART (0403:6001, ftdi_sio)"}},
      {"not a serial port", [] { return std::string("/dev/null"); }, PortProblem::NotSerial,
       {"ERROR: Serial 10b (25) ", "/dev/null is not a serial port"}},
      {"a plain file", [&] { return std::string(file_name); }, PortProblem::NotSerial,
       {"ERROR: Serial 10b (25) ", "is not a serial port"}},
      {"busy",
       [&] {
         holder = std::make_unique<testing::HolderProcess>(held.path, "minicom", true);
         return held.path;
       },
       PortProblem::Busy, {"ERROR: Serial 10 (11) ", "is in use by minicom (pid "}},
      {"locked by a live process",
       [&] {
         lock_owner = holder->pid;
         put(fs::path(s.roots.lock_dirs[0]) / lock_file_name(locked.path), "      " + std::to_string(lock_owner) + "\n");
         return locked.path;
       },
       PortProblem::Locked, {"ERROR: Serial 10 (16) ", "is locked by minicom (pid ", lock_file_name(locked.path)}},
      {"prober",
       [&] {
         prober = std::make_unique<testing::HolderProcess>(probed.path, "ModemManager", false);
         return probed.path;
       },
       PortProblem::Prober,
       {"ERROR: Serial 10 (16) ", "is held by ModemManager (pid ", "ENV{ID_MM_DEVICE_IGNORE}=\"1\"", tx(3114)}},
  };
  for (const Row& row : rows) {
    RecordingPrompt prompt;
    SerialPort port(prompt, loop);
    SystemRoots roots = s.roots;
    roots.proc = "/proc";  // the holders are real processes
    port.set_system_roots(roots);
    // The missing device's list comes from the scratch tree.
    if (row.problem == PortProblem::Missing) port.set_system_roots(s.roots);
    port.set_device(row.set_up());
    EXPECT_EQ(port.open(), 1) << row.name;
    port.close();
    ASSERT_EQ(prompt.messages().size(), 1u) << row.name;
    const std::string text = prompt.messages()[0];
    EXPECT_EQ(port.last_diagnosis().problem, row.problem) << row.name << ": " << text;
    std::size_t at = 0;
    for (const std::string& part : row.wanted) {
      const std::size_t found = text.find(part, at);
      EXPECT_NE(found, std::string::npos) << row.name << ": \"" << part << "\" in\n" << text;
      if (found != std::string::npos) at = found + part.size();
    }
  }
  // The live lock is left alone.
  EXPECT_TRUE(fs::exists(fs::path(s.roots.lock_dirs[0]) / lock_file_name(locked.path)));
  ::unlink(file_name);
}

TEST_F(PortDiagnosisTest, StaleLockGoesOursIsWrittenWhileOpenAndTheSignalReleasesIt) {
  Scratch s;
  PtyPair pty;
  SystemClock clock;
  sim::RealtimeLoop loop(clock);
  RecordingPrompt prompt;
  const fs::path lock = fs::path(s.roots.lock_dirs[0]) / lock_file_name(pty.path);
  // A dead process's lock (a pid of the scratch /proc that has no folder).
  put(lock, "     99999\n");
  SystemRoots roots = s.roots;
  SerialPort port(prompt, loop);
  port.set_system_roots(roots);
  port.set_device(pty.path);
  ASSERT_EQ(port.open(), 0) << (prompt.messages().empty() ? "" : prompt.messages()[0]);
  char hdb[16];
  std::snprintf(hdb, sizeof hdb, "%10d\n", static_cast<int>(::getpid()));
  EXPECT_EQ(slurp(lock), hdb);
  EXPECT_EQ(port.lock_file(), lock.string());
  // A second port of this program is refused by the lock.
  RecordingPrompt second_prompt;
  SerialPort second(second_prompt, loop);
  s.process(::getpid(), "phondeck");
  second.set_system_roots(roots);
  second.set_device(pty.path);
  EXPECT_EQ(second.open(), 1);
  EXPECT_EQ(second.last_diagnosis().problem, PortProblem::Locked);
  second.close();
  EXPECT_TRUE(fs::exists(lock));
  port.close();
  EXPECT_FALSE(fs::exists(lock));

  // Ended by SIGTERM, a program leaves the device unlocked and free.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGTERM, SIG_DFL);
    release_ports_on_signals();
    UucpLock own;
    if (own.acquire(pty.path, roots) != UucpLock::Result::Taken) ::_exit(3);
    const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::flock(fd, LOCK_EX);
    remember_open_port(fd, own.file());
    ::raise(SIGTERM);
    ::_exit(4);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), SIGTERM);
  EXPECT_FALSE(fs::exists(lock));
}

TEST(ConfigurationKeys, SetKeysKeepTheRestOfTheFile) {
  struct Row {
    const char* before;
    const char* after;
  };
  const std::vector<std::pair<std::string, std::string>> keys = {{"Device", "/dev/ttyUSB0"}, {"Type", "0"}};
  const Row rows[] = {
      {"", "Device=/dev/ttyUSB0\r\nType=0\r\n"},
      {"Port=3\r\nType=1\r\nMyKey=x=y\r\n", "Port=3\r\nType=0\r\nMyKey=x=y\r\nDevice=/dev/ttyUSB0\r\n"},
      {"Device=a\nType=1\nDevice=b\n", "Device=/dev/ttyUSB0\nType=0\nDevice=/dev/ttyUSB0\n"},
      // The unfinished last line stays unread: the keys go before it.
      {"Port=2\nShowComError=1", "Port=2\nDevice=/dev/ttyUSB0\nType=0\nShowComError=1"},
  };
  for (const Row& row : rows) EXPECT_EQ(with_configuration_keys(row.before, keys), row.after) << row.before;
}

}  // namespace
}  // namespace phondeck
