// Short messages (0x14 memory, 0x02 read, message centre and send).
#include "sim/family_messages.h"

#include <algorithm>
#include <stdexcept>

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

constexpr std::size_t kField = 12;
constexpr std::size_t kCentreSettings = 16;

// The semi-octet digits of a number, type byte first; length_byte: the
// field's first byte (digits for an address, bytes after it for a centre).
Bytes number_field(const std::string& number, bool centre) {
  std::string digits = number;
  std::uint8_t type = 0x81;
  if (!digits.empty() && digits.front() == '+') {
    type = 0x91;
    digits.erase(0, 1);
  }
  Bytes out{0, type};
  for (std::size_t i = 0; i < digits.size() && i < 20; ++i) {
    const auto d = static_cast<std::uint8_t>((digits[i] - '0') & 0x0F);
    if (i % 2 == 0) {
      out.push_back(static_cast<std::uint8_t>(0xF0 | d));
    } else {
      out.back() = static_cast<std::uint8_t>((out.back() & 0x0F) | (d << 4));
    }
  }
  out[0] = static_cast<std::uint8_t>(centre ? out.size() - 1 : std::min<std::size_t>(digits.size(), 20));
  out.resize(kField, 0x00);
  return out;
}

// type byte and `bytes` digit bytes.
std::string read_number(const Bytes& p, std::size_t at, std::size_t bytes) {
  if (at + bytes > p.size() || bytes == 0) return {};
  std::string out = p[at] == 0x91 ? "+" : "";
  for (std::size_t i = at + 1; i < at + bytes; ++i) {
    for (int half : {p[i] & 0x0F, p[i] >> 4}) {
      if (half > 9) return out;
      out += static_cast<char>('0' + half);
    }
  }
  return out;
}

std::string hex(const Bytes& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 0x0F];
  }
  return out;
}

Bytes unhex(const std::string& text) {
  if (text.size() % 2 != 0) throw std::invalid_argument("odd hex length");
  Bytes out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return out;
}

Bytes record(const SmsSlot& s) {
  const bool inbox = s.status == 1 || s.status == 3;
  const std::uint8_t first_octet = s.first_octet >= 0 ? static_cast<std::uint8_t>(s.first_octet) : inbox ? 0x04 : 0x11;
  Bytes p{0x00, 0x01, 0x00, 0x08, static_cast<std::uint8_t>(s.status), 0x00,
          static_cast<std::uint8_t>(s.location), 0x00};
  const Bytes centre = number_field(s.smsc, true);
  p.insert(p.end(), centre.begin(), centre.end());  // 8..19
  const Bytes other = number_field(s.number, false);
  if (inbox) {
    p.insert(p.end(), {first_octet, 0x00, s.coding, static_cast<std::uint8_t>(s.length)});  // 20..23
    p.insert(p.end(), other.begin(), other.end());                                   // 24..35
    Bytes stamp = s.stamp;
    stamp.resize(7, 0x00);
    p.insert(p.end(), stamp.begin(), stamp.end());  // 36..42
  } else {
    p.insert(p.end(), {first_octet, 0x00, 0x00, s.coding, static_cast<std::uint8_t>(s.length)});  // 20..24
    p.insert(p.end(), other.begin(), other.end());                                         // 25..36
    p.push_back(static_cast<std::uint8_t>(s.validity));                                   // 37
    p.insert(p.end(), 6, 0x00);                                                            // 38..43
  }
  p.insert(p.end(), s.user_data.begin(), s.user_data.end());
  return p;
}

bool memory_request(Handset& handset, const Request& request) {
  SmsMemory& memory = handset.state().sms;
  switch (request.sub_type()) {
    case 0x36:
      // Locations at byte 7 (0 on handsets that do not count them), messages
      // stored at byte 10.
      handset.reply(kTypeSmsMemory, Bytes{0x00, 0x01, 0x00, 0x37, 0x00, 0x00, 0x00,
                                          static_cast<std::uint8_t>(memory.count_locations ? memory.capacity : 0),
                                          0x00, 0x00, static_cast<std::uint8_t>(memory.used())});
      return true;
    case 0x04: {  // write to the outbox: the layout of a send, 2 bytes later
      const Bytes& p = request.payload;
      const int location = memory.first_free();
      if (location == 0 || p.size() < 44) {
        handset.reply(kTypeSmsMemory, Bytes{0x00, 0x01, 0x00, 0x06, 0x02, 0x00});
        return true;
      }
      SmsSlot slot;
      slot.location = location;
      slot.status = request.at(4) == 0x05 ? 5 : 7;
      slot.first_octet = request.at(20);
      slot.smsc = read_number(p, 9, std::min<std::size_t>(request.at(8), kField - 1));
      slot.coding = request.at(23);
      slot.length = request.at(24);
      slot.number = read_number(p, 26, 1 + (request.at(25) + 1u) / 2);
      slot.validity = request.at(37);
      slot.user_data.assign(p.begin() + 44, p.end());
      memory.put(std::move(slot));
      handset.reply(kTypeSmsMemory, Bytes{0x00, 0x01, 0x00, 0x05, 0x02, static_cast<std::uint8_t>(location)});
      return true;
    }
    case 0x0A: {
      const std::uint8_t location = request.at(5);
      // The answer names no location.
      const bool deleted = memory.remove(location);
      if (deleted && !memory.waiting.empty()) {
        SmsSlot arrived = std::move(memory.waiting.front());
        memory.waiting.erase(memory.waiting.begin());
        arrived.location = memory.first_free();
        memory.put(std::move(arrived));
      }
      handset.reply(kTypeSmsMemory, Bytes{0x00, 0x01, 0x00, static_cast<std::uint8_t>(deleted ? 0x0B : 0x0C)});
      return true;
    }
    default:
      return false;
  }
}

