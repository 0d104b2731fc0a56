#include "ui/diagnostics.h"

#include <grp.h>

#include <algorithm>

#include "app/configuration.h"
#include "app/version.h"
#include "link/link_log.h"
#include "link/serial_port.h"
#include "platform/device_choice.h"
#include "platform/port_diagnosis.h"
#include "platform/serial_devices.h"

namespace phondeck {
namespace {

std::string group_name(gid_t gid) {
  if (const group* g = ::getgrgid(gid)) return g->gr_name;
  return std::to_string(gid);
}

std::string group_names(const std::vector<gid_t>& gids) {
  std::string out;
  for (const gid_t gid : gids) out += (out.empty() ? "" : " ") + group_name(gid);
  return out;
}

// The device the port opens: Device when it names one, else the COM port's.
std::string configured_device() {
  const std::string& device = config().Device;
  if (!device.empty()) return device;
  const int port = config().Port;
  return SerialPort::com_port_device(port >= 0 && port <= 7 ? port : 1);
}

}  // namespace

DiagnosticsFacts gather_diagnostics(const std::string& program, const LinkLog& log, const std::string& last_error) {
  DiagnosticsFacts f;
  f.version = program + " " + version_text();
  f.device = configured_device();
  if (device_choice(f.device).virtual_handset) {
    f.device_is = "the built-in virtual handset";
  } else {
    const SerialDevice device = describe_device(f.device);
    f.device_is = device.what();
    if (!device.by_id.empty()) f.device_is += (f.device_is.empty() ? "" : ", ") + device.by_id.front();
    if (f.device_is.empty()) f.device_is = "nothing known of it";
  }
  f.media = config().Type == 0 ? "infrared" : "cable";
  const AccessIdentity who = current_identity();
  f.user = who.user + " (uid " + std::to_string(who.uid) + ")";
  f.groups = group_names(who.session_groups);
  std::vector<gid_t> since;
  for (const gid_t gid : who.account_groups) {
    if (std::find(who.session_groups.begin(), who.session_groups.end(), gid) == who.session_groups.end())
      since.push_back(gid);
  }
  if (!since.empty()) f.groups += "; the account also has " + group_names(since) + " since this login";
  f.last_error = log.last_error();
  if (f.last_error.empty()) f.last_error = last_error;
  f.frames = log.frame_lines(kDiagnosticFrames);
  return f;
}

std::string diagnostics_text(const DiagnosticsFacts& f) {
  std::string text;
  auto line = [&text](const char* name, const std::string& value) {
    text += std::string(name) + ": " + (value.empty() ? std::string("-") : value) + "\n";
  };
  line("Version", f.version);
  line("Device", f.device);
  line("Device is", f.device_is);
  line("Media", f.media);
  line("User", f.user);
  line("Groups", f.groups);
  line("Last error", f.last_error);
  text += "Last " + std::to_string(f.frames.size()) + " frames:\n";
  for (const std::string& frame : f.frames) text += frame + "\n";
  return text;
}

}  // namespace phondeck
