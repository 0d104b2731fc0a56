#include "organiser/message_export.h"

#include <time.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "app/code_page.h"
#include "organiser/messages_window.h"

namespace phondeck {
namespace {

constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// A text as an attribute value between double quotes.
std::string attribute(const std::string& text) {
  std::u32string kept;
  for (char32_t c : utf8_to_code_points(text)) {
    // What XML 1.0 cannot hold, even as a reference.
    if (c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') c = 0x2400 + c;
    if (c == 0xFFFE || c == 0xFFFF) c = 0xFFFD;
    kept.push_back(c);
  }
  std::string out;
  for (char ch : code_points_to_utf8(kept)) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += ch;
    }
  }
  return out;
}

// "Dec 8, 2026 9:30:00 AM" in the local time zone.
std::string readable_date(std::int64_t utc_ms) {
  const time_t seconds = static_cast<time_t>(utc_ms / 1000 - (utc_ms % 1000 < 0 ? 1 : 0));
  struct tm local {};
  if (localtime_r(&seconds, &local) == nullptr) return {};
  const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
  char text[64];
  std::snprintf(text, sizeof text, "%s %d, %d %d:%02d:%02d %s", kMonths[static_cast<std::size_t>(local.tm_mon % 12)],
                local.tm_mday, local.tm_year + 1900, hour12, local.tm_min, local.tm_sec, local.tm_hour < 12 ? "AM" : "PM");
  return text;
}

// 1 received, 2 sent, 4 waiting to go to its recipient, 3 a draft.
int message_type(const SmsRecord& r) {
  if (record_in_folder(r, SmsFolder::Inbox)) return 1;
  if (r.Type == "5") return 2;
  return r.Phone.empty() ? 3 : 4;
}

}  // namespace

std::vector<ExportedMessage> exported_messages(const MessageStore& store, std::int64_t now_ms) {
  std::vector<ExportedMessage> out;
  for (const SmsFolder folder : {SmsFolder::Inbox, SmsFolder::Outbox}) {
    for (const JoinedMessage& m : store.joined(folder)) {
      ExportedMessage e;
      e.index = *std::min_element(m.records.begin(), m.records.end());
      e.text = code_points_to_utf8(utf8_to_code_points(from_handset_lines(m.text)));
      // The time of the message's first part present.
      const std::optional<StampTime> stamp = parse_stamp_iso(store.at(m.records.front()).Stamp);
      e.stamped = stamp.has_value();
      e.time = stamp ? *stamp : stamp_time_of(now_ms);
      out.push_back(std::move(e));
    }
  }
  std::stable_sort(out.begin(), out.end(), [](const ExportedMessage& a, const ExportedMessage& b) { return a.index < b.index; });
  return out;
}

int exported_message_count(const MessageStore& store) {
  return static_cast<int>(store.joined(SmsFolder::Inbox).size() + store.joined(SmsFolder::Outbox).size());
}

std::string write_sms_backup_xml(const MessageStore& store, const NameOfNumber& name_of, std::int64_t now_ms) {
  const std::vector<ExportedMessage> messages = exported_messages(store, now_ms);
  std::string out = "<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\n";
  out += "<smses count=\"" + std::to_string(messages.size()) + "\">\n";
  for (const ExportedMessage& m : messages) {
    const SmsRecord& r = store.at(m.index);
    const std::string name = name_of && !r.Phone.empty() ? name_of(r.Phone) : std::string();
    const std::string date = std::to_string(m.time.utc_ms);
    out += "  <sms protocol=\"0\" address=\"" + attribute(r.Phone) + "\" date=\"" + date + "\" type=\"" +
           std::to_string(message_type(r)) + "\" subject=\"null\" body=\"" + attribute(m.text) +
           "\" toa=\"null\" sc_toa=\"null\" service_center=\"" + (r.SMSC.empty() ? "null" : attribute(r.SMSC)) +
           "\" read=\"" + (r.Type == "3" ? "0" : "1") + "\" status=\"-1\" locked=\"0\" date_sent=\"" +
           (m.stamped && message_type(r) == 1 ? date : "0") + "\" readable_date=\"" +
           attribute(readable_date(m.time.utc_ms)) + "\" contact_name=\"" +
           attribute(name.empty() ? "(Unknown)" : name) + "\" />\n";
  }
  out += "</smses>\n";
  return out;
}

}  // namespace phondeck
