#include "session/handset_probe.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/configuration_keys.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/link_observer.h"
#include "link/serial_port.h"
#include "session/handset_session.h"

namespace phondeck {
namespace {

constexpr int kTextOutcomes = 3120;  // 3120..3125 in the order of ProbeOutcome
constexpr int kTextAnswered = 3134;
constexpr int kTextInfrared = 1111;
constexpr int kTextCable = 1112;
constexpr int kTextSaved = 3144;
constexpr int kTextNotSaved = 3145;
constexpr int kTypeInfrared = 0;
constexpr int kTypeCable = 1;

// The port's messages are the probe's to read, not the user's.
class QuietPrompt final : public Prompt {
 public:
  void message(const std::string& text) override { messages.push_back(text); }
  bool ask_yes_no(const std::string&) override { return false; }
  std::vector<std::string> messages;
};

ProbeOutcome outcome_of(PortProblem problem) {
  switch (problem) {
    case PortProblem::NotPermitted: return ProbeOutcome::NotPermitted;
    case PortProblem::NotSerial: return ProbeOutcome::NotSerial;
    case PortProblem::Busy:
    case PortProblem::Locked:
    case PortProblem::Prober: return ProbeOutcome::Busy;
    case PortProblem::None: return ProbeOutcome::Silent;
    case PortProblem::Missing:
    case PortProblem::Gone:
    case PortProblem::Other: return ProbeOutcome::Gone;
  }
  return ProbeOutcome::Gone;
}

}  // namespace

std::string probe_outcome_text(ProbeOutcome outcome) { return tx(kTextOutcomes + static_cast<int>(outcome)); }

std::string probe_detail_text(const ProbeResult& result) {
  if (result.outcome == ProbeOutcome::Answered) {
    return tx_with(kTextAnswered,
                   {result.model, result.imei, tx(result.media == kTypeInfrared ? kTextInfrared : kTextCable)});
  }
  return result.reason;
}

const ProbeResult* first_answered(const std::vector<ProbeResult>& results) {
  for (const ProbeResult& r : results) {
    if (r.outcome == ProbeOutcome::Answered) return &r;
  }
  return nullptr;
}

bool save_found_device(const ProbeResult& result, const std::string& path, std::string& said) {
  const std::string type = std::to_string(result.media);
  if (!set_configuration_keys(path, {{"Device", result.device}, {"Type", type}})) {
    said = tx_with(kTextNotSaved, {path});
    return false;
  }
  said = tx_with(kTextSaved, {result.device, type, path});
  return true;
}

HandsetProbe::HandsetProbe(ProbeLoop& loop, ProbeOptions options) : loop_(loop), options_(std::move(options)) {}

std::vector<ProbeResult> HandsetProbe::run(const std::vector<std::string>& devices) {
  std::vector<std::string> paths = devices;
  if (paths.empty()) {
    for (const SerialDevice& device : serial_devices(options_.roots)) paths.push_back(device.path);
  }
  std::vector<ProbeResult> results;
  for (const std::string& path : paths) {
    if (options_.cancelled && options_.cancelled()) break;
    if (options_.on_start) options_.on_start(path);
    results.push_back(probe(path));
    if (options_.on_result) options_.on_result(results.back());
  }
  return results;
}

ProbeResult HandsetProbe::probe(const std::string& device) {
  const std::int64_t start = loop_.clock().now_ms();
  ProbeResult result;
  struct stat st{};
  if (::stat(device.c_str(), &st) != 0) {
    result.device = device;
    result.what.path = device;
    result.outcome = ProbeOutcome::Gone;
    result.reason = std::strerror(errno);
  } else if (!S_ISCHR(st.st_mode)) {
    result.device = device;
    result.what = describe_device(device, options_.roots);
    result.outcome = ProbeOutcome::NotSerial;
  } else {
    // The cable first; the infrared adapter when nothing answered on it.
    result = try_media(device, kTypeCable);
    if (result.outcome == ProbeOutcome::Silent && !(options_.cancelled && options_.cancelled())) {
      result = try_media(device, kTypeInfrared);
    }
  }
  result.ms = loop_.clock().now_ms() - start;
  return result;
}

ProbeResult HandsetProbe::try_media(const std::string& device, int media) {
  ProbeResult result;
  result.device = device;
  result.what = describe_device(device, options_.roots);

  QuietPrompt prompt;
  NullLinkObserver observer;
  auto port = std::make_unique<SerialPort>(prompt, loop_.sink());
  SerialPort& serial = *port;
  serial.set_device(device);
  serial.set_system_roots(options_.roots);
  if (options_.identity) serial.set_identity(*options_.identity);
  {
    HandsetSession session(std::move(port), loop_.timer(), loop_.clock(), prompt, observer);
    loop_.set_handlers([&session](int message, std::uint32_t parameter) { session.handle_message(message, parameter); },
                       [&session] { session.Timer1Timer(); });
    session.set_up();
    session.link().frames().set_media(media);
    // The connect's wake-up waits belong to the try's time.
    const std::int64_t start = loop_.clock().now_ms();
    session.commands().connect();
    loop_.run_until(
        [&] {
          return !session.info().imei.empty() || session.settled() || (options_.cancelled && options_.cancelled());
        },
        std::max<std::int64_t>(0, options_.try_ms - (loop_.clock().now_ms() - start)));
    if (!session.info().imei.empty()) {
      result.outcome = ProbeOutcome::Answered;
      result.media = media;
      result.model = session.info().model.empty() ? session.info().type_designation : session.info().model;
      result.imei = session.info().imei;
    } else if (!prompt.messages.empty()) {
      const PortDiagnosis& why = serial.last_diagnosis();
      result.outcome = outcome_of(why.problem);
      result.reason = why.reason;
      if (result.reason.empty() && !why.holders.empty()) result.reason = why.holders.front().text();
      if (result.reason.empty() && result.outcome == ProbeOutcome::Silent) result.outcome = ProbeOutcome::Gone;
    }
    // Nothing stays open or running on the device.
    session.engine().reset();
    loop_.set_handlers({}, {});
  }
  return result;
}

}  // namespace phondeck
