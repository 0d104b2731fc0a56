#pragma once
// Why a serial device did not open, and what the user can do about it: the
// device missing (and the ones that exist), not permitted (the device's
// owner, group and mode against the user's groups), not a serial port, busy
// (the program holding it), locked by another program's UUCP lock file, or
// held by a known prober such as ModemManager (with the udev rule that keeps
// it away). Each advice is a text of the TextTable (3103..3199).
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

#include "platform/serial_devices.h"

namespace phondeck {

// Whose access the mode bits are checked against. The real user's by
// default; tests give their own (a superuser is never refused by mode bits,
// so `mode_bits_apply` lets a test run as root see a refusal).
struct AccessIdentity {
  uid_t uid = 0;
  gid_t gid = 0;
  std::string user;                  // the login name
  std::vector<gid_t> session_groups;  // what this process has (getgroups)
  std::vector<gid_t> account_groups;  // what the account has now (the group database)
  bool mode_bits_apply = true;        // false for the superuser
};
AccessIdentity current_identity();

// Whether the mode bits let `who` read and write `path`; false with errno
// ENOENT when it is missing.
bool mode_bits_permit(const std::string& path, const AccessIdentity& who);

enum class PortProblem {
  None,
  Missing,       // no such device
  NotPermitted,  // EACCES / EPERM
  NotSerial,     // ENOTTY, a plain file, /dev/null
  Busy,          // another program has it open (EBUSY, the advisory lock)
  Locked,        // a UUCP lock file of a live process
  Prober,        // busy, and the holder is a known prober
  Gone,          // EIO, ENXIO, ENODEV: the device went away
  Other,
};

struct PortDiagnosis {
  PortProblem problem = PortProblem::None;
  std::string advice;                // the next step, for the message; may be empty
  std::vector<ProcessInfo> holders;  // Busy, Prober: who has it; Locked: the lock's owner
  std::string lock_file;             // Locked: the lock file
  // The short reason for a table (probe): "held by ModemManager (pid 812)".
  std::string reason;
};

// The diagnosis of a failed open (or line set-up) of `path` with `error`
// (errno); own_fd, the descriptor of the failed open, is no holder.
PortDiagnosis diagnose_port(const std::string& path, int error, const SystemRoots& roots = {},
                            const std::optional<AccessIdentity>& who = std::nullopt, int own_fd = -1);
// A live lock of `holder` in `lock_file` refused the open; or, for a known
// prober, that it has the device open.
PortDiagnosis lock_diagnosis(const std::string& path, const ProcessInfo& holder, const std::string& lock_file,
                             const SystemRoots& roots = {});
// For a port that opened but where nothing answered: a known prober running
// that may have opened the device meanwhile, with the udev rule; empty when
// none runs.
std::string prober_note(const std::string& path, const SystemRoots& roots = {});

// UUCP lock files (LCK..ttyUSB0, HDB format: the pid as ten characters
// right-aligned and a line feed) in the roots' lock folders.
std::string lock_file_name(const std::string& device_path);
// The pid a lock file's bytes name: HDB (ASCII, blanks before it) or the
// old binary int of four bytes; 0 when neither.
pid_t lock_file_pid(std::string_view bytes);

class UucpLock {
 public:
  enum class Result { Taken, Unlockable, HeldBy };
  UucpLock() = default;
  ~UucpLock() { release(); }
  UucpLock(const UucpLock&) = delete;
  UucpLock& operator=(const UucpLock&) = delete;

  // Looks at every lock folder: a lock of a live process (this one too:
  // another port of ours holds the device) refuses (HeldBy, holder() and file() tell whose); a stale one (its
  // process gone, or unreadable) is removed. Then writes this process's lock
  // in the first folder that takes it (Taken); Unlockable when none does
  // (the open goes on without a lock, as no folder is ours to write).
  Result acquire(const std::string& device_path, const SystemRoots& roots = {});
  // Removes the lock this object wrote; idempotent.
  void release();

  const std::string& file() const { return file_; }
  const ProcessInfo& holder() const { return holder_; }
  bool held() const { return held_; }

 private:
  std::string file_;
  ProcessInfo holder_;
  bool held_ = false;
};

}  // namespace phondeck
