// telvane-handset: a virtual handset behind a pseudo-terminal. Prints the
// terminal's path first, serves until SIGINT/SIGTERM (or until a configured
// hang-up), then writes its state file.
#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <optional>
#include <string>

#include "link/clock.h"
#include "sim/faults.h"
#include "sim/models.h"
#include "sim/pty_handset.h"

using namespace phondeck;
using namespace phondeck::sim;

namespace {

const char kUsage[] =
    "Usage: telvane-handset [options]\n"
    "A virtual handset on a pseudo-terminal. The first line printed is the\n"
    "terminal's path; give it to Telvane as its serial device (Device=PATH).\n"
    "It answers like a real 6110-family handset, so other PC software for\n"
    "these handsets can open the same path as its serial port.\n"
    "\n"
    "  --model NAME        6110 (default), 6138, 6150, 8810, 5110, 5130, 8850, 8210\n"
    "  --imei DIGITS       15-digit IMEI; its first six characters choose the model\n"
    "  --state FILE        load the handset's contents from FILE (JSON) if it exists\n"
    "                      and write them back on exit; without it the demo\n"
    "                      contents are used and printed (JSON) on exit\n"
    "  --infrared          speak on infrared (frame identifier 0x1C), not cable\n"
    "  --echo              echo every byte the PC sends, as the data cable does\n"
    "  --pace              move bytes no faster than the line's bit rate\n"
    "  --no-wake           answer without waiting for the 0x55 wake-up burst\n"
    "  --deaf-after-dtr MS hear nothing for MS milliseconds after the PC opens the\n"
    "                      line (a cable powering up after DTR rises)\n"
    "  --network-every MS  send the network details every MS milliseconds\n"
    "  --notices-every MS  send one of the unsolicited messages (network details,\n"
    "                      call, calendar, display and security notices) in turn\n"
    "                      every MS milliseconds\n"
    "  --retransmit MS     resend an unacknowledged frame after MS (default 1000)\n"
    "  --frame-payload N   message bytes per frame before a reply is split (120)\n"
    "  --trace             print every request (<) and message sent (>) to standard\n"
    "                      error, in hex from the 00 01 header; a request no\n"
    "                      handler takes is acknowledged and marked unanswered\n"
    "  --faults SPEC       comma-separated faults, each seeded and repeatable:\n"
    "                        drop=P        lose a share P (0..1) of frames both ways\n"
    "                        drop_in=P     ... of the PC's frames only\n"
    "                        drop_out=P    ... of the handset's frames only\n"
    "                        corrupt=P     break the checksum of a share of frames\n"
    "                        dup=P         send a share of frames twice\n"
    "                        delay=MS      hold each reply for a random 0..MS\n"
    "                        stray=P       put noise bytes before a share of frames\n"
    "                        pieces=N      send bytes in random pieces of 1..N\n"
    "                        noise=P       on every byte either way, a chance P each of\n"
    "                                      a flipped bit, a lost and an inserted byte\n"
    "                        burst=P       on every byte, a chance P of a burst of 8..40\n"
    "                                      garbage bytes before it\n"
    "                        gap=MS        pause between those pieces (default 1)\n"
    "                        silent=AT[:FOR]  from AT ms hear and say nothing, for\n"
    "                                      FOR ms or for good\n"
    "                        hangup=AT     drop the line at AT ms and exit\n"
    "                        seed=N        the generator's seed (default 1)\n"
    "  --help              show this text\n";

bool parse_number(const char* text, long& out) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < 0) return false;
  out = value;
  return true;
}

int fail(const std::string& message) {
  std::cerr << "telvane-handset: " << message << "\n";
  return 2;
}

