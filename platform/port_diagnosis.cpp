#include "platform/port_diagnosis.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/text_table.h"

namespace phondeck {
namespace fs = std::filesystem;

namespace {

constexpr int kTextNotSerial = 3105;
constexpr int kTextPlainFile = 3106;
constexpr int kTextNotInGroup = 3107;
constexpr int kTextGroupNotInSession = 3108;
constexpr int kTextOwnerOnly = 3109;
constexpr int kTextInUseBy = 3110;
constexpr int kTextInUse = 3111;
constexpr int kTextLockedBy = 3112;
constexpr int kTextProber = 3113;
constexpr int kTextProberAfter = 3114;
constexpr int kTextGone = 3115;
constexpr int kTextInUseHere = 3117;
constexpr int kReasonBy = 3135;
constexpr int kReasonLockedBy = 3136;
constexpr int kReasonNotInGroup = 3137;
constexpr int kReasonGroupNotInSession = 3138;
constexpr int kReasonOwnerOnly = 3139;
constexpr int kReasonPlainFile = 3140;
constexpr int kTextProberRunning = 3146;

// Text `id` with every "%1", "%2", ... replaced by the values, in one pass
// (a text may name the group twice).
std::string tx_all(int id, std::initializer_list<std::string> values) {
  const std::string& text = tx(id);
  const std::vector<std::string> v(values);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' &&
        static_cast<std::size_t>(text[i + 1] - '1') < v.size()) {
      out += v[static_cast<std::size_t>(text[i + 1] - '1')];
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string mode_text(mode_t mode) {
  char b[8];
  std::snprintf(b, sizeof b, "%04o", static_cast<unsigned>(mode & 07777));
  return b;
}

std::string user_name(uid_t uid) {
  if (const passwd* pw = ::getpwuid(uid)) return pw->pw_name;
  return std::to_string(uid);
}

std::string group_name(gid_t gid) {
  if (const group* gr = ::getgrgid(gid)) return gr->gr_name;
  return std::to_string(gid);
}

bool has(const std::vector<gid_t>& groups, gid_t gid) {
  return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

std::string holders_text(const std::vector<ProcessInfo>& holders) {
  std::string out;
  for (const ProcessInfo& p : holders) out += (out.empty() ? "" : ", ") + p.text();
  return out;
}

PortDiagnosis permission(const std::string& path, const std::optional<AccessIdentity>& given) {
  PortDiagnosis d;
  d.problem = PortProblem::NotPermitted;
  const AccessIdentity who = given ? *given : current_identity();
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return d;
  const std::string owner = user_name(st.st_uid);
  const std::string group = group_name(st.st_gid);
  const std::string mode = mode_text(st.st_mode);
  const std::string user = who.user.empty() ? user_name(who.uid) : who.user;
  if (S_ISREG(st.st_mode)) {
    d.advice = tx_all(kTextPlainFile, {path, owner, mode});
    d.reason = tx(kReasonPlainFile);
    return d;
  }
  const bool group_may = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
  const bool session_has = who.gid == st.st_gid || has(who.session_groups, st.st_gid);
  const bool account_has = who.gid == st.st_gid || has(who.account_groups, st.st_gid);
  if (group_may && !session_has && account_has) {
    d.advice = tx_all(kTextGroupNotInSession, {path, group, mode, user});
    d.reason = tx_all(kReasonGroupNotInSession, {group});
  } else if (group_may && !account_has) {
    d.advice = tx_all(kTextNotInGroup, {path, group, mode, user});
    d.reason = tx_all(kReasonNotInGroup, {group});
  } else {
    d.advice = tx_all(kTextOwnerOnly, {path, owner, group, mode});
    d.reason = tx_all(kReasonOwnerOnly, {owner, mode});
  }
  return d;
}

PortDiagnosis held(const std::string& path, std::vector<ProcessInfo> holders, const SystemRoots& roots) {
  PortDiagnosis d;
  d.problem = PortProblem::Busy;
  d.holders = std::move(holders);
  const auto prober = std::find_if(d.holders.begin(), d.holders.end(),
                                   [](const ProcessInfo& p) { return is_known_prober(p.name); });
  if (prober != d.holders.end()) {
    d.problem = PortProblem::Prober;
    d.advice = tx_all(kTextProber, {path, prober->text()}) + "\n" + prober_udev_rule(describe_device(path, roots)) +
               "\n" + tx(kTextProberAfter);
  } else if (d.holders.size() == 1 && roots.real() && d.holders.front().pid == ::getpid()) {
    d.advice = tx_all(kTextInUseHere, {path});
  } else if (!d.holders.empty()) {
    d.advice = tx_all(kTextInUseBy, {path, holders_text(d.holders)});
  } else {
    d.advice = tx_all(kTextInUse, {path});
  }
  d.reason = d.holders.empty() ? std::string() : tx_all(kReasonBy, {holders_text(d.holders)});
  return d;
}

}  // namespace

AccessIdentity current_identity() {
  AccessIdentity who;
  who.uid = ::geteuid();
  who.gid = ::getegid();
  who.mode_bits_apply = who.uid != 0;
  who.user = user_name(who.uid);
  const int count = ::getgroups(0, nullptr);
  if (count > 0) {
    who.session_groups.resize(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, who.session_groups.data());
    who.session_groups.resize(static_cast<std::size_t>(std::max(got, 0)));
  }
  if (const passwd* pw = ::getpwuid(who.uid)) {
    int n = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    if (::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n) < 0 && n > 0) {
      groups.resize(static_cast<std::size_t>(n));
      ::getgrouplist(pw->pw_name, pw->pw_gid, groups.data(), &n);
    }
    groups.resize(static_cast<std::size_t>(std::max(n, 0)));
    who.account_groups = groups;
  }
  return who;
}

bool mode_bits_permit(const std::string& path, const AccessIdentity& who) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return false;
  if (!who.mode_bits_apply) return true;
  constexpr mode_t kOwner = S_IRUSR | S_IWUSR, kGroup = S_IRGRP | S_IWGRP, kOther = S_IROTH | S_IWOTH;
  if (st.st_uid == who.uid) return (st.st_mode & kOwner) == kOwner;
  if (st.st_gid == who.gid || has(who.session_groups, st.st_gid)) return (st.st_mode & kGroup) == kGroup;
  return (st.st_mode & kOther) == kOther;
}

PortDiagnosis diagnose_port(const std::string& path, int error, const SystemRoots& roots,
                            const std::optional<AccessIdentity>& who, int own_fd) {
  PortDiagnosis d;
  switch (error) {
    case 0:
      return d;
    case ENOENT:
    case ENOTDIR:
      d.problem = PortProblem::Missing;
      d.advice = serial_devices_text(serial_devices(roots));
      return d;
    case EACCES:
    case EPERM:
      return permission(path, who);
    case ENOTTY:
      d.problem = PortProblem::NotSerial;
      d.advice = tx_all(kTextNotSerial, {path});
      return d;
    case EBUSY:
    case EWOULDBLOCK:
      return held(path, device_holders(path, roots, own_fd), roots);
    case EIO:
    case ENXIO:
    case ENODEV:
      d.problem = PortProblem::Gone;
      d.advice = tx_all(kTextGone, {path});
      return d;
    default:
      d.problem = PortProblem::Other;
      return d;
  }
}

PortDiagnosis lock_diagnosis(const std::string& path, const ProcessInfo& holder, const std::string& lock_file,
                             const SystemRoots& roots) {
  if (is_known_prober(holder.name)) {
    PortDiagnosis d = held(path, {holder}, roots);
    d.lock_file = lock_file;
    return d;
  }
  PortDiagnosis d;
  d.problem = PortProblem::Locked;
  d.holders = {holder};
  d.lock_file = lock_file;
  d.advice = tx_all(kTextLockedBy, {path, holder.text(), lock_file});
  d.reason = tx_all(kReasonLockedBy, {holder.text()});
  return d;
}

std::string prober_note(const std::string& path, const SystemRoots& roots) {
  const std::vector<ProcessInfo> probers = running_probers(roots);
  if (probers.empty()) return {};
  return tx_all(kTextProberRunning, {probers.front().text(), path}) + "\n" +
         prober_udev_rule(describe_device(path, roots)) + "\n" + tx(kTextProberAfter);
}

// ------------------------------------------------------------------ UUCP lock

std::string lock_file_name(const std::string& device_path) {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(device_path, ec);
  if (ec) real = device_path;
  std::string rest = real.string();
  // /dev/pts/4 is LCK..pts_4, /dev/ttyUSB0 LCK..ttyUSB0.
  if (rest.rfind("/dev/", 0) == 0) {
    rest = rest.substr(5);
  } else {
    rest = real.filename().string();
  }
  std::replace(rest.begin(), rest.end(), '/', '_');
  return "LCK.." + rest;
}

pid_t lock_file_pid(std::string_view bytes) {
  std::size_t i = bytes.find_first_not_of(' ');
  if (i != std::string_view::npos && bytes[i] >= '0' && bytes[i] <= '9') {
    long pid = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9' && pid < 100000000; ++i) {
      pid = pid * 10 + (bytes[i] - '0');
    }
    return static_cast<pid_t>(pid);
  }
  if (bytes.size() == sizeof(std::int32_t)) {
    std::int32_t pid = 0;
    std::memcpy(&pid, bytes.data(), sizeof pid);
    return pid > 0 ? static_cast<pid_t>(pid) : 0;
  }
  return 0;
}