bool centre_request(Handset& handset, const Request& request) {
  SmsMemory& memory = handset.state().sms;
  const Bytes& p = request.payload;
  switch (request.sub_type()) {
    case 0x07: {  // read one location; the answer comes as 0x14
      const std::uint8_t location = request.at(5);
      if (const SmsSlot* slot = memory.at(location)) {
        handset.reply(kTypeSmsMemory, record(*slot));
      } else {
        // 07: an empty location; 02: beyond the memory.
        const bool inside = location >= 1 && location <= memory.capacity;
        handset.reply(kTypeSmsMemory, Bytes{0x00, 0x01, 0x00, 0x09, static_cast<std::uint8_t>(inside ? 0x07 : 0x02)});
      }
      return true;
    }
    case 0x33: {
      // 00 01 00 34, location, the centre's settings, its number field
      // ([21] count, [22..] number), its name.
      Bytes reply{0x00, 0x01, 0x00, 0x34, 0x01};
      Bytes settings = memory.centre_settings;
      settings.resize(kCentreSettings, 0x00);
      reply.insert(reply.end(), settings.begin(), settings.end());
      const Bytes field = number_field(memory.smsc, true);
      reply.insert(reply.end(), field.begin(), field.end());
      reply.insert(reply.end(), memory.centre_name.begin(), memory.centre_name.end());
      handset.reply(kTypeMessaging, std::move(reply));
      return true;
    }
    case 0x30:
      // 00 01 00 30 64, location, settings (6..21), number field (22..33),
      // name: kept as written.
      if (p.size() < 22 + kField) return false;
      memory.smsc = read_number(p, 23, std::min<std::size_t>(request.at(22), kField - 1));
      memory.centre_settings.assign(p.begin() + 6, p.begin() + 22);
      memory.centre_name.assign(p.begin() + 22 + static_cast<long>(kField), p.end());
      handset.reply(kTypeMessaging, Bytes{0x00, 0x01, 0x00, 0x31, 0x01});
      return true;
    case 0x01: {
      if (p.size() < 42) return false;
      SentSms sent;
      sent.smsc = read_number(p, 7, std::min<std::size_t>(request.at(6), kField - 1));
      sent.first_octet = request.at(18);
      sent.coding = request.at(21);
      sent.length = request.at(22);
      sent.number = read_number(p, 24, 1 + (request.at(23) + 1u) / 2);
      sent.validity = request.at(35);
      sent.user_data.assign(p.begin() + 42, p.end());
      sent.accepted = (memory.refuse_prefix.empty() || sent.number.rfind(memory.refuse_prefix, 0) != 0) &&
                      memory.accept_sends != 0;
      if (sent.accepted && memory.accept_sends > 0) --memory.accept_sends;
      const std::uint8_t answer = sent.accepted ? 0x02 : 0x03;
      memory.sent.push_back(std::move(sent));
      handset.reply(kTypeMessaging, Bytes{0x00, 0x01, 0x00, answer, 0x00});
      return true;
    }
    default:
      return false;
  }
}

void add_handlers(DispatchTable& table) {
  table.add(kTypeSmsMemory, memory_request);
  table.add(kTypeMessaging, centre_request);
}

nlohmann::json slot_json(const SmsSlot& s) {
  return {{"location", s.location}, {"status", s.status}, {"smsc", s.smsc},         {"number", s.number},
          {"coding", s.coding},     {"length", s.length}, {"data", hex(s.user_data)}, {"stamp", hex(s.stamp)},
          {"validity", s.validity}, {"first_octet", s.first_octet}};
}

