#include "session/backup_files.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <span>

#include <nlohmann/json.hpp>

#include "app/sha256.h"
#include "app/text_table.h"
#include "link/handset_info.h"
#include "media/picture_files.h"
#include "media/windows_bitmap.h"
#include "organiser/icalendar.h"
#include "organiser/messages_window.h"
#include "phonebook/phone_book_files.h"
#include "phonebook/vcard.h"
#include "session/backup_differences.h"
#include "session/handset_session.h"

namespace phondeck {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kTextPhone = 610;
constexpr int kTextName = 611;
constexpr int kTextTime = 613;
constexpr int kTextInbox = 631;
constexpr int kTextOutbox = 632;

// A member of a JSON object of the expected type, or the fallback (a file
// from outside may hold anything).
std::string field(const Json& j, const char* key, const char* fallback) {
  if (!j.is_object()) return fallback;
  const auto it = j.find(key);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string(fallback);
}

int field(const Json& j, const char* key, int fallback) {
  if (!j.is_object()) return fallback;
  const auto it = j.find(key);
  if (it == j.end() || !it->is_number_integer()) return fallback;
  return static_cast<int>(std::clamp<long long>(it->get<long long>(), -1000000, 1000000));
}

bool field(const Json& j, const char* key, bool fallback) {
  if (!j.is_object()) return fallback;
  const auto it = j.find(key);
  return it != j.end() && it->is_boolean() ? it->get<bool>() : fallback;
}

std::string hex(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> unhex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int v = 0;
    for (std::size_t k = i; k < i + 2; ++k) {
      const char c = text[k];
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + d;
    }
    out.push_back(static_cast<std::uint8_t>(v));
  }
  return out;
}