// One line per event: milliseconds since the start, direction, type, the
// message bytes.
void print_trace(const Clock& clock, std::int64_t start_ms, const TraceEvent& event) {
  if (event.kind == TraceEvent::kUnhandled) {
    std::fprintf(stderr, "telvane-handset:   (no handler: acknowledged, unanswered)\n");
    return;
  }
  std::string line = std::to_string(clock.now_ms() - start_ms);
  line += event.kind == TraceEvent::kRequest ? " < " : " > ";
  char hex[4];
  std::snprintf(hex, sizeof hex, "%02X", event.type);
  line += hex;
  line += ":";
  for (std::uint8_t byte : event.payload) {
    std::snprintf(hex, sizeof hex, " %02X", byte);
    line += hex;
  }
  std::fprintf(stderr, "telvane-handset: %s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::string model_name = "6110";
  std::string imei;
  std::string state_file;
  HandsetOptions options;
  FaultOptions faults;
  bool pacing = false;
  bool trace = false;

  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    long number = 0;
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--model") {
      const char* v = value();
      if (v == nullptr) return fail("--model needs a name");
      model_name = v;
    } else if (arg == "--imei") {
      const char* v = value();
      if (v == nullptr) return fail("--imei needs digits");
      imei = v;
    } else if (arg == "--state") {
      const char* v = value();
      if (v == nullptr) return fail("--state needs a file");
      state_file = v;
    } else if (arg == "--faults") {
      const char* v = value();
      std::string error;
      if (v == nullptr || !parse_faults(v, faults, error)) return fail(v == nullptr ? "--faults needs a list" : error);
    } else if (arg == "--infrared") {
      options.frame_id = kInfraredFrameId;
    } else if (arg == "--echo") {
      options.echo = true;
    } else if (arg == "--pace") {
      pacing = true;
    } else if (arg == "--trace") {
      trace = true;
    } else if (arg == "--no-wake") {
      options.need_wake = false;
    } else if (arg == "--network-every" || arg == "--notices-every" || arg == "--retransmit" ||
               arg == "--frame-payload" || arg == "--deaf-after-dtr") {
      const char* v = value();
      if (v == nullptr || !parse_number(v, number) || number == 0 || number > 1000000) {
        return fail(arg + " needs a positive number");
      }
      if (arg == "--network-every") options.network_every_ms = static_cast<int>(number);
      if (arg == "--notices-every") options.notices_every_ms = static_cast<int>(number);
      if (arg == "--retransmit") options.retransmit_ms = static_cast<int>(number);
      if (arg == "--deaf-after-dtr") options.deaf_after_dtr_ms = static_cast<int>(number);
      if (arg == "--frame-payload") options.frame_payload = static_cast<std::size_t>(std::min(number, 240L));
    } else {
      return fail("unknown option " + arg + " (see --help)");
    }
  }

  const ModelInfo* model = find_model(model_name);
  if (!imei.empty()) {
    model = model_for_imei(imei);
    if (model == nullptr || imei.size() != 15) return fail("IMEI " + imei + " names no known model");
  }
  if (model == nullptr) return fail("unknown model " + model_name);

  HandsetState state = HandsetState::demo(*model);
  if (!state_file.empty()) {
    if (FILE* probe = std::fopen(state_file.c_str(), "r")) {
      std::fclose(probe);
      std::string error;
      std::optional<HandsetState> loaded = HandsetState::load(state_file, error);
      if (!loaded) return fail(error);
      state = std::move(*loaded);
    }
  }
  if (!imei.empty()) state.imei = imei;

  // Signals are taken by sigwait below, never by the serving thread.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  SystemClock clock;
  PtyHandset handset(clock, std::move(state), options, faults, pacing);
  if (trace) {
    const std::int64_t start_ms = clock.now_ms();
    handset.with_handset([&clock, start_ms](Handset& h) {
      h.set_trace([&clock, start_ms](const TraceEvent& event) { print_trace(clock, start_ms, event); });
    });
  }
  std::string error;
  if (!handset.start(error)) return fail(error);
  std::cout << handset.path() << std::endl;
  std::cerr << "telvane-handset: model " << model->model << " on " << handset.path() << "\n";

  for (;;) {
    const timespec tick{0, 100 * 1000 * 1000};
    const int signal_number = sigtimedwait(&stop_signals, nullptr, &tick);
    if (signal_number == SIGINT || signal_number == SIGTERM) break;
    if (handset.hung_up()) {
      std::cerr << "telvane-handset: hung up\n";
      break;
    }
  }
  handset.stop();

  const HandsetState final_state = handset.with_handset([](Handset& h) { return h.state(); });
  if (state_file.empty()) {
    std::cout << final_state.to_json().dump(2) << std::endl;
  } else if (!final_state.save(state_file, error)) {
    return fail(error);
  }
  return 0;
}
