#include "sim/family_graphics.h"

#include <stdexcept>

#include "sim/family_phonebook.h"
#include "sim/handset.h"
#include "sim/handset_state.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

constexpr std::uint8_t kStartupRead = 0x16;
constexpr std::uint8_t kStartupReply = 0x17;
constexpr std::uint8_t kStartupWrite = 0x18;
constexpr std::uint8_t kStartupWritten = 0x19;
constexpr std::uint8_t kLogoWrite = 0x30;
constexpr std::uint8_t kLogoWritten = 0x31;
constexpr std::uint8_t kLogoRead = 0x33;
constexpr std::uint8_t kLogoReply = 0x34;
constexpr std::uint8_t kNetworkRequest = 0x70;

// 00 01 00 18, 01 01 30 54 (48 rows, 84 columns), the picture.
constexpr std::size_t kStartupWriteHeader = 8;
// 00 01 00 30 00, network code, 00 82, 00 48 0E 01, the picture.
constexpr std::size_t kLogoHeader = 14;
// 0C 01, port header 06 05 04 15 83 00 00, 00 48 0E 01, the picture.
constexpr std::size_t kUploadHeader = 13;

Bytes network_code(int mcc, int mnc) {
  mcc %= 1000;
  mnc %= 100;
  return {static_cast<std::uint8_t>((mcc / 10 % 10) << 4 | mcc / 100), static_cast<std::uint8_t>(0xF0 | mcc % 10),
          static_cast<std::uint8_t>((mnc % 10) << 4 | mnc / 10)};
}

int nibble(int value) { return value <= 9 ? value : 0; }

bool startup_read(Handset& handset, const Request& request) {
  if (request.sub_type() != kStartupRead) return false;
  Bytes p{0x00, 0x01, 0x00, kStartupReply, 0x01, 0x01, 0x30, 0x54};
  const Bytes& picture = handset.state().graphics.startup;
  p.insert(p.end(), picture.begin(), picture.end());
  handset.reply(kTypeGraphics, std::move(p));
  return true;
}

// Stored only when the whole message arrived; anything else is not answered.
bool startup_write(Handset& handset, const Request& request) {
  if (request.sub_type() != kStartupWrite) return false;
  const Bytes& p = request.payload;
  if (p.size() != kStartupWriteHeader + kStartupPictureBytes || p[6] != 0x30 || p[7] != 0x54) return true;
  handset.state().graphics.startup.assign(p.begin() + kStartupWriteHeader, p.end());
  handset.reply(kTypeGraphics, Bytes{0x00, 0x01, 0x00, kStartupWritten, 0x01});
  return true;
}

bool logo_read(Handset& handset, const Request& request) {
  if (request.sub_type() != kLogoRead) return false;
  const GraphicsState& g = handset.state().graphics;
  Bytes p{0x00, 0x01, 0x00, kLogoReply, 0x00};
  const Bytes code = network_code(g.logo_mcc, g.logo_mnc);
  p.insert(p.end(), code.begin(), code.end());
  p.insert(p.end(), {0x00, 0x82, 0x00, 0x48, 0x0E, 0x01});
  p.insert(p.end(), g.operator_logo.begin(), g.operator_logo.end());
  handset.reply(kTypeGraphics, std::move(p));
  return true;
}

bool logo_write(Handset& handset, const Request& request) {
  if (request.sub_type() != kLogoWrite) return false;
  const Bytes& p = request.payload;
  if (p.size() < kLogoHeader + kLogoPictureBytes) return true;
  GraphicsState& g = handset.state().graphics;
  g.logo_mcc = nibble(p[5] & 0x0F) * 100 + nibble(p[5] >> 4) * 10 + nibble(p[6] & 0x0F);
  g.logo_mnc = nibble(p[7] & 0x0F) * 10 + nibble(p[7] >> 4);
  g.operator_logo.assign(p.begin() + kLogoHeader, p.begin() + kLogoHeader + kLogoPictureBytes);
  handset.reply(kTypeGraphics, Bytes{0x00, 0x01, 0x00, kLogoWritten, 0x01});
  return true;
}

// A caller-group picture message (port 0x1583) handed over by the PC: kept
// for the user to place; no answer beyond the acknowledgement.
bool picture_upload(Handset& handset, const Request& request) {
  const Bytes& p = request.payload;
  if (p.size() < 2 || p[0] != 0x0C || p[1] != 0x01) return false;
  if (p.size() < kUploadHeader + kLogoPictureBytes || p[5] != 0x15 || p[6] != 0x83) return true;
  handset.state().graphics.received_logo.assign(p.begin() + kUploadHeader,
                                                p.begin() + kUploadHeader + kLogoPictureBytes);
  return true;
}