std::span<const std::uint8_t> bytes_of(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string text_of(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string group_file(int index) { return "group-" + std::to_string(index + 1) + ".ngg"; }

// Blocks of a text file from a BEGIN line to its END line ("VCARD", "VEVENT").
std::vector<std::string> blocks(const std::string& text, const std::string& kind) {
  std::vector<std::string> out;
  const std::string begin = "BEGIN:" + kind;
  const std::string end = "END:" + kind;
  std::size_t at = 0;
  while ((at = text.find(begin, at)) != std::string::npos) {
    const std::size_t stop = text.find(end, at);
    if (stop == std::string::npos) break;
    out.push_back(text.substr(at, stop + end.size() - at));
    at = stop + end.size();
  }
  return out;
}

// A property's value in a block ("FN", "SUMMARY"), "" when it has none.
std::string property(const std::string& block, const std::string& name) {
  std::size_t at = 0;
  while ((at = block.find(name, at)) != std::string::npos) {
    const bool line_start = at == 0 || block[at - 1] == '\n';
    const std::size_t after = at + name.size();
    if (line_start && after < block.size() && (block[after] == ':' || block[after] == ';')) {
      const std::size_t colon = block.find(':', after);
      const std::size_t eol = block.find_first_of("\r\n", colon);
      return block.substr(colon + 1, eol == std::string::npos ? std::string::npos : eol - colon - 1);
    }
    at = after;
  }
  return {};
}

// The block without its lines that begin with `start`.
std::string without_line(const std::string& block, const std::string& start) {
  std::string out;
  std::size_t at = 0;
  while (at < block.size()) {
    std::size_t eol = block.find('\n', at);
    eol = eol == std::string::npos ? block.size() : eol + 1;
    if (block.compare(at, start.size(), start) != 0) out.append(block, at, eol - at);
    at = eol;
  }
  return out;
}

// ---- files from the records ----

std::string messages_text(const MessageStore& store, const PhoneBook& book) {
  std::string out;
  for (const auto& [folder, title] : {std::pair{SmsFolder::Inbox, kTextInbox}, std::pair{SmsFolder::Outbox, kTextOutbox}}) {
    out += "== " + tx(title) + " ==\n\n";
    for (const JoinedMessage& m : store.joined(folder)) {
      const SmsRecord& r = store.at(m.records.front());
      out += tx(kTextPhone) + ": " + r.Phone + "\n";
      out += tx(kTextName) + ": " + book.name_for_number(r.Phone) + "\n";
      if (!r.Time.empty()) out += tx(kTextTime) + ": " + r.Time + "\n";
      if (!r.Stamp.empty()) out += "Stamp: " + r.Stamp + "\n";
      out += "\n" + from_handset_lines(m.text) + "\n\n";
    }
  }
  return out;
}

Json message_json(const SmsRecord& r) {
  const int status = std::atoi(r.Type.c_str());
  Json m;
  m["folder"] = status == 1 || status == 3 ? "inbox" : "outbox";
  m["status"] = status;
  m["location"] = std::atoi(r.Pos.c_str());
  m["number"] = r.Phone;
  m["smsc"] = r.SMSC;
  m["time"] = r.Time;
  m["stamp"] = r.Stamp;  // ISO 8601 with the zone; "" without a time stamp
  m["first_octet"] = r.FirstOctet;
  m["data_coding"] = r.DataCoding;
  m["length"] = r.Length;
  // The user-data header, when the first octet says there is one.
  std::string udh;
  if ((r.FirstOctet & 0x40) != 0 && !r.UserData.empty()) {
    const std::size_t n = std::min<std::size_t>(r.UserData.size(), 1u + r.UserData[0]);
    udh = hex(std::span(r.UserData).first(n));
  }
  m["udh"] = udh;
  m["user_data"] = hex(r.UserData);
  m["text"] = r.Text;
  return m;
}

std::string messages_json(const MessageStore& store) {
  Json list = Json::array();
  for (const SmsRecord& r : store.records()) list.push_back(message_json(r));
  return Json{{"messages", list}}.dump(2) + "\n";
}

std::string groups_json(const CallerGroupTable& table) {
  Json list = Json::array();
  for (int i = 0; i < kCallerGroups; ++i) {
    const CallerGroup& g = table.at(i);
    list.push_back(Json{{"group", i + 1},
                        {"name", g.display_name()},
                        {"name_bytes", hex(g.name_bytes())},
                        {"ringing_tone", g.ringing_tone},
                        {"logo", group_file(i)}});
  }
  return Json{{"groups", list}}.dump(2) + "\n";
}

std::string profiles_json(const ProfileSet& set) {
  Json list = Json::array();
  for (int n = 0; n < kProfileCount; ++n) {
    const Profile& p = set[n];
    Json features = Json::object();
    for (int f = 0; f < kProfileFeatures; ++f) {
      const int value = f == kCallerGroupSetting ? caller_group_bits(p.read_groups)
                                                 : p.read_values[static_cast<std::size_t>(f)];
      features[std::to_string(profile_feature_code(f))] = value;
    }
    list.push_back(Json{{"profile", n + 1}, {"name", p.read_name}, {"features", features}});
  }
  return Json{{"profiles", list}}.dump(2) + "\n";
}

std::string settings_json(const MessageRecords& messages, const DiaryAlarm& alarm) {
  Json s;
  s["message_centre"] = Json{{"number", messages.message_centre}, {"record", hex(messages.centre_record)}};
  // An alarm that is off has no time: the handset keeps whatever it had.
  s["diary_alarm"] = Json{{"on", alarm.enabled},
                          {"time", alarm.enabled ? Json(two(alarm.hour) + ":" + two(alarm.minute)) : Json()}};
  return s.dump(2) + "\n";
}

std::optional<Json> parse_json(const BackupFiles& files, const std::string& name) {
  const auto it = files.find(name);
  if (it == files.end()) return std::nullopt;
  try {
    Json j = Json::parse(it->second);
    if (!j.is_object()) return std::nullopt;
    return j;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

// A JSON array member of an object, or nullopt.
std::optional<Json> array_member(const std::optional<Json>& j, const char* key) {
  if (!j || !j->contains(key) || !(*j)[key].is_array()) return std::nullopt;
  return (*j)[key];
}

std::optional<std::string> file(const BackupFiles& files, const std::string& name) {
  const auto it = files.find(name);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

std::string feature_title(int code) {
  const int index = profile_feature_index(code);
  if (index == kCallerGroupSetting) return "caller groups";
  return index >= 0 && index < kProfileSettings ? profile_setting_label(index) : "feature " + std::to_string(code);
}

// The content that makes two messages the same one, wherever it is kept.
std::string message_content(const Json& m) {
  return field(m, "number", "") + "\n" + std::to_string(field(m, "data_coding", 0)) + "\n" + field(m, "user_data", "");
}

// Where a message is kept: "inbox, read, 08.12.26 09:30:00".
std::string message_kept(const Json& m) {
  const int status = field(m, "status", 0);
  const char* said = status == 1 ? "read" : status == 3 ? "unread" : status == 5 ? "sent" : status == 7 ? "unsent" : "?";
  const std::string stamp = field(m, "stamp", "");
  const std::string time = stamp.empty() ? field(m, "time", "") : stamp;
  return field(m, "folder", "") + ", " + said + ", " + (time.empty() ? "no time stamp" : time);
}

std::string message_label(const Json& m) {
  std::string text = field(m, "text", "");
  if (text.size() > 24) text = text.substr(0, 24) + "...";
  return field(m, "folder", "") + " message " + field(m, "number", "") + " \"" + text + "\"";
}

}  // namespace

std::string part_name(BackupPart part) {
  switch (part) {
    case BackupPart::Settings: return "settings";
    case BackupPart::Groups: return "groups";
    case BackupPart::Operator: return "operator";
    case BackupPart::Startup: return "startup";
    case BackupPart::Profiles: return "profiles";
    case BackupPart::Calendar: return "calendar";
    case BackupPart::PhoneBook: return "phonebook";
    case BackupPart::Messages: return "messages";
  }
  return {};
}

std::optional<BackupPart> part_by_name(std::string_view name) {
  for (BackupPart part : kBackupParts) {
    if (part_name(part) == name) return part;
  }
  return std::nullopt;
}

std::string part_title(BackupPart part) {
  switch (part) {
    case BackupPart::Settings: return "message centre and alarm";
    case BackupPart::Groups: return "caller groups";
    case BackupPart::Operator: return "operator logo";
    case BackupPart::Startup: return "startup graphic";
    case BackupPart::Profiles: return "profiles";
    case BackupPart::Calendar: return "calendar";
    case BackupPart::PhoneBook: return "phone book";
    case BackupPart::Messages: return "messages";
  }
  return {};
}

bool part_on_model(BackupPart part, const HandsetInfo& info) {
  if (!info.model_lacks_features()) return true;
  return part != BackupPart::Groups && part != BackupPart::Startup && part != BackupPart::Profiles &&
         part != BackupPart::Calendar;
}

std::vector<std::string> part_files(BackupPart part) {
  switch (part) {
    case BackupPart::Settings: return {"settings.json"};
    case BackupPart::Groups: {
      std::vector<std::string> names{"groups.json"};
      for (int i = 0; i < kCallerGroups; ++i) names.push_back(group_file(i));
      return names;
    }
    case BackupPart::Operator: return {"operator.nol"};
    case BackupPart::Startup: return {"startup.bmp"};
    case BackupPart::Profiles: return {"profiles.json"};
    case BackupPart::Calendar: return {"calendar.ics"};
    case BackupPart::PhoneBook: return {"phonebook.vcf"};
    case BackupPart::Messages: return {"messages.txt", "messages.json"};
  }
  return {};
}

void files_from_records(BackupPart part, HandsetSession& session, BackupFiles& out) {
  MediaFamilies& media = session.media();
  OrganiserFamilies& organiser = session.organiser();
  switch (part) {
    case BackupPart::Settings:
      out["settings.json"] = settings_json(organiser.messages(), organiser.calendar().clock().alarm());
      return;
    case BackupPart::Groups:
      out["groups.json"] = groups_json(media.caller_groups());
      for (int i = 0; i < kCallerGroups; ++i) out[group_file(i)] = text_of(encodeNgg(media.caller_groups().at(i).picture()));
      return;
    case BackupPart::Operator: {
      const OperatorLogo& logo = media.graphics_records().operator_logo;
      out["operator.nol"] = text_of(encodeNol(logo.picture, logo.mcc, logo.mnc));
      return;
    }
    case BackupPart::Startup:
      out["startup.bmp"] = text_of(encodeWindowsBitmap(media.graphics_records().startup));
      return;
    case BackupPart::Profiles:
      out["profiles.json"] = profiles_json(organiser.profiles());
      return;
    case BackupPart::Calendar: {
      CalendarList sorted = organiser.calendar().list();
      sorted.sort_and_collapse();
      // Floating times: a restore on a computer in any zone gives the
      // handset back the wall-clock times it held; the same notes the same
      // text.
      IcalendarOptions options;
      options.stamp_from_start = true;
      options.floating = true;
      options.uid_seed = session.info().imei;
      out["calendar.ics"] = export_icalendar(sorted.events(), options);
      return;
    }
    case BackupPart::PhoneBook:
      out["phonebook.vcf"] = write_vcards(session.book().active().entries());
      return;
    case BackupPart::Messages:
      out["messages.txt"] = messages_text(organiser.messages().store, session.book());
      out["messages.json"] = messages_json(organiser.messages().store);
      return;
  }
}

std::optional<std::vector<BackupItem>> part_items(BackupPart part, const BackupFiles& files) {
  std::vector<BackupItem> items;
  switch (part) {
    case BackupPart::Settings: {
      const auto j = parse_json(files, "settings.json");
      if (!j || !j->contains("message_centre") || !j->contains("diary_alarm")) return std::nullopt;
      // The centre's other fields go back as the handset holds them: only
      // its number is the user's.
      items.push_back({"message centre number", field((*j)["message_centre"], "number", ""), {}});
      items.push_back({"diary alarm", (*j)["diary_alarm"].dump(), {}});
      return items;
    }
    case BackupPart::Groups: {
      const auto list = array_member(parse_json(files, "groups.json"), "groups");
      if (!list || list->size() != kCallerGroups) return std::nullopt;
      for (int i = 0; i < kCallerGroups; ++i) {
        const Json& g = (*list)[static_cast<std::size_t>(i)];
        const auto logo = file(files, group_file(i));
        if (!g.is_object() || !logo) return std::nullopt;
        const std::string label = "group " + std::to_string(i + 1) + " (" + field(g, "name", "") + ")";
        Json kept = g;
        kept.erase("name");  // name_bytes holds it exactly
        items.push_back({label, kept.dump(), {}});
        items.push_back({label + " logo", *logo, {}});
      }
      return items;
    }
    case BackupPart::Operator:
    case BackupPart::Startup:
    case BackupPart::Calendar:
    case BackupPart::PhoneBook: {
      const std::string name = part_files(part).front();
      const auto text = file(files, name);
      if (!text) return std::nullopt;
      if (part == BackupPart::Operator || part == BackupPart::Startup) {
        items.push_back({part_title(part), *text, {}});
        return items;
      }
      if (part == BackupPart::Calendar) {
        for (const std::string& b : blocks(*text, "VEVENT")) {
          // The UID comes from the IMEI of the handset backed up: another
          // handset's notes are the same notes.
          items.push_back({"note " + property(b, "DTSTART") + " \"" + unescaped_text(property(b, "SUMMARY")) + "\"",
                           without_line(b, "UID:"), {}});
        }
        return items;
      }
      for (const std::string& b : blocks(*text, "VCARD")) {
        const std::string memory = property(b, "X-PHONDECK-MEMORY");
        items.push_back({unescaped_text(property(b, "FN")) + " (" + memory + " " + property(b, "X-PHONDECK-POSITION") + ")", b, {}});
      }
      return items;
    }
    case BackupPart::Profiles: {
      const auto list = array_member(parse_json(files, "profiles.json"), "profiles");
      if (!list) return std::nullopt;
      for (const Json& p : *list) {
        if (!p.is_object() || !p.contains("features") || !p["features"].is_object()) return std::nullopt;
        const std::string who = "profile " + std::to_string(field(p, "profile", 0));
        items.push_back({who + " name", field(p, "name", ""), {}});
        for (const auto& [code, value] : p["features"].items()) {
          items.push_back({who + " " + feature_title(std::atoi(code.c_str())), value.dump(), {}});
        }
      }
      return items;
    }
    case BackupPart::Messages: {
      const auto list = array_member(parse_json(files, "messages.json"), "messages");
      if (!list || !file(files, "messages.txt")) return std::nullopt;
      for (const Json& m : *list) {
        if (!m.is_object()) return std::nullopt;
        items.push_back({message_label(m), message_content(m), message_kept(m)});
      }
      return items;
    }
  }
  return std::nullopt;
}

bool records_from_files(BackupPart part, const BackupFiles& files, HandsetSession& session, Prompt& prompt,
                        std::string& error) {
  MediaFamilies& media = session.media();
  OrganiserFamilies& organiser = session.organiser();
  error = "the backup's " + part_title(part) + " cannot be read";
  switch (part) {
    case BackupPart::Settings: {
      const auto settings = read_settings_file(files);
      if (!settings) return false;
      organiser.messages().message_centre = settings->centre;
      return true;
    }
    case BackupPart::Groups: {
      const auto list = array_member(parse_json(files, "groups.json"), "groups");
      if (!list || list->size() != kCallerGroups) return false;
      CallerGroupTable& table = media.caller_groups();
      for (int i = 0; i < kCallerGroups; ++i) {
        const Json& g = (*list)[static_cast<std::size_t>(i)];
        const auto logo = file(files, group_file(i));
        if (!g.is_object() || !logo) return false;
        const auto name = unhex(field(g, "name_bytes", ""));
        const PictureLoad picture = decodePixelText(bytes_of(*logo), PixelTextKind::Ngg);
        if (!name || !picture.ok()) return false;
        CallerGroup& group = table.at(i);
        const std::size_t kept = kept_name_bytes(*name);
        group.name = {};
        std::copy_n(name->begin(), kept, group.name.begin());
        group.name_length = static_cast<std::int32_t>(kept);
        group.ringing_tone = static_cast<std::uint8_t>(field(g, "ringing_tone", int{kDefaultGroupTone}));
        group.set_picture(picture.picture);
      }
      return true;
    }
    case BackupPart::Operator: {
      const auto bytes = file(files, "operator.nol");
      if (!bytes) return false;
      const PictureLoad load = decodePixelText(bytes_of(*bytes), PixelTextKind::Nol);
      if (!load.ok()) return false;
      OperatorLogo& logo = media.graphics_records().operator_logo;
      logo.picture = load.picture;
      logo.mcc = std::max(load.mcc, 0);
      logo.mnc = std::max(load.mnc, 0);
      return true;
    }
    case BackupPart::Startup: {
      const auto bytes = file(files, "startup.bmp");
      if (!bytes) return false;
      const std::optional<MonoBitmap> picture = decodeWindowsBitmap(bytes_of(*bytes));
      if (!picture) return false;
      media.graphics_records().startup = *picture;
      return true;
    }
    case BackupPart::Profiles: {
      const auto list = array_member(parse_json(files, "profiles.json"), "profiles");
      if (!list) return false;
      ProfileSet& set = organiser.profiles();
      for (const Json& p : *list) {
        if (!p.is_object() || !p.contains("features") || !p["features"].is_object()) return false;
        const int n = field(p, "profile", 0) - 1;
        if (n < 0 || n >= kProfileCount) return false;
        for (const auto& [code, value] : p["features"].items()) {
          if (!value.is_number_integer()) return false;
          // The byte as the backup holds it, written as it is.
          if (!set.set_value(n, std::atoi(code.c_str()), static_cast<std::uint8_t>(value.get<int>()))) return false;
        }
      }
      return true;
    }
    case BackupPart::Calendar: {
      const auto text = file(files, "calendar.ics");
      if (!text) return false;
      IcalendarImport imported = import_icalendar(*text);
      if (!imported.ok) return false;
      organiser.calendar().list().replace(std::move(imported.events));
      return true;
    }
    case BackupPart::PhoneBook: {
      const auto text = file(files, "phonebook.vcf");
      if (!text) return false;
      PhoneBookList& list = session.book().active();
      while (!list.empty()) list.remove(list.size() - 1);
      if (blocks(*text, "VCARD").empty()) return true;  // an empty phone book
      PhoneBookFiles importer(session.book(), prompt);
      importer.leave_positions_to_handset();
      return importer.import_text(session.book().active_side(), *text, ContactFormat::VCard) > 0;
    }
    case BackupPart::Messages:
      // Written from the file by the restore itself: see stored_messages().
      return parse_json(files, "messages.json").has_value();
  }
  return false;
}

std::optional<SettingsFile> read_settings_file(const BackupFiles& files) {
  const auto j = parse_json(files, "settings.json");
  if (!j || !j->contains("message_centre") || !j->contains("diary_alarm") || !(*j)["message_centre"].is_object() ||
      !(*j)["diary_alarm"].is_object()) {
    return std::nullopt;
  }
  SettingsFile out;
  out.centre = field((*j)["message_centre"], "number", "");
  const Json& a = (*j)["diary_alarm"];
  out.alarm.enabled = field(a, "on", false);
  if (!out.alarm.enabled) return out;
  const std::string time = a.contains("time") && a["time"].is_string() ? a["time"].get<std::string>() : "";
  if (time.size() != 5 || time[2] != ':') return std::nullopt;
  out.alarm.hour = std::atoi(time.substr(0, 2).c_str());
  out.alarm.minute = std::atoi(time.substr(3).c_str());
  if (out.alarm.hour < 0 || out.alarm.hour > 23 || out.alarm.minute < 0 || out.alarm.minute > 59) return std::nullopt;
  return out;
}

BackupFiles without_received_messages(const BackupFiles& files, int& left) {
  left = 0;
  BackupFiles out = files;
  auto j = parse_json(files, "messages.json");
  if (!j || !j->contains("messages") || !(*j)["messages"].is_array()) return out;
  Json kept = Json::array();
  for (const Json& m : (*j)["messages"]) {
    if (m.is_object() && field(m, "folder", "") == "inbox") {
      ++left;
    } else {
      kept.push_back(m);
    }
  }
  (*j)["messages"] = kept;
  out["messages.json"] = j->dump(2) + "\n";
  return out;
}

std::optional<std::vector<StoredMessage>> messages_to_store(const BackupFiles& wanted, const BackupFiles& held,
                                                            bool received) {
  const auto list = array_member(parse_json(wanted, "messages.json"), "messages");
  if (!list) return std::nullopt;
  std::vector<std::string> on_handset;
  if (const auto have = part_items(BackupPart::Messages, held)) {
    for (const BackupItem& item : *have) on_handset.push_back(item.content);
  }
  std::vector<StoredMessage> out;
  for (const Json& m : *list) {
    if (!m.is_object()) return std::nullopt;
    if (!received && field(m, "folder", "") != "outbox") continue;
    const auto kept = std::find(on_handset.begin(), on_handset.end(), message_content(m));
    if (kept != on_handset.end()) {
      on_handset.erase(kept);
      continue;
    }
    const auto data = unhex(field(m, "user_data", ""));
    if (!data) return std::nullopt;
    StoredMessage stored;
    stored.message.set_user_data(*data);
    const int first_octet = field(m, "first_octet", 0);
    const bool header = (first_octet & 0x40) != 0;
    const std::string folder = field(m, "folder", "");
    // A received message goes in as one to send: its first octet is a
    // submit's, its header kept.
    stored.message.first_octet =
        static_cast<std::uint8_t>(folder == "outbox" ? first_octet : (0x11 | (header ? 0x40 : 0x00)));
    stored.message.data_coding = static_cast<std::uint8_t>(field(m, "data_coding", 0));
    const int length = field(m, "length", -1);
    stored.message.user_data_length = static_cast<std::uint8_t>(length >= 0 ? length : static_cast<int>(data->size()));
    stored.number = field(m, "number", "");
    stored.status = folder == "outbox" && field(m, "status", 7) == 5 ? 5 : 7;
    out.push_back(std::move(stored));
  }
  return out;
}

std::string manifest_json(const BackupManifest& m) {
  Json files = Json::array();
  for (const BackupManifest::File& f : m.files) {
    files.push_back(Json{{"name", f.name}, {"size", f.size}, {"sha256", f.sha256}});
  }
  Json j;
  j["format"] = m.format;
  j["model"] = m.model;
  j["imei"] = m.imei;
  j["firmware"] = m.firmware;
  j["time"] = m.time;
  j["parts"] = m.parts;
  j["absent"] = m.absent;
  j["files"] = files;
  return j.dump(2) + "\n";
}

bool parse_manifest(std::string_view text, BackupManifest& out, std::string& error) {
  Json j;
  try {
    j = Json::parse(text);
  } catch (const std::exception&) {
    error = "its manifest.json is not JSON";
    return false;
  }
  if (!j.is_object() || !j.contains("format") || !j["format"].is_number_integer() || !j.contains("files") ||
      !j["files"].is_array()) {
    error = "its manifest.json lists no format or no files";
    return false;
  }
  BackupManifest m;
  m.format = j["format"].get<int>();
  if (m.format > BackupManifest::kFormat) {
    error = "it was made by a newer version (backup format " + std::to_string(m.format) + ")";
    return false;
  }
  auto text_of_key = [&](const char* key) {
    return j.contains(key) && j[key].is_string() ? j[key].get<std::string>() : std::string();
  };
  m.model = text_of_key("model");
  m.imei = text_of_key("imei");
  m.firmware = text_of_key("firmware");
  m.time = text_of_key("time");
  for (const char* key : {"parts", "absent"}) {
    if (!j.contains(key) || !j[key].is_array()) continue;
    for (const Json& p : j[key]) {
      if (p.is_string()) (std::string(key) == "parts" ? m.parts : m.absent).push_back(p.get<std::string>());
    }
  }
  for (const Json& f : j["files"]) {
    if (!f.is_object() || !f.contains("name") || !f["name"].is_string() || !f.contains("size") ||
        !f["size"].is_number_unsigned() || !f.contains("sha256") || !f["sha256"].is_string()) {
      error = "its manifest.json lists a file without name, size or SHA-256";
      return false;
    }
    m.files.push_back({f["name"].get<std::string>(), f["size"].get<std::size_t>(), f["sha256"].get<std::string>()});
  }
  out = std::move(m);
  return true;
}

std::vector<BackupManifest::File> list_files(const BackupFiles& files) {
  std::vector<BackupManifest::File> list;
  for (const auto& [name, bytes] : files) list.push_back({name, bytes.size(), sha256_hex(bytes)});
  return list;
}

}  // namespace phondeck