namespace {

pid_t lock_pid(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return lock_file_pid(bytes);
}

}  // namespace

UucpLock::Result UucpLock::acquire(const std::string& device_path, const SystemRoots& roots) {
  release();
  const std::string name = lock_file_name(device_path);
  const pid_t self = ::getpid();
  for (const std::string& dir : roots.lock_dirs) {
    const fs::path file = fs::path(dir) / name;
    std::error_code ec;
    if (!fs::exists(file, ec)) continue;
    const pid_t pid = lock_pid(file);
    std::string who;
    // A lock of this process is another port's of ours, so it holds.
    if (process_alive(pid, roots, &who)) {
      holder_ = {pid, who};
      file_ = file.string();
      return Result::HeldBy;
    }
    // Stale: its process is gone.
    fs::remove(file, ec);
  }
  char content[16];
  std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(self));
  for (const std::string& dir : roots.lock_dirs) {
    const fs::path file = fs::path(dir) / name;
    const fs::path temporary = fs::path(dir) / ("LTMP." + std::to_string(self));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) continue;
    const bool written = ::write(fd, content, 11) == 11;
    ::close(fd);
    // link() refuses when another program took the lock meanwhile.
    const bool linked = written && ::link(temporary.c_str(), file.c_str()) == 0;
    const int link_error = errno;
    ::unlink(temporary.c_str());
    if (linked) {
      file_ = file.string();
      held_ = true;
      return Result::Taken;
    }
    if (written && link_error == EEXIST) {
      std::string who;
      const pid_t pid = lock_pid(file);
      process_alive(pid, roots, &who);
      holder_ = {pid, who};
      file_ = file.string();
      return Result::HeldBy;
    }
  }
  return Result::Unlockable;
}

void UucpLock::release() {
  if (held_) ::unlink(file_.c_str());
  held_ = false;
  file_.clear();
}

}  // namespace phondeck