void save(const HandsetState& state, nlohmann::json& j) {
  const SmsMemory& m = state.sms;
  nlohmann::json messages = nlohmann::json::array();
  for (const SmsSlot& s : m.messages) messages.push_back(slot_json(s));
  nlohmann::json sent = nlohmann::json::array();
  for (const SentSms& s : m.sent) {
    sent.push_back({{"smsc", s.smsc},         {"number", s.number},     {"first_octet", s.first_octet},
                    {"coding", s.coding},     {"length", s.length},     {"validity", s.validity},
                    {"data", hex(s.user_data)}, {"accepted", s.accepted}});
  }
  j["sms"] = {{"capacity", m.capacity}, {"count_locations", m.count_locations}, {"smsc", m.smsc},
              {"centre_settings", hex(m.centre_settings)}, {"centre_name", hex(m.centre_name)},
              {"refuse_prefix", m.refuse_prefix}, {"messages", messages}, {"sent", sent}};
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("sms")) return;
  const nlohmann::json& s = j.at("sms");
  SmsMemory& m = state.sms;
  m.capacity = json_field(s, "capacity", m.capacity);
  if (m.capacity < 0 || m.capacity > 255) throw std::invalid_argument("message capacity out of range");
  m.count_locations = json_field(s, "count_locations", m.count_locations);
  m.smsc = json_field(s, "smsc", m.smsc);
  m.centre_settings = unhex(json_field(s, "centre_settings", hex(m.centre_settings)));
  m.centre_name = unhex(json_field(s, "centre_name", hex(m.centre_name)));
  if (m.centre_settings.size() > kCentreSettings || m.centre_name.size() > 100) {
    throw std::invalid_argument("message centre record too long");
  }
  m.refuse_prefix = json_field(s, "refuse_prefix", m.refuse_prefix);
  if (!s.contains("messages") && !m.messages.empty() && m.messages.back().location > m.capacity) {
    throw std::invalid_argument("message location outside the memory");
  }
  if (s.contains("messages")) {
    m.messages.clear();
    for (const nlohmann::json& e : s.at("messages")) {
      SmsSlot slot;
      slot.location = json_as<int>(e.at("location"));
      if (slot.location < 1 || slot.location > m.capacity) throw std::invalid_argument("message location outside the memory");
      slot.status = json_field(e, "status", 1);
      slot.number = json_field(e, "number", std::string());
      slot.smsc = json_field(e, "smsc", m.smsc);
      if (e.contains("text")) {
        const SmsSlot made = sms_slot(slot.location, slot.status, slot.number, e.at("text").get<std::string>());
        slot.coding = made.coding;
        slot.length = made.length;
        slot.user_data = made.user_data;
      } else {
        slot.coding = json_field(e, "coding", std::uint8_t{0});
        slot.length = json_field(e, "length", 0);
        slot.user_data = unhex(json_field(e, "data", std::string()));
      }
      slot.stamp = unhex(json_field(e, "stamp", std::string()));
      slot.validity = json_field(e, "validity", 167);
      slot.first_octet = json_field(e, "first_octet", -1);
      if (slot.first_octet < -1 || slot.first_octet > 0xFF) throw std::invalid_argument("first octet out of range");
      m.put(std::move(slot));
    }
  }
  if (s.contains("sent")) {
    m.sent.clear();
    for (const nlohmann::json& e : s.at("sent")) {
      SentSms sent;
      sent.smsc = json_field(e, "smsc", std::string());
      sent.number = json_field(e, "number", std::string());
      sent.first_octet = json_field(e, "first_octet", std::uint8_t{0});
      sent.coding = json_field(e, "coding", std::uint8_t{0});
      sent.length = json_field(e, "length", 0);
      sent.validity = json_field(e, "validity", 0);
      sent.user_data = unhex(json_field(e, "data", std::string()));
      sent.accepted = json_field(e, "accepted", false);
      m.sent.push_back(std::move(sent));
    }
  }
}

}  // namespace

const SmsSlot* SmsMemory::at(int location) const {
  for (const SmsSlot& s : messages) {
    if (s.location == location) return &s;
  }
  return nullptr;
}

void SmsMemory::put(SmsSlot slot) {
  remove(slot.location);
  auto it = std::lower_bound(messages.begin(), messages.end(), slot.location,
                             [](const SmsSlot& s, int location) { return s.location < location; });
  messages.insert(it, std::move(slot));
}

bool SmsMemory::remove(int location) {
  return std::erase_if(messages, [location](const SmsSlot& s) { return s.location == location; }) > 0;
}

int SmsMemory::first_free() const {
  for (int location = 1; location <= capacity; ++location) {
    if (at(location) == nullptr) return location;
  }
  return 0;
}

