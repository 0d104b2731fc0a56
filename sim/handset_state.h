#pragma once
// What the virtual handset holds: its identity, levels, network, phone-book
// memories and whatever later families keep. Loads from and dumps to JSON.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/handset_codec.h"
#include "sim/models.h"

namespace phondeck::sim {

struct PhoneBookSlot {
  int location = 0;      // 1-based
  Bytes name;            // as stored by the handset (possibly 0x04 0xFF + UCS-2)
  std::string number;
  int group = 0;         // caller group 0..5
};

struct Memory {
  int capacity = 0;
  std::vector<PhoneBookSlot> entries;  // kept in location order

  const PhoneBookSlot* at(int location) const;
  // Stores or replaces the entry at its location.
  void put(PhoneBookSlot slot);
  int used() const { return static_cast<int>(entries.size()); }
  int free() const { return capacity > used() ? capacity - used() : 0; }
};

struct HandsetState {
  std::string model;
  std::string imei;
  std::string type_designation;
  std::string hardware_version;
  std::string firmware_version;
  int signal = 0;       // bars, as the status reply reports them
  int battery = 0;
  int mcc = 0;
  int mnc = 0;
  int area = 0;         // location area code
  int cell = 0;
  Memory phone;         // capacity 0 on models without phone memory
  Memory sim;
  nlohmann::json extra = nlohmann::json::object();  // kept by later families

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