bool network_request(Handset& handset, const Request& request) {
  if (request.sub_type() != kNetworkRequest) return false;
  handset.send_network_details();
  return true;
}

bool reset(Handset& handset, const Request& request) {
  if (request.at(2) != 0x64 || request.at(3) != 0x03) return false;
  ++handset.state().graphics.restarts;
  handset.restart(kRestartSilenceMs);
  return true;
}

void add_handlers(DispatchTable& table) {
  table.add(kTypeGraphics, startup_read);
  table.add(kTypeGraphics, startup_write);
  table.add(kTypeGraphics, logo_read);
  table.add(kTypeGraphics, logo_write);
  table.add(kTypePictureUpload, picture_upload);
  table.add(kTypeNetwork, network_request);
  table.add(kTypeService, reset);
}

Bytes hex_field(const nlohmann::json& j, const char* key, const Bytes& fallback, std::size_t size) {
  if (!j.contains(key)) return fallback;
  Bytes bytes = from_hex(j.at(key).get<std::string>());
  if (size != 0 && bytes.size() != size) throw std::invalid_argument(std::string(key) + ": wrong length");
  return bytes;
}

void save(const HandsetState& state, nlohmann::json& j) {
  const GraphicsState& g = state.graphics;
  j["graphics"] = {{"startup_hex", to_hex(g.startup)},
                   {"operator_logo_hex", to_hex(g.operator_logo)},
                   {"logo_mcc", g.logo_mcc},
                   {"logo_mnc", g.logo_mnc},
                   {"received_logo_hex", to_hex(g.received_logo)}};
}

void load(const nlohmann::json& j, HandsetState& state) {
  if (!j.contains("graphics")) return;
  const nlohmann::json& k = j.at("graphics");
  GraphicsState& g = state.graphics;
  g.startup = hex_field(k, "startup_hex", g.startup, kStartupPictureBytes);
  g.operator_logo = hex_field(k, "operator_logo_hex", g.operator_logo, kLogoPictureBytes);
  g.logo_mcc = json_field(k, "logo_mcc", g.logo_mcc);
  g.logo_mnc = json_field(k, "logo_mnc", g.logo_mnc);
  if (g.logo_mcc < 0 || g.logo_mcc > 999 || g.logo_mnc < 0 || g.logo_mnc > 99) {
    throw std::invalid_argument("graphics: network code out of range");
  }
  g.received_logo = hex_field(k, "received_logo_hex", g.received_logo, 0);
  if (!g.received_logo.empty() && g.received_logo.size() != kLogoPictureBytes) {
    throw std::invalid_argument("received_logo_hex: wrong length");
  }
}

void set_row_packed(Bytes& logo, int x, int y) {
  if (x < 0 || x >= 72 || y < 0 || y >= 14) return;
  logo[static_cast<std::size_t>(y * 9 + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

}  // namespace

Bytes demo_group_logo(int group) {
  Bytes logo(kLogoPictureBytes, 0x00);
  // A frame, and the group's number as that many filled squares.
  for (int x = 0; x < 72; ++x) {
    set_row_packed(logo, x, 0);
    set_row_packed(logo, x, 13);
  }
  for (int y = 0; y < 14; ++y) {
    set_row_packed(logo, 0, y);
    set_row_packed(logo, 71, y);
  }
  for (int k = 0; k <= group; ++k) {
    for (int y = 4; y < 10; ++y) {
      for (int x = 0; x < 6; ++x) set_row_packed(logo, 6 + k * 12 + x, y);
    }
  }
  return logo;
}

GraphicsState demo_graphics(int mcc, int mnc) {
  GraphicsState g;
  g.logo_mcc = mcc % 1000;
  g.logo_mnc = mnc % 100;
  // Operator logo: a wave across the picture.
  for (int x = 0; x < 72; ++x) {
    const int y = 7 + (x % 24 < 12 ? x % 12 - 6 : 6 - x % 12) / 2;
    set_row_packed(g.operator_logo, x, y);
    set_row_packed(g.operator_logo, x, y + 1);
  }
  // Startup: a border and both diagonals, in column bands.
  auto set_band = [&g](int x, int y) {
    g.startup[static_cast<std::size_t>(y / 8 * 84 + x)] |= static_cast<std::uint8_t>(1 << (y % 8));
  };
  for (int x = 0; x < 84; ++x) {
    set_band(x, 0);
    set_band(x, 47);
    set_band(x, x * 47 / 83);
    set_band(x, 47 - x * 47 / 83);
  }
  for (int y = 0; y < 48; ++y) {
    set_band(0, y);
    set_band(83, y);
  }
  return g;
}

HandsetFamily graphics_family() { return {"graphics", add_handlers, save, load}; }

}  // namespace phondeck::sim