namespace {
// GSM 7-bit after `fill` zero bits: "@" is 0, "$" is 2, the rest of plain
// ASCII is itself.
void pack_ascii(Bytes& out, std::string_view text, int fill) {
  unsigned bits = 0;
  int held = fill;
  for (char c : text) {
    const unsigned code = c == '@' ? 0u : c == '$' ? 2u : static_cast<unsigned char>(c) & 0x7Fu;
    bits |= code << held;
    held += 7;
    while (held >= 8) {
      out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
      bits >>= 8;
      held -= 8;
    }
  }
  if (held > 0) out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
}
}  // namespace

SmsSlot sms_slot(int location, int status, std::string number, std::string_view utf8_text) {
  SmsSlot slot;
  slot.location = location;
  slot.status = status;
  slot.number = std::move(number);
  const bool plain = std::all_of(utf8_text.begin(), utf8_text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 0x20 && u < 0x5B) || (u > 0x60 && u < 0x7B) || u == '\r' || u == '\n';
  });
  if (plain) {
    pack_ascii(slot.user_data, utf8_text, 0);
    slot.coding = 0x00;
    slot.length = static_cast<int>(utf8_text.size());
    return slot;
  }
  for (std::size_t i = 0; i < utf8_text.size();) {
    const auto lead = static_cast<unsigned char>(utf8_text[i]);
    const int extra = lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t cp = extra == 2 ? lead & 0x0F : extra == 1 ? lead & 0x1F : lead;
    for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < utf8_text.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(utf8_text[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    i += static_cast<std::size_t>(extra) + 1;
    slot.user_data.push_back(static_cast<std::uint8_t>(cp >> 8));
    slot.user_data.push_back(static_cast<std::uint8_t>(cp & 0xFF));
  }
  slot.coding = 0x08;
  slot.length = static_cast<int>(slot.user_data.size());
  return slot;
}

SmsSlot sms_part_slot(int location, std::string number, std::string_view ascii_text, int reference, int total,
                      int part) {
  SmsSlot slot;
  slot.location = location;
  slot.status = 1;
  slot.number = std::move(number);
  slot.first_octet = 0x44;  // a deliver whose user data begins with a header
  // 05 00 03 reference total part, one fill bit, then the text's septets.
  const Bytes header{0x05, 0x00, 0x03, static_cast<std::uint8_t>(reference), static_cast<std::uint8_t>(total),
                     static_cast<std::uint8_t>(part)};
  slot.user_data = header;
  pack_ascii(slot.user_data, ascii_text, 1);
  slot.coding = 0x00;
  slot.length = 7 + static_cast<int>(ascii_text.size());
  return slot;
}

SmsMemory demo_sms_memory() {
  SmsMemory m;
  m.capacity = 50;
  m.smsc = "+358405202000";
  // Data bytes 5..20 of the centre reply: validity 0xA7 (a day) at byte 8,
  // format 0x00 (text) at byte 9.
  m.centre_settings = {0x00, 0x00, 0x00, 0xA7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  m.centre_name = {'H', 'o', 'm', 'e', ' ', 'n', 'e', 't', 0x00};
  m.refuse_prefix = "+999";
  // 26.12.08 09:30:00 at each sender's centre: +02:00 (0x80, eight quarter
  // hours) at home, +08:00 (0x23) in Taiwan.
  const Bytes stamp{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x80};
  const Bytes taiwan_stamp{0x62, 0x21, 0x80, 0x90, 0x03, 0x00, 0x23};
  std::vector<SmsSlot> messages = {
      sms_slot(1, 1, "+358401234567", "Call me when you land."),
      sms_slot(2, 3, "0401112223",
               "Caf\u00e9 at six? Bring the tickets, and the umbrella: rain all evening, so we may change plans."),
      sms_slot(4, 3, "+886912345678", "\u4f60\u597d\uff0c\u660e\u5929\u898b\u3002"),
      sms_slot(5, 1, "0100", "On way!"),
      sms_slot(6, 1, "+358401234568",
               "Long news from home: the cat is fine, the garden is full of snow, the car starts again and "
               "we will call on Sunday evening around eight. Love, Dad"),
      sms_slot(8, 5, "0401112223", "See you tomorrow at the station."),
      sms_slot(9, 7, "", "Draft: buy milk and bread"),
      // A message in three parts whose second never arrived.
      sms_part_slot(10, "+358401234569", "Meeting notes: budget approved, office opens in March. ", 0x2A, 3, 1),
      sms_part_slot(11, "+358401234569", "Party on Friday at six.", 0x2A, 3, 3),
  };
  for (SmsSlot& slot : messages) {
    slot.smsc = m.smsc;
    if (slot.status == 1 || slot.status == 3) slot.stamp = slot.number.starts_with("+886") ? taiwan_stamp : stamp;
    m.put(std::move(slot));
  }
  return m;
}

HandsetFamily messages_family() { return {"messages", add_handlers, save, load}; }

}  // namespace phondeck::sim
