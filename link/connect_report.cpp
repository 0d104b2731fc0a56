#include "link/connect_report.h"

#include "app/text_table.h"

namespace phondeck {
namespace {

constexpr int kTextWaking = 3205;
constexpr int kTextNoAnswer = 3206;
constexpr int kTextCauses = 3207;
constexpr int kTextCauseOff = 3208;
constexpr int kTextCauseCable = 3209;
constexpr int kTextCauseMedia = 3210;
constexpr int kTextCauseProgram = 3211;
constexpr int kTextCable = 3214;
constexpr int kTextInfrared = 3215;
constexpr int kTextDeviceGone = 3216;
constexpr int kTextCancelled = 3217;
constexpr int kTextThePort = 3222;
constexpr int kTextDeviceGoneUnnamed = 3223;

std::string device_or_port(const std::string& device) { return device.empty() ? tx(kTextThePort) : device; }

}  // namespace

std::string waking_text(int attempt, int attempts) {
  return tx_with(kTextWaking, {std::to_string(attempt), std::to_string(attempts)});
}

std::string media_text(bool cable) { return tx(cable ? kTextCable : kTextInfrared); }

std::string no_answer_text(const ConnectOutcome& outcome) {
  std::string text = tx_with(kTextNoAnswer, {device_or_port(outcome.device), media_text(outcome.cable),
                                             std::to_string(outcome.tries)});
  text += "\n\n" + tx(kTextCauses);
  text += "\n" + tx(kTextCauseOff);
  text += "\n" + tx(kTextCauseCable);
  text += "\n" + tx_with(kTextCauseMedia, {media_text(outcome.cable), media_text(!outcome.cable)});
  text += "\n" + tx(kTextCauseProgram);
  return text;
}

std::string device_gone_text(const std::string& device) {
  return device.empty() ? tx(kTextDeviceGoneUnnamed) : tx_with(kTextDeviceGone, {device});
}

std::string connect_cancelled_text() { return tx(kTextCancelled); }

}  // namespace phondeck
