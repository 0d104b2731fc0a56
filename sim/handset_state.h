#pragma once
// What the virtual handset holds: its model, and each family's typed state
// (identity; levels and network; the phone-book memories, call lists and
// caller groups; the net monitor).
// Each family saves and loads its own part of the JSON state file.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/family_identification.h"
#include "sim/family_messages.h"
#include "sim/family_calendar.h"
#include "sim/family_graphics.h"
#include "sim/family_net_monitor.h"
#include "sim/family_phonebook.h"
#include "sim/family_ring_tone.h"
#include "sim/family_settings.h"
#include "sim/handset_codec.h"
#include "sim/models.h"

namespace phondeck::sim {

struct HandsetState {
  std::string model;
  // Kept by the identification family (family_identification.cpp).
  std::string imei;
  std::string type_designation;
  std::string product_code;
  std::string hardware_version;
  std::string firmware_version;
  std::string firmware_date;   // "01-07-99"
  ServiceTexts service;
  // Kept by the status family (family_status.cpp).
  int signal = 0;       // bars, as the status reply reports them
  int battery = 0;
  int mcc = 0;
  int mnc = 0;
  int area = 0;         // location area code
  int cell = 0;
  // Kept by the phone-book family (family_phonebook.cpp).
  Memory phone;         // capacity 0 on models without phone memory
  Memory sim;
  Memory dialled;       // the call lists, read-only to the PC
  Memory received;
  Memory missed;
  bool waiting_for_pin = false;  // the SIM's memories cannot be used yet
  std::array<CallerGroup, 5> groups;
  // Kept by the net monitor family.
  NetMonitorState net_monitor;
  // Kept by the settings family.
  SettingsState settings;
  // Kept by the messages family.
  SmsMemory sms;
  // Kept by the calendar family: notes, clock, alarm, keys.
  CalendarState calendar;
  // Kept by the ring tone family: the last tone written into the handset.
  RingToneState ring_tone;
  // Kept by the graphics family: startup graphic, operator logo, the
  // uploaded caller-group picture.
  GraphicsState graphics;
  // Keys of the state file that no family reads, written back as they were.
  nlohmann::json extra = nlohmann::json::object();

  const ModelInfo* model_info() const { return find_model(model); }

  // A first-time user's handset of the given model: a dozen phone-book
  // entries (one with a UCS-2 name), full battery, a home network.
  static HandsetState demo(const ModelInfo& model);

  nlohmann::json to_json() const;
  // Missing keys keep the demo values of the file's model; a malformed
  // value throws nlohmann::json::exception or std::invalid_argument.
  static HandsetState from_json(const nlohmann::json& j);

  // File helpers: false with a reason on failure.
  bool save(const std::string& path, std::string& error) const;
  static std::optional<HandsetState> load(const std::string& path, std::string& error);
};

}  // namespace phondeck::sim
