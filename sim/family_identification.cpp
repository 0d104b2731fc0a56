// Identification (0x64), the version request (0xD1) and the service requests
// (0x40) that PC software uses to identify a handset.
#include "sim/family_identification.h"

#include <algorithm>

#include "sim/handset.h"
#include "sim/message_types.h"
#include "sim/state_json.h"

namespace phondeck::sim {

namespace {

void append_text(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

// A text in a fixed field: cut to the width, the rest zero.
void put_field(Bytes& payload, std::size_t at, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    payload[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0x00;
  }
}

// The fields start at fixed bytes, each followed by at least one zero.
bool identification(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x10) return false;
  const HandsetState& s = handset.state();
  Bytes p(54, 0x00);
  p[1] = 0x01;
  p[3] = 0x11;
  put_field(p, 4, "NOKIA", 5);
  put_field(p, 9, s.imei, 15);
  put_field(p, 25, s.type_designation, 5);
  put_field(p, 31, s.product_code, 7);
  put_field(p, 39, s.hardware_version, 4);
  put_field(p, 44, s.firmware_version, 5);
  // Bytes 50 to 53 are left zero.
  handset.reply(kTypeIdentify, std::move(p));
  return true;
}

bool version(Handset& handset, const Request& request) {
  if (request.sub_type() != 0x03) return false;
  const HandsetState& s = handset.state();
  Bytes p{0x00, 0x01, 0x00, 0x03};
  append_text(p, version_text(s.firmware_version, s.firmware_date, s.type_designation));
  handset.reply(kTypeVersionReply, std::move(p));
  return true;
}

// Semi-octets of a network code: MCC digits 1 2 | 0xF and digit 3 | MNC.
void put_network_code(Bytes& out, int mcc, int mnc) {
  mcc %= 1000;
  mnc %= 100;
  out.push_back(static_cast<std::uint8_t>((mcc / 100) | ((mcc / 10 % 10) << 4)));
  out.push_back(static_cast<std::uint8_t>(0xF0 | (mcc % 10)));
  out.push_back(static_cast<std::uint8_t>((mnc / 10) | ((mnc % 10) << 4)));
}

Bytes sim_lock(const HandsetState& s) {
  // No lock closed; the first lock holds the home network.
  Bytes p{0x00, 0x01, 0x8A, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00};
  put_network_code(p, s.mcc, s.mnc);
  p.resize(p.size() + 9 + 4, 0x00);  // the other lock bytes, the counters
  p.push_back(0x00);
  return p;
}

Bytes msid(const HandsetState& s) {
  Bytes p{0x00, 0x01, 0xB5, 0x01, 0x2F};
  // Thirteen bytes that stay the same for the same IMEI.
  std::uint32_t mix = 0x811C9DC5u;
  for (char c : s.imei) mix = (mix ^ static_cast<std::uint8_t>(c)) * 0x01000193u;
  for (int i = 0; i < 13; ++i) {
    mix = mix * 1664525u + 1013904223u;
    p.push_back(static_cast<std::uint8_t>(mix >> 24));
  }
  p.push_back(0x25);
  return p;
}

// 00 01, the two request bytes, 00, the text, 00.
Bytes service_text(std::uint8_t a, std::uint8_t b, const std::string& text) {
  Bytes p{0x00, 0x01, a, b, 0x00};
  append_text(p, text);
  p.push_back(0x00);
  return p;
}

// The service requests for identity texts. Every other 0x40 request goes
// unanswered after its acknowledgement: a missing answer is handled by any
// PC program, a wrong one is believed.
bool service(Handset& handset, const Request& request) {
  const HandsetState& s = handset.state();
  const ServiceTexts& t = s.service;
  const std::uint8_t a = request.at(2);
  const std::uint8_t b = request.at(3);
  Bytes p;
  switch (a << 8 | b) {
    case 0xC801: p = service_text(a, b, version_text(s.firmware_version, s.firmware_date, s.type_designation)); break;
    case 0xC805: p = service_text(a, b, s.hardware_version); break;
    case 0xC802: p = service_text(a, b, t.checksum.substr(0, 4)); break;
    case 0xC809: p = service_text(a, b, t.dsp_version); break;
    case 0xC812: p = service_text(a, b, t.ppm_version); break;
    case 0xCA01: p = service_text(a, b, s.product_code); break;
    case 0xCC01: p = service_text(a, b, t.original_imei.empty() ? s.imei : t.original_imei); break;
    case 0xCC02: p = service_text(a, b, t.manufacture_month); break;
    case 0x8A00: p = sim_lock(s); break;
    default:
      if (a == 0x66) {
        p = Bytes{0x00, 0x01, 0x66, 0x01};
        append_text(p, s.imei.substr(0, 15));
        p.push_back(0x00);
      } else if (a == 0xB4) {
        p = msid(s);
      } else {
        return false;
      }
  }
  handset.reply(kTypeService, std::move(p));
  return true;
}

void add_handlers(DispatchTable& table) {
  table.add(kTypeIdentify, identification);
  table.add(kTypeVersion, version);
  table.add(kTypeService, service);
}

void save(const HandsetState& s, nlohmann::json& j) {
  j["imei"] = s.imei;
  j["type_designation"] = s.type_designation;
  j["product_code"] = s.product_code;
  j["hardware_version"] = s.hardware_version;
  j["firmware_version"] = s.firmware_version;
  j["firmware_date"] = s.firmware_date;
  const ServiceTexts& t = s.service;
  j["service"] = {{"checksum", t.checksum},
                  {"dsp_version", t.dsp_version},
                  {"ppm_version", t.ppm_version},
                  {"original_imei", t.original_imei},
                  {"manufacture_month", t.manufacture_month}};
}

void load(const nlohmann::json& j, HandsetState& s) {
  s.imei = json_field(j, "imei", s.imei);
  s.type_designation = json_field(j, "type_designation", s.type_designation);
  s.product_code = json_field(j, "product_code", s.product_code);
  s.hardware_version = json_field(j, "hardware_version", s.hardware_version);
  s.firmware_version = json_field(j, "firmware_version", s.firmware_version);
  s.firmware_date = json_field(j, "firmware_date", s.firmware_date);
  if (!j.contains("service")) return;
  const nlohmann::json& v = j.at("service");
  ServiceTexts& t = s.service;
  t.checksum = json_field(v, "checksum", t.checksum);
  t.dsp_version = json_field(v, "dsp_version", t.dsp_version);
  t.ppm_version = json_field(v, "ppm_version", t.ppm_version);
  t.original_imei = json_field(v, "original_imei", t.original_imei);
  t.manufacture_month = json_field(v, "manufacture_month", t.manufacture_month);
}

}  // namespace

std::string version_text(const std::string& firmware, const std::string& date, const std::string& type) {
  return "V " + firmware + "\n" + date + "\n" + type + "\n(c) NMP.";
}

HandsetFamily identification_family() { return {"identification", add_handlers, save, load}; }

}  // namespace phondeck::sim
