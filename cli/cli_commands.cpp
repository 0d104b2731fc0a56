// The subcommands: their table (words, usage, help) and what each runs.
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "app/configuration.h"
#include "app/text_table.h"
#include "cli/cli_backup.h"
#include "cli/cli_output.h"
#include "cli/phondeck.h"
#include "link/information_dialogs.h"
#include "link/net_monitor_family.h"
#include "link/phonebook_family.h"
#include "media/picture_files.h"
#include "media/ring_tone_window.h"
#include "organiser/graphics_sms.h"
#include "organiser/message_archive.h"
#include "organiser/calendar_window.h"
#include "organiser/messages_window.h"
#include "organiser/profiles_window.h"
#include "organiser/sms_sending.h"
#include "phonebook/value_tables.h"
#include "platform/device_choice.h"
#include "sim/models.h"
#include "phonebook/phone_book_files.h"

namespace phondeck::cli {

namespace {

// Status texts that end the operations.
constexpr int kReadPhoneBookCompleted = 3003;
constexpr int kReadMessagesCompleted = 3017;
constexpr int kWriteMessagesCompleted = 3019;
constexpr int kDeleteMessagesCompleted = 3021;
constexpr int kSetSmscCompleted = 3023;
constexpr int kSendSmsCompleted = 3025;
constexpr int kReadCalendarCompleted = 3027;
constexpr int kWriteCalendarCompleted = 3031;
constexpr int kWriteTimeCompleted = 3033;
constexpr int kReadTimeCompleted = 3061;
constexpr int kReadAlarmCompleted = 3035;
constexpr int kWriteAlarmCompleted = 3037;
constexpr int kOpenNetMonitorCompleted = 3047;
constexpr int kCloseNetMonitorCompleted = 3049;
constexpr int kWriteRingToneCompleted = 3039;
constexpr int kWriteGraphicCompleted = 3041;
constexpr int kWriteStartupCompleted = 3045;
constexpr int kReadGroupCompleted = 3051;
constexpr int kTextLogoNotWritten = 3711;
constexpr int kReadProfilesCompleted = 3057;
constexpr int kProfileOptionText = 2221;  // "Ringing"
constexpr int kWriteProfilesCompleted = 3059;
constexpr int kWriteAllCompleted = 3632;
constexpr int kTextSucceeded = 3503;
constexpr int kTextAskClear = 3200;

// Said when neither --device nor a tv.dat names the handset's device.
constexpr const char* kNoDevice =
    "no device is set: give --device PATH with the cable's device (such as /dev/ttyUSB0), or --device virtual "
    "to try the built-in handset; Device= in tv.dat (Telvane's Options) sets it for good";

struct Context {
  Invocation& inv;
  Terminal& terminal;
  Output out;
  std::unique_ptr<CliSession> session;
  bool device_unset = false;  // no --device, no tv.dat: the default port

  // The session, made on first use; not yet connected.
  CliSession& handset() {
    if (!session) session = std::make_unique<CliSession>(terminal, inv.globals, device_unset ? kNoDevice : "");
    return *session;
  }
  // The connected session, or nullptr (the reason already shown).
  CliSession* connected() { return handset().connect() ? session.get() : nullptr; }
};

int usage(Context& c, const std::string& error) {
  c.terminal.err << "phondeck: " << error << "\n";
  if (c.inv.command != nullptr) {
    c.terminal.err << "Usage: phondeck " << c.inv.command->words << " " << c.inv.command->usage
                   << "\n(phondeck " << c.inv.command->words << " --help for more)\n";
  }
  return kExitUsage;
}

int failed(Context& c, const std::string& error) {
  c.terminal.err << "phondeck: " << error << "\n";
  return kExitFailed;
}

// A whole decimal number within [low, high].
std::optional<int> number_in(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (char ch : text) {
    if (ch < '0' || ch > '9') return std::nullopt;
    value = value * 10 + (ch - '0');
  }
  if (value < low || value > high) return std::nullopt;
  return value;
}

// "HH:MM", 00:00 to 23:59.
std::optional<std::pair<int, int>> hour_minute(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon > 2 || text.size() - colon != 3) return std::nullopt;
  const auto hour = number_in(text.substr(0, colon), 0, 23);
  const auto minute = number_in(text.substr(colon + 1), 0, 59);
  if (!hour || !minute) return std::nullopt;
  return std::make_pair(*hour, *minute);
}

// "YYYY-MM-DD HH:MM[:SS]" (or with "T" between), a date that exists.
std::optional<LocalTime> local_time(const std::string& text) {
  if (text.size() != 16 && text.size() != 19) return std::nullopt;
  if (text[4] != '-' || text[7] != '-' || (text[10] != ' ' && text[10] != 'T') || text[13] != ':') {
    return std::nullopt;
  }
  if (text.size() == 19 && text[16] != ':') return std::nullopt;
  LocalTime t;
  const auto year = number_in(text.substr(0, 4), 1980, 2099);
  const auto month = number_in(text.substr(5, 2), 1, 12);
  const auto day = number_in(text.substr(8, 2), 1, 31);
  const auto hour = number_in(text.substr(11, 2), 0, 23);
  const auto minute = number_in(text.substr(14, 2), 0, 59);
  const auto second = text.size() == 19 ? number_in(text.substr(17, 2), 0, 59) : std::optional<int>(0);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*day > days_in_month(*year, *month)) return std::nullopt;
  t.year = *year;
  t.month = *month;
  t.day = *day;
  t.hour = *hour;
  t.minute = *minute;
  t.second = *second;
  return t;
}

std::string two(int n) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", n);
  return b;
}

std::string date_text(int year, int month, int day) { return std::to_string(year) + "-" + two(month) + "-" + two(day); }

bool read_file(const std::string& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  bytes = all.str();
  return !in.bad();
}

// The message text of --text or --file (one line break at its end dropped).
std::optional<std::string> message_text(Context& c) {
  if (c.inv.has("--text") == c.inv.has("--file")) {
    usage(c, "give the message as --text TEXT or --file FILE");
    return std::nullopt;
  }
  if (c.inv.has("--text")) return c.inv.value("--text");
  std::string bytes;
  if (!read_file(c.inv.value("--file"), bytes)) {
    failed(c, "cannot read " + c.inv.value("--file"));
    return std::nullopt;
  }
  if (!bytes.empty() && bytes.back() == '\n') bytes.pop_back();
  if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
  std::string lines;
  for (char ch : bytes) {
    if (ch != '\r') lines += ch;
  }
  return lines;
}

// ---- identify ----

int identify(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  HandsetInfo& info = s->session().info();
  const HardwareFields hw = hardware_information(info);
  Record r;
  r["imei"] = hw.edit[0];
  r["manufacturer"] = hw.edit[1];
  r["type"] = hw.edit[2];
  r["model"] = hw.edit[3];
  r["frequency"] = hw.edit[4];
  r["assembled_in"] = hw.edit[5];
  r["hardware_version"] = hw.edit[6];
  r["firmware_version"] = hw.edit[7];
  r["battery"] = info.battery;
  r["signal"] = info.signal;
  // The handset reports its network only when it chooses to.
  if (info.mcc != 0) {
    r["network"] = std::to_string(info.mcc) + " " + two(info.mnc);
  } else {
    r["network"] = nullptr;
  }
  c.out.object(r);
  return kExitOk;
}

// ---- phone book ----

int phonebook_read(Context& c) {
  std::optional<int> memory;
  if (c.inv.has("--memory")) {
    const std::string m = c.inv.value("--memory");
    if (m != "phone" && m != "sim") return usage(c, "--memory is phone or sim");
    memory = m == "phone" ? kMemoryPhone : kMemorySim;
  }
  std::optional<ContactFormat> format;
  const std::string file = c.inv.value("-o");
  if (c.inv.has("-o")) {
    format = contact_format_of(file);
    if (!format) return usage(c, "-o needs a .vcf or .csv file");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  OperationEngine& engine = s->engine();
  if (!s->run([&] { return start_phone_book_read(engine); }, s->completed(kReadPhoneBookCompleted))) {
    return kExitFailed;
  }
  PhoneBookList& list = s->session().book().active();
  if (memory) {
    for (std::size_t i = list.size(); i-- > 0;) {
      if (type_index(list.entry(i).Type) != *memory) list.remove(i);
    }
  }
  if (format) {
    if (!PhoneBookFiles(s->session().book(), s->prompt()).export_active(file, *format)) return kExitFailed;
    c.out.summary(std::to_string(list.size()) + " entries written to " + file);
    return kExitOk;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PhoneBookEntry& e = list.entry(i);
    Record r;
    r["memory"] = type_index(e.Type) == kMemorySim ? "sim" : "phone";
    r["position"] = number_in(e.Pos, 0, 1 << 20).value_or(0);
    // A name the handset holds in UCS-2 has only its multi-byte text.
    r["name"] = e.Name.empty() ? e.UNICODE : e.Name;
    r["number"] = e.Phone;
    r["group"] = e.Group;
    c.out.row(r);
  }
  return kExitOk;
}

int phonebook_write(Context& c) {
  const std::string file = c.inv.operands.at(0);
  const std::optional<ContactFormat> format = contact_format_of(file);
  if (!format) return usage(c, "FILE is a .vcf or .csv file");
  CliSession& s = c.handset();
  PhoneBook& book = s.session().book();
  PhoneBookFiles files(book, s.prompt());
  files.leave_positions_to_handset();
  // Unreadable, or no entries: said already.
  if (files.import_files(book.active_side(), {file}) == 0) return kExitFailed;
  if (!s.connect()) return kExitFailed;
  const bool replace = c.inv.has("--replace");
  if (!s.run([&] { return start_write_all(s.engine(), book.active(), replace); },
             s.completed(kWriteAllCompleted))) {
    return kExitFailed;
  }
  c.out.summary(std::to_string(book.active().size()) + " entries written to the handset");
  return kExitOk;
}

// ---- messages ----

struct MessageWindows {
  explicit MessageWindows(CliSession& s)
      : family(s.session().organiser().message_family()),
        messages(s.engine(), family, s.session().book(), s.prompt()),
        sending(s.engine(), family, s.session().book(), s.prompt()) {}
  MessageFamily& family;
  MessagesWindowLogic messages;
  SmsSendingLogic sending;
};

bool read_messages(CliSession& s, MessageWindows& w) {
  return s.run([&] { return w.messages.read(); }, s.completed(kReadMessagesCompleted));
}

int sms_list(Context& c) {
  std::optional<SmsFolder> folder;
  if (c.inv.has("--folder")) {
    const std::string f = c.inv.value("--folder");
    if (f != "inbox" && f != "outbox") return usage(c, "--folder is inbox or outbox");
    folder = f == "inbox" ? SmsFolder::Inbox : SmsFolder::Outbox;
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  if (!read_messages(*s, w)) return kExitFailed;
  const MessageStore& store = w.family.records().store;
  // The parts of a message joined (in the order of their first part), or
  // every record by itself with --parts.
  std::vector<JoinedMessage> messages;
  for (const SmsFolder f : {SmsFolder::Inbox, SmsFolder::Outbox}) {
    if (folder && f != *folder) continue;
    if (c.inv.has("--parts")) {
      for (const std::size_t i : store.folder(f)) messages.push_back({{i}, store.at(i).Text, 0});
    } else {
      const std::vector<JoinedMessage> joined = store.joined(f);
      messages.insert(messages.end(), joined.begin(), joined.end());
    }
  }
  std::stable_sort(messages.begin(), messages.end(),
                   [](const JoinedMessage& a, const JoinedMessage& b) { return a.records.front() < b.records.front(); });
  for (const JoinedMessage& joined : messages) {
    const SmsRecord& m = store.at(joined.records.front());
    const bool inbox = record_in_folder(m, SmsFolder::Inbox);
    const char* status = m.Type == "1" ? "read" : m.Type == "3" ? "unread" : m.Type == "5" ? "sent" : "unsent";
    Record r;
    r["location"] = number_in(m.Pos, 0, 1 << 20).value_or(0);
    r["folder"] = inbox ? "inbox" : "outbox";
    r["status"] = status;
    r["number"] = m.Phone;
    r["time"] = m.Time.empty() ? Record() : Record(m.Time);
    // A message in parts: "[3]", or "[2/3]" with a part missing.
    r["parts"] = joined.mark();
    if (c.inv.has("--parts") && m.ConcatTotal > 1) {
      r["parts"] = std::to_string(m.ConcatPart) + "/" + std::to_string(m.ConcatTotal);
    }
    r["text"] = from_handset_lines(joined.text);
    c.out.row(r);
  }
  return kExitOk;
}

// Sends the outgoing message, as it is filled, to the numbers (the operands
// from `first` on): one row per number; all must be sent.
int send_outgoing(Context& c, CliSession& s, MessageWindows& w, std::size_t first, int validity = -1) {
  for (std::size_t i = first; i < c.inv.operands.size(); ++i) w.sending.add(w.sending.rows().size(), c.inv.operands[i]);
  if (validity >= 0) w.sending.set_validity(validity);
  if (!s.connect()) return kExitFailed;
  const bool ok = s.run([&] { return w.sending.send_all(); }, s.completed(kSendSmsCompleted));
  bool all_sent = true;
  for (const Recipient& r : w.sending.rows()) {
    Record rec;
    rec["number"] = r.Phone;
    rec["sent"] = r.Result == tx(kTextSucceeded);
    rec["result"] = r.Result;
    all_sent = all_sent && rec["sent"].get<bool>();
    c.out.row(rec);
  }
  if (ok && !all_sent) return failed(c, "not every message was sent");
  return ok ? kExitOk : kExitFailed;
}

int sms_send(Context& c) {
  int validity = -1;
  if (c.inv.has("--validity")) {
    const auto code = number_in(c.inv.value("--validity"), 0, 200);
    if (!code) return usage(c, "--validity is a code from 0 to 200");
    validity = *code;
  }
  const std::optional<std::string> text = message_text(c);
  if (!text) return c.inv.has("--text") == c.inv.has("--file") ? kExitUsage : kExitFailed;
  CliSession& s = c.handset();
  MessageWindows w(s);
  w.messages.set_text(*text);
  if (!w.messages.send()) return kExitFailed;  // too long, or characters it cannot send
  return send_outgoing(c, s, w, 0, validity);
}

int sms_write(Context& c) {
  const std::optional<std::string> text = message_text(c);
  if (!text) return c.inv.has("--text") == c.inv.has("--file") ? kExitUsage : kExitFailed;
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  w.messages.set_text(*text);
  if (!s->run([&] { return w.messages.write(); }, s->completed(kWriteMessagesCompleted))) return kExitFailed;
  c.out.summary("message written to the outbox");
  return kExitOk;
}

int sms_delete(Context& c) {
  std::vector<int> locations;
  for (const std::string& operand : c.inv.operands) {
    const auto location = number_in(operand, 1, 255);
    if (!location) return usage(c, "not a message location: " + operand);
    locations.push_back(*location);
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  if (!read_messages(*s, w)) return kExitFailed;
  for (int location : locations) {
    if (!w.family.records().store.has_location(std::to_string(location))) {
      return failed(c, "no message at location " + std::to_string(location));
    }
  }
  // Asked as the Messages window asks before its Delete.
  auto start = [&] {
    if (config().DelConfirm != 0 && !s->prompt().ask_yes_no(tx(kTextAskClear))) return false;
    return start_message_delete(s->engine(), w.family, locations);
  };
  if (!s->run(start, s->completed(kDeleteMessagesCompleted))) return kExitFailed;
  c.out.summary(std::to_string(locations.size()) + " messages deleted");
  return kExitOk;
}

// Archive: every message into DIR, and with --delete off the handset once
// its file is on disk.
int sms_archive(Context& c) {
  const std::string folder = c.inv.operands.at(0);
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageWindows w(*s);
  MessageArchiver archiver(s->engine(), w.family);
  w.family.set_read_listener([&] { archiver.read_done(); });
  const bool ran = s->run([&] { return archiver.start(folder, c.inv.has("--delete")); },
                          [&] { return !archiver.running(); });
  w.family.set_read_listener({});
  const ArchiveSummary& summary = archiver.summary();
  if (!ran && summary.written == 0) return kExitFailed;
  if (c.out.json()) {
    c.out.object(Record{{"folder", folder},
                        {"messages", summary.messages},
                        {"written", summary.written},
                        {"deleted", summary.deleted}});
  } else {
    c.out.summary(archiver.summary_text());
  }
  const bool complete = ran && summary.written == summary.messages && summary.error.empty() &&
                        (!summary.delete_asked || summary.written == 0 || summary.delete_done);
  return complete ? kExitOk : kExitFailed;
}

int smsc_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageRecords& records = s->session().organiser().messages();
  records.message_centre.clear();
  if (!s->run([&] { return start_smsc_read(s->engine()); }, [&] { return !records.message_centre.empty(); })) {
    return kExitFailed;
  }
  c.out.object(Record{{"smsc", records.message_centre}});
  return kExitOk;
}

int smsc_set(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MessageRecords& records = s->session().organiser().messages();
  records.message_centre = c.inv.operands.at(0);
  if (!s->run([&] { return start_smsc_write(s->engine()); }, s->completed(kSetSmscCompleted))) return kExitFailed;
  c.out.summary("message centre set to " + records.message_centre);
  return kExitOk;
}

// ---- calendar, clock and alarm ----

CalendarDate today() {
  const LocalTime now = system_local_time();
  return CalendarDate{now.year, now.month, now.day};
}

int calendar_read(Context& c) {
  const std::string file = c.inv.value("-o");
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run([&] { return start_calendar_read(s->engine()); }, s->completed(kReadCalendarCompleted))) {
    return kExitFailed;
  }
  CalendarWindow window(s->session().organiser().calendar(), s->engine(), s->prompt(), today());
  if (c.inv.has("-o")) {
    if (!window.export_file(file)) return kExitFailed;
    c.out.summary(std::to_string(window.list().size()) + " events written to " + file);
    return kExitOk;
  }
  static const char* const kTypes[] = {"reminder", "call", "meeting", "birthday"};
  for (const CalendarEvent& e : window.list().events()) {
    Record r;
    r["location"] = number_in(e.index, 0, 1 << 20) ? Record(*number_in(e.index, 0, 1 << 20)) : Record();
    r["date"] = date_text(e.year, e.month, e.day);
    r["time"] = e.all_day() ? Record() : Record(two(e.hour) + ":" + two(e.minute));
    r["type"] = e.type >= 1 && e.type <= 4 ? kTypes[e.type - 1] : "reminder";
    r["text"] = e.data;
    r["alarm"] = e.has_alarm() ? Record(date_text(e.alarm_year, e.alarm_month, e.alarm_day) + " " +
                                        two(e.alarm_hour) + ":" + two(e.alarm_minute))
                               : Record();
    c.out.row(r);
  }
  return kExitOk;
}

int calendar_write(Context& c) {
  const std::string file = c.inv.operands.at(0);
  CliSession& s = c.handset();
  CalendarWindow window(s.session().organiser().calendar(), s.engine(), s.prompt(), today());
  // Not a calendar, or unreadable: said already. Changes made to fit the
  // handset are told on standard error.
  if (!window.import_file(file)) return kExitFailed;
  if (!s.connect()) return kExitFailed;
  if (!s.run([&] { return start_calendar_write(s.engine()); }, s.completed(kWriteCalendarCompleted))) {
    return kExitFailed;
  }
  c.out.summary(std::to_string(window.list().size()) + " events written to the handset");
  return kExitOk;
}

int clock_set(Context& c) {
  if (c.inv.has("--now") && !c.inv.operands.empty()) return usage(c, "give --now or a TIME, not both");
  std::optional<LocalTime> time;
  if (!c.inv.operands.empty()) {
    // The date and the time may come as one operand or as two.
    std::string text = c.inv.operands[0];
    if (c.inv.operands.size() == 2) text += " " + c.inv.operands[1];
    time = local_time(text);
    if (!time) return usage(c, "TIME is YYYY-MM-DD HH:MM[:SS], not " + text);
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ClockFamily& clock = s->session().organiser().calendar().clock();
  if (time) clock.set_now([t = *time] { return t; });
  if (!s->run([&] { return start_write_time(s->engine()); }, s->completed(kWriteTimeCompleted))) {
    return kExitFailed;
  }
  c.out.summary("clock set");
  return kExitOk;
}

int clock_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run([&] { return start_read_time(s->engine()); }, s->completed(kReadTimeCompleted))) {
    return kExitFailed;
  }
  const HandsetClock& clock = s->session().organiser().calendar().clock().clock();
  Record r;
  r["set"] = clock.date_set;
  if (clock.date_set) {
    const LocalTime& t = clock.time;
    r["time"] = std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + " " + two(t.hour) + ":" +
                two(t.minute) + ":" + two(t.second);
  } else {
    r["time"] = Record();
  }
  c.out.object(r);
  return kExitOk;
}

int alarm_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run([&] { return start_read_alarm(s->engine()); }, s->completed(kReadAlarmCompleted))) {
    return kExitFailed;
  }
  const DiaryAlarm& alarm = s->session().organiser().calendar().clock().alarm();
  Record r;
  r["alarm"] = alarm.enabled ? "on" : "off";
  r["time"] = alarm.enabled ? Record(two(alarm.hour) + ":" + two(alarm.minute)) : Record();
  c.out.object(r);
  return kExitOk;
}

int alarm_write(Context& c, bool on, int hour, int minute) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run([&] { return start_write_alarm(s->engine(), on, hour, minute); },
              s->completed(kWriteAlarmCompleted))) {
    return kExitFailed;
  }
  c.out.summary(on ? "alarm set to " + two(hour) + ":" + two(minute) : std::string("alarm off"));
  return kExitOk;
}

int alarm_set(Context& c) {
  const auto time = hour_minute(c.inv.operands.at(0));
  if (!time) return usage(c, "the alarm time is HH:MM, not " + c.inv.operands[0]);
  return alarm_write(c, true, time->first, time->second);
}

int alarm_off(Context& c) { return alarm_write(c, false, 0, 0); }

// ---- ringing tones ----

struct ToneWindow {
  explicit ToneWindow(CliSession& s) : logic(s.engine(), s.session().media().ring_tone(), s.prompt()) {}
  RingToneWindowLogic logic;
};

// The tone of FILE as the Ringing Tone window opens it (RTTTL, .ott, MIDI),
// or, with --as, the file's text on that melody page. False: said why.
bool load_tone(Context& c, RingToneWindowLogic& logic, int& status) {
  const std::string file = c.inv.operands.at(0);
  status = kExitFailed;
  if (!c.inv.has("--as")) return logic.open_file(file);
  const std::string as = c.inv.value("--as");
  const int page = as == "ericsson" ? RingToneWindowLogic::kEricssonPage
                   : as == "nokia"  ? RingToneWindowLogic::kNokiaPage
                   : as == "siemens" ? RingToneWindowLogic::kSiemensPage
                                     : -1;
  if (page < 0) {
    status = usage(c, "--as is ericsson, nokia or siemens");
    return false;
  }
  std::string text;
  if (!read_file(file, text)) {
    failed(c, "cannot read " + file);
    return false;
  }
  logic.set_text(page, text);
  logic.set_page(page);
  return true;
}

int ringtone_write(Context& c) {
  CliSession& s = c.handset();
  ToneWindow w(s);
  int status = kExitOk;
  if (!load_tone(c, w.logic, status)) return status;
  if (!s.connect()) return kExitFailed;
  if (!s.run([&] { return w.logic.write(); }, s.completed(kWriteRingToneCompleted))) return kExitFailed;
  c.out.summary("ringing tone " + w.logic.name() + " written");
  return kExitOk;
}

int ringtone_send(Context& c) {
  CliSession& s = c.handset();
  ToneWindow tone(s);
  MessageWindows w(s);
  int status = kExitOk;
  if (!load_tone(c, tone.logic, status)) return status;
  tone.logic.on_send = [&](const SmartSms& message) { fill_outgoing(w.family.records().outgoing, message); };
  if (!tone.logic.send()) return kExitFailed;
  return send_outgoing(c, s, w, 1);
}

// ---- graphics ----

// Which picture a logo command names: "caller" (with its group 1..5 where
// asked), "operator" or "startup"; the operands after it.
struct LogoTarget {
  enum Kind { Caller, Operator, Startup } kind = Caller;
  int group = 0;  // 0..4
  std::size_t rest = 1;
};

std::optional<LogoTarget> logo_target(Context& c, bool with_group, bool startup_allowed) {
  const std::string& what = c.inv.operands.at(0);
  LogoTarget t;
  if (what == "caller") {
    t.kind = LogoTarget::Caller;
    if (with_group) {
      const auto group = c.inv.operands.size() > 1 ? number_in(c.inv.operands[1], 1, kCallerGroups) : std::nullopt;
      if (!group) {
        usage(c, "caller needs a group from 1 to 5");
        return std::nullopt;
      }
      t.group = *group - 1;
      t.rest = 2;
    }
  } else if (what == "operator") {
    t.kind = LogoTarget::Operator;
  } else if (what == "startup" && startup_allowed) {
    t.kind = LogoTarget::Startup;
  } else {
    usage(c, "not a logo: " + what);
    return std::nullopt;
  }
  return t;
}

// The extension of a picture file, lower case.
std::string picture_kind(const std::string& path) {
  std::string ext = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
  for (char& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return ext;
}

// The network code of --mcc and --mnc, else the one a NOL file gives.
bool network_code(Context& c, const PictureLoad& load, int& mcc, int& mnc, int& status) {
  mcc = load.mcc;
  mnc = load.mnc;
  if (c.inv.has("--mcc")) {
    const auto m = number_in(c.inv.value("--mcc"), 0, 999);
    const auto n = number_in(c.inv.value("--mnc"), 0, 99);
    if (!m || !n) {
      status = usage(c, "--mcc is 0..999 and --mnc 0..99");
      return false;
    }
    mcc = *m;
    mnc = *n;
  }
  if (mcc < 0 || mnc < 0) {
    status = usage(c, "an operator logo needs --mcc and --mnc (or a .nol file that gives them)");
    return false;
  }
  return true;
}

// --mcc and --mnc come together, and only for the operator logo.
bool network_options_fit(Context& c, const LogoTarget& target, int& status) {
  if (target.kind != LogoTarget::Operator && (c.inv.has("--mcc") || c.inv.has("--mnc"))) {
    status = usage(c, "--mcc and --mnc are for the operator logo");
    return false;
  }
  if (c.inv.has("--mcc") != c.inv.has("--mnc")) {
    status = usage(c, "give --mcc and --mnc together");
    return false;
  }
  return true;
}

// A picture file: .bmp, .ngg or .nol.
std::optional<PictureLoad> load_picture(Context& c, const std::string& path, int& status) {
  const std::string ext = picture_kind(path);
  if (ext != ".bmp" && ext != ".ngg" && ext != ".nol") {
    status = usage(c, "a picture is a .bmp, .ngg or .nol file");
    return std::nullopt;
  }
  PictureLoad load = readPixelTextFile(path);
  if (!load.ok()) {
    const std::string why = loadErrorText(load.status);
    status = failed(c, path + ": " + (why.empty() ? std::string("not a picture") : why));
    return std::nullopt;
  }
  return load;
}

// The picture of logo set and logo send (the first operand) with its
// network code for the operator logo.
struct LogoInput {
  PictureLoad load;
  int mcc = 0;
  int mnc = 0;
};

std::optional<LogoInput> logo_input(Context& c, const LogoTarget& target, int& status) {
  if (!network_options_fit(c, target, status)) return std::nullopt;
  auto load = load_picture(c, c.inv.operands[1], status);
  if (!load) return std::nullopt;
  LogoInput input{std::move(*load)};
  if (target.kind == LogoTarget::Operator && !network_code(c, input.load, input.mcc, input.mnc, status)) {
    return std::nullopt;
  }
  return input;
}

int logo_get(Context& c) {
  const auto target = logo_target(c, true, true);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() != target->rest) return usage(c, "unexpected " + c.inv.operands.back());
  const std::string file = c.inv.value("-o");
  const std::string ext = picture_kind(file);
  const bool small_form = ext == ".ngg" || ext == ".nol";
  if (!c.inv.has("-o") || (ext != ".bmp" && !small_form) || (target->kind == LogoTarget::Startup && small_form)) {
    return usage(c, target->kind == LogoTarget::Startup ? "-o needs a .bmp file" : "-o needs a .bmp, .ngg or .nol file");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MediaFamilies& media = s->session().media();
  GraphicsRecords& records = media.graphics_records();
  MonoBitmap picture;
  int mcc = 0;
  int mnc = 0;
  switch (target->kind) {
    case LogoTarget::Caller:
      if (!s->run([&] { return start_group_read(s->engine(), media.graphics(), GroupReadPurpose::Graphics); },
                  s->completed(kReadGroupCompleted))) {
        return kExitFailed;
      }
      picture = records.groups.at(target->group).picture();
      break;
    case LogoTarget::Operator:
      if (!s->run([&] { return start_system_logo_read(s->engine(), media.graphics()); },
                  [&] { return records.operator_logo.read; })) {
        return kExitFailed;
      }
      picture = records.operator_logo.picture;
      mcc = records.operator_logo.mcc;
      mnc = records.operator_logo.mnc;
      break;
    case LogoTarget::Startup:
      if (!s->run([&] { return start_startup_read(s->engine(), media.startup_graphic()); },
                  [&] { return records.startup_read; })) {
        return kExitFailed;
      }
      picture = records.startup;
      break;
  }
  const bool written = ext == ".ngg"   ? writeNggFile(file, picture)
                       : ext == ".nol" ? writeNolFile(file, picture, mcc, mnc)
                                       : writeBitmapFile(file, picture);
  if (!written) return failed(c, "cannot write " + file);
  c.out.summary("logo written to " + file);
  return kExitOk;
}

// Write into Group: the picture as group `index`'s logo (0..4), the group
// read back.
int logo_into_group(Context& c, CliSession& s, int index, const MonoBitmap& picture) {
  MediaFamilies& media = s.session().media();
  std::optional<GraphicsEvent> outcome;
  GraphicsListeners& listeners = media.graphics_records().listeners;
  const int listener = listeners.add([&](GraphicsEvent e) {
    if (e == GraphicsEvent::GroupLogoWritten || e == GraphicsEvent::GroupLogoNotWritten) outcome = e;
  });
  const bool ran = s.run([&] { return start_group_logo_write(s.engine(), media.group_write(), index, picture); },
                         [&] { return outcome.has_value(); });
  listeners.remove(listener);
  if (!ran) return kExitFailed;
  if (outcome != GraphicsEvent::GroupLogoWritten) return failed(c, tx(kTextLogoNotWritten));
  std::string name = media.caller_groups().at(index).display_name();
  if (name.empty()) name = config().GroupName[static_cast<std::size_t>(index)];
  c.out.summary("logo written into group " + std::to_string(index + 1) + " (" + name + ")");
  return kExitOk;
}

int logo_set(Context& c) {
  const auto target = logo_target(c, false, true);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() != 2) return usage(c, "logo set needs one FILE");
  std::optional<int> group;
  if (c.inv.has("--group")) {
    if (target->kind != LogoTarget::Caller) return usage(c, "--group is for a caller-group logo");
    group = number_in(c.inv.value("--group"), 1, kCallerGroups);
    if (!group) return usage(c, "--group is a group from 1 to 5");
  }
  int status = kExitOk;
  const auto input = logo_input(c, *target, status);
  if (!input) return status;
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  MediaFamilies& media = s->session().media();
  if (group) return logo_into_group(c, *s, *group - 1, input->load.picture);
  bool ok = false;
  switch (target->kind) {
    case LogoTarget::Caller:
      ok = s->run([&] { return start_group_graphic_write(s->engine(), media.graphics(), input->load.picture); },
                  s->completed(kWriteGraphicCompleted));
      break;
    case LogoTarget::Operator:
      ok = s->run([&] { return start_system_logo_write(s->engine(), media.graphics(), input->load.picture, input->mcc, input->mnc); },
                  s->completed(kWriteGraphicCompleted));
      break;
    case LogoTarget::Startup:
      ok = s->run([&] { return start_startup_write(s->engine(), media.startup_graphic(), input->load.picture); },
                  s->completed(kWriteStartupCompleted));
      break;
  }
  if (!ok) return kExitFailed;
  c.out.summary("logo written to the handset");
  return kExitOk;
}

int logo_send(Context& c) {
  const auto target = logo_target(c, false, false);
  if (!target) return kExitUsage;
  if (c.inv.operands.size() < 3) return usage(c, "logo send needs a FILE and a NUMBER");
  int status = kExitOk;
  const auto input = logo_input(c, *target, status);
  if (!input) return status;
  CliSession& s = c.handset();
  MessageWindows w(s);
  OutgoingSms& outgoing = w.family.records().outgoing;
  if (target->kind == LogoTarget::Caller) {
    fill_group_graphic_sms(outgoing, input->load.picture);
  } else {
    // Tells this logo's two parts from another's at the receiver.
    const auto reference = static_cast<std::uint8_t>(std::time(nullptr));
    fill_operator_logo_sms(outgoing, input->load.picture, input->mcc, input->mnc, reference);
  }
  return send_outgoing(c, s, w, 2);
}

int reset_phone(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  StartupGraphicFamily& family = s->session().media().startup_graphic();
  bool reset = false;
  const int listener = family.listeners().add([&](GraphicsEvent e) { reset = reset || e == GraphicsEvent::PhoneReset; });
  const bool ok = s->run([&] { return start_phone_reset(s->engine(), family); }, [&] { return reset; });
  family.listeners().remove(listener);
  if (!ok) return kExitFailed;
  c.out.summary("the handset restarts");
  return kExitOk;
}

// ---- profiles ----

// The settings by the names the command line gives them, in the grid's order.
constexpr const char* kSettingNames[kProfileSettings] = {
    "call-alert",  "ringing-tone",  "ringing-volume", "vibrating-alert",  "message-tone",
    "keypad-tones", "warning-tones", "lights",         "automatic-answer"};

std::string lower(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return text;
}

// An option of a setting by its text (any case, blanks ignored) or its
// number in the list (from 1).
std::optional<int> option_index(int setting, const std::string& value) {
  const std::vector<std::string> options = profile_options(setting);
  auto squeezed = [](const std::string& t) {
    std::string out;
    for (char ch : lower(t)) {
      if (ch != ' ') out += ch;
    }
    return out;
  };
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (squeezed(options[i]) == squeezed(value)) return static_cast<int>(i);
  }
  if (const auto n = number_in(value, 1, static_cast<int>(options.size()))) return *n - 1;
  return std::nullopt;
}

std::string option_list(int setting) {
  std::string list;
  for (const std::string& o : profile_options(setting)) list += (list.empty() ? "" : ", ") + o;
  return list;
}

std::string profiles_details() {
  std::string text =
      "FEATURE and the VALUEs it takes (an option's text, or its number from 1):\n";
  for (int setting = 0; setting < kProfileSettings; ++setting) {
    text += "  " + std::string(kSettingNames[setting]) + ": " + option_list(setting) + "\n";
  }
  return text +
         "  groups: the caller groups that may ring (call-alert \"Caller groups\"), as\n"
         "          numbers 1..5 separated by commas, or none\n";
}

struct ProfilesWindow {
  explicit ProfilesWindow(CliSession& s)
      : family(s.session().organiser().profile_family()), logic(family, s.engine(), s.prompt()) {}
  ProfileFamily& family;
  ProfilesWindowLogic logic;
};

bool read_profiles(CliSession& s, ProfilesWindow& w) {
  return s.run([&] { return w.logic.read(); }, s.completed(kReadProfilesCompleted));
}

int profiles_get(Context& c) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!read_profiles(*s, w)) return kExitFailed;
  const ProfileSet& set = w.logic.profiles();
  for (int p = 0; p < kProfileCount; ++p) {
    Record r;
    r["profile"] = p + 1;
    r["name"] = set.shown_name(p);
    for (int setting = 0; setting < kProfileSettings; ++setting) {
      r[kSettingNames[setting]] = profile_option_text(setting, set[p].settings[static_cast<std::size_t>(setting)]);
    }
    Record groups = Record::array();
    for (int g = 0; g < kProfileGroups; ++g) {
      if (set[p].groups[static_cast<std::size_t>(g)]) groups.push_back(g + 1);
    }
    if (c.out.json()) {
      r["groups"] = groups;
    } else {
      std::string list;
      for (const auto& g : groups) list += (list.empty() ? "" : ",") + g.dump();
      r["groups"] = list.empty() ? "none" : list;
    }
    c.out.row(r);
  }
  return kExitOk;
}

int profiles_set(Context& c) {
  const auto profile = number_in(c.inv.operands.at(0), 1, kProfileCount);
  if (!profile) return usage(c, "the profile is a number from 1 to 7");
  const std::string feature = lower(c.inv.operands.at(1));
  const std::string& value = c.inv.operands.at(2);
  int setting = -1;
  for (int i = 0; i < kProfileSettings; ++i) {
    if (feature == kSettingNames[i]) setting = i;
  }
  std::optional<int> index;
  std::array<bool, kProfileGroups> groups{};
  if (setting >= 0) {
    index = option_index(setting, value);
    if (!index) return usage(c, feature + " is one of: " + option_list(setting));
  } else if (feature == "groups") {
    if (lower(value) != "none") {
      std::istringstream list(value);
      for (std::string item; std::getline(list, item, ',');) {
        const auto g = number_in(item, 1, kProfileGroups);
        if (!g) return usage(c, "groups are numbers from 1 to 5 separated by commas, or none");
        groups[static_cast<std::size_t>(*g - 1)] = true;
      }
    }
  } else {
    return usage(c, "not a profile feature: " + feature + " (see phondeck profiles set --help)");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!read_profiles(*s, w)) return kExitFailed;
  const int p = *profile - 1;
  if (setting >= 0 && !w.logic.choose(p, setting, *index)) {
    return failed(c, "the " + std::string(kSettingNames[setting]) + " of profile " + std::to_string(*profile) +
                         " cannot be changed");
  }
  for (int g = 0; setting < 0 && g < kProfileGroups; ++g) {
    if (!w.logic.set_group(p, g, groups[static_cast<std::size_t>(g)])) {
      return failed(c, "the caller groups ring only when call-alert is \"" +
                           profile_option_text(kCallAlert, kCallAlertCallerGroups) + "\"");
    }
  }
  if (w.logic.profiles().changes().empty()) {
    c.out.summary("profile " + std::to_string(*profile) + " already has that setting");
    return kExitOk;
  }
  auto written = [&, done = s->completed(kWriteProfilesCompleted)] { return done() && w.family.refused().empty(); };
  if (!s->run([&] { return w.logic.write(); }, written)) return kExitFailed;
  c.out.summary("profile " + std::to_string(*profile) + " written");
  return kExitOk;
}

int profiles_activate(Context& c) {
  const auto profile = number_in(c.inv.operands.at(0), 1, kActivatableProfiles);
  if (!profile) return usage(c, "the profile to activate is a number from 1 to 5");
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  ProfilesWindow w(*s);
  if (!s->run([&] { return w.logic.activate(*profile - 1); }, s->completed(kWriteProfilesCompleted))) {
    return kExitFailed;
  }
  c.out.summary("profile " + std::to_string(*profile) + " active");
  return kExitOk;
}

// ---- net monitor ----

int net_monitor(Context& c, bool open) {
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  if (!s->run([&] { return start_net_monitor(s->engine(), open); },
              s->completed(open ? kOpenNetMonitorCompleted : kCloseNetMonitorCompleted))) {
    return kExitFailed;
  }
  c.out.summary(open ? "net monitor on" : "net monitor off");
  return kExitOk;
}

// ---- the whole handset ----

int backup(Context& c) { return backup_handset(c.handset(), c.out, c.terminal, c.inv.operands.at(0)); }

int restore(Context& c) {
  return restore_handset(c.handset(), c.out, c.terminal, c.inv.operands.at(0), c.inv.value("--only"),
                         c.inv.has("--dry-run"));
}

int net_monitor_on(Context& c) { return net_monitor(c, true); }
int net_monitor_off(Context& c) { return net_monitor(c, false); }

// ---- the table ----

// The help of profiles set names the options (English until the texts are
// loaded).
const char* profiles_details_text() {
  static const std::string text = [] {
    if (tx(kProfileOptionText).empty()) texts().load_english();
    return profiles_details();
  }();
  return text.c_str();
}

using Handler = int (*)(Context&);

struct Command {
  CommandSpec spec;
  Handler run;
};

const std::vector<Command>& command_table() {
  static const std::vector<Command> table = {
      {{"identify", "", "Shows the handset's IMEI, maker, model, versions, battery, signal and network.",
        "Prints one record: imei, manufacturer, type, model, frequency, assembled_in,\n"
        "hardware_version, firmware_version, battery, signal and network (MCC MNC, or\n"
        "- until the handset has reported it).\n",
        {}, 0, 0},
       identify},
      {{"phonebook read", "[--memory phone|sim] [-o FILE.vcf|FILE.csv]",
        "Reads the phone book: the phone memory, then the SIM.",
        "Without -o, one line per entry: memory, position, name, number, group.\n"
        "  --memory phone|sim   only the entries of that memory\n"
        "  -o, --output FILE    write a vCard (.vcf) or CSV (.csv) file instead\n",
        {{"--memory", true}, {"-o", true, "--output"}}, 0, 0},
       phonebook_read},
      {{"phonebook write", "FILE.vcf|FILE.csv [--replace]",
        "Writes every entry of the file into the handset (Write All).",
        "Entries go to the memory and position the file gives; those without a\n"
        "position take the handset's free positions.\n"
        "  --replace   clear the positions of the handset that the file does not use\n",
        {{"--replace", false}}, 1, 1},
       phonebook_write},
      {{"sms list", "[--folder inbox|outbox] [--parts]", "Reads the messages the handset holds.",
        "One line per message: location, folder, status, number, time, parts, text.\n"
        "A message sent in parts is one line, its parts joined (\"[3]\"; \"[2/3]\"\n"
        "when a part is missing, its gap marked in the text).\n"
        "  --folder inbox|outbox   only that folder's messages\n"
        "  --parts                 every part on its own line (\"2/3\")\n",
        {{"--folder", true}, {"--parts", false}}, 0, 0},
       sms_list},
      {{"sms send", "NUMBER... --text TEXT|--file FILE [--validity CODE]",
        "Sends one message to each NUMBER through the handset.",
        "One line per number: number, sent (true or false), result. Exit status 1\n"
        "unless every message was sent.\n"
        "  --text TEXT       the message (line breaks as in the text)\n"
        "  --file FILE       the message from a UTF-8 text file\n"
        "  --validity CODE   relative validity 0..200 (default 167, a day)\n",
        {{"--text", true}, {"--file", true}, {"--validity", true}}, 1, -1},
       sms_send},
      {{"sms write", "--text TEXT|--file FILE", "Writes a message into the handset's outbox.",
        "  --text TEXT   the message\n  --file FILE   the message from a UTF-8 text file\n",
        {{"--text", true}, {"--file", true}}, 0, 0},
       sms_write},
      {{"sms delete", "LOCATION...", "Deletes the messages at these locations (see sms list).", "", {}, 1, -1},
       sms_delete},
      {{"sms archive", "DIR [--delete]", "Writes every message into DIR, one file each, with an index.",
        "Each message goes into DIR (made when missing) as a text file named by its\n"
        "time stamp and sender; messages.json lists them. The summary says how many\n"
        "were written and deleted.\n"
        "  --delete   then delete from the handset each message whose file is written\n"
        "             and synced to disk; a message that arrives meanwhile stays\n",
        {{"--delete", false}}, 1, 1},
       sms_archive},
      {{"smsc get", "", "Shows the message-centre number.", "", {}, 0, 0}, smsc_get},
      {{"smsc set", "NUMBER", "Sets the message-centre number.", "", {}, 1, 1}, smsc_set},
      {{"calendar read", "[-o FILE.ics]", "Reads the calendar notes.",
        "Without -o, one line per note: location, date, time (- for all day), type,\n"
        "text, alarm.\n"
        "  -o, --output FILE   write an iCalendar file instead\n",
        {{"-o", true, "--output"}}, 0, 0},
       calendar_read},
      {{"calendar write", "FILE.ics", "Replaces the handset's calendar notes with the file's events.",
        "Events the handset cannot hold as they are are changed to fit; each change\n"
        "is told on standard error.\n",
        {}, 1, 1},
       calendar_write},
      {{"clock set", "[--now|TIME]", "Sets the handset's clock: to this computer's, or to TIME.",
        "TIME is YYYY-MM-DD HH:MM[:SS] in local time.\n", {{"--now", false}}, 0, 2},
       clock_set},
      {{"clock get", "", "Shows the handset's clock, or that it is not set.", "", {}, 0, 0}, clock_get},
      {{"alarm get", "", "Shows the daily diary alarm.", "", {}, 0, 0}, alarm_get},
      {{"alarm set", "HH:MM", "Sets the daily diary alarm and switches it on.", "", {}, 1, 1}, alarm_set},
      {{"alarm off", "", "Switches the daily diary alarm off.", "", {}, 0, 0}, alarm_off},
      {{"logo get", "caller N|operator|startup -o FILE",
        "Reads a caller group's logo (N 1..5), the operator logo or the startup graphic.",
        "  -o, --output FILE   a .bmp, .ngg (caller group) or .nol (operator, with its\n"
        "                      network code) file; the startup graphic as .bmp\n",
        {{"-o", true, "--output"}}, 1, 2},
       logo_get},
      {{"logo set", "caller|operator|startup FILE [--group N] [--mcc M --mnc N]",
        "Writes a picture into the handset as the caller-group, operator or startup graphic.",
        "FILE is a .bmp, .ngg or .nol file. A caller-group picture goes to the\n"
        "handset as a picture message, which the handset offers to keep for a group.\n"
        "  --group N         write it straight into caller group N (1..5) as its logo,\n"
        "                    keeping the group's name and ringing tone; the group is\n"
        "                    read back\n"
        "  --mcc M --mnc N   the operator logo's network code (else the .nol file's)\n",
        {{"--group", true}, {"--mcc", true}, {"--mnc", true}}, 2, 2},
       logo_set},
      {{"logo send", "caller|operator FILE NUMBER... [--mcc M --mnc N]",
        "Sends a caller-group graphic or an operator logo to each NUMBER.",
        "One line per number, as sms send prints them.\n"
        "  --mcc M --mnc N   the operator logo's network code (else the .nol file's)\n",
        {{"--mcc", true}, {"--mnc", true}}, 3, -1},
       logo_send},
      {{"ringtone write", "FILE [--as ericsson|nokia|siemens]", "Writes a ringing tone into the handset.",
        "FILE is read as the Ringing Tone window opens it: RTTTL (.rtttl, .txt),\n"
        "Smart Messaging (.ott) or MIDI (.mid, .midi).\n"
        "  --as NOTATION   read FILE as Ericsson, Nokia or Siemens melody text\n",
        {{"--as", true}}, 1, 1},
       ringtone_write},
      {{"ringtone send", "FILE NUMBER... [--as ericsson|nokia|siemens]",
        "Sends a ringing tone to each NUMBER as a Smart Messaging message.",
        "FILE as for ringtone write; one line per number, as sms send prints them.\n"
        "  --as NOTATION   read FILE as Ericsson, Nokia or Siemens melody text\n",
        {{"--as", true}}, 2, -1},
       ringtone_send},
      {{"profiles get", "", "Reads the seven profiles.",
        "One line per profile: number, name, the nine settings (call-alert,\n"
        "ringing-tone, ringing-volume, vibrating-alert, message-tone, keypad-tones,\n"
        "warning-tones, lights, automatic-answer) and the caller groups that ring.\n",
        {}, 0, 0},
       profiles_get},
      {{"profiles set", "N FEATURE VALUE", "Changes one setting of profile N (1..7) in the handset.",
        profiles_details_text(), {}, 3, 3},
       profiles_set},
      {{"profiles activate", "N", "Switches the handset to profile N (1..5).", "", {}, 1, 1},
       profiles_activate},
      {{"reset-phone", "", "Restarts the handset.", "", {}, 0, 0}, reset_phone},
      {{"backup", "FILE.zip", "Backs up the whole handset into one archive.",
        "Reads every part the model has (phone book, messages, calendar, caller groups\n"
        "and their logos, operator logo, startup graphic, profiles, message centre and\n"
        "alarm) and writes a ZIP archive of standard files with a manifest.json of\n"
        "their sizes and SHA-256 sums. The file appears only when every part was read.\n",
        {}, 1, 1},
       backup},
      {{"restore", "FILE.zip [--only PARTS] [--dry-run]", "Writes a backup back into the handset.",
        "The archive is checked first; a bad one is refused and nothing is written.\n"
        "Parts are written in this order, then each is read back and compared:\n"
        "settings, groups, operator, startup, profiles, calendar, phonebook, messages.\n"
        "  --only PARTS   those parts, separated by commas, or all; without it every\n"
        "                 part but messages (messages are stored only when named)\n"
        "  --dry-run      show what would change on the handset, write nothing\n"
        "A backup of another handset (other IMEI) asks first; --yes answers.\n",
        {{"--only", true}, {"--dry-run", false}}, 1, 1},
       restore},
      {{"netmonitor on", "", "Switches the handset's net monitor display on.", "", {}, 0, 0}, net_monitor_on},
      {{"netmonitor off", "", "Switches the handset's net monitor display off.", "", {}, 0, 0},
       net_monitor_off},
  };
  return table;
}

std::vector<CommandSpec> command_specs() {
  std::vector<CommandSpec> specs;
  for (const Command& c : command_table()) specs.push_back(c.spec);
  return specs;
}

// The settings of tv.dat, then the global options; kExitOk, or the status
// after the error has been told.
int configure(const std::string& config_path, const GlobalOptions& options, std::ostream& err) {
  set_configuration_path(config_path);
  try {
    load_configuration();
  } catch (const std::exception& e) {
    err << "phondeck: " << config_path << ": " << e.what() << "\n";
    return kExitFailed;
  }
  if (options.device) config().Device = *options.device;
  if (options.infrared) config().Type = 0;
  const DeviceChoice choice = device_choice(config().Device);
  if (choice.virtual_handset && sim::find_model(choice.model) == nullptr) {
    err << "phondeck: no virtual handset of model " << choice.model << "\n";
    return options.device ? kExitUsage : kExitFailed;
  }
  return kExitOk;
}

}  // namespace

const std::vector<CommandSpec>& phondeck_commands() {
  static const std::vector<CommandSpec> specs = command_specs();
  return specs;
}

int run_phondeck(const std::vector<std::string>& args, Terminal& terminal, const std::string& config_path) {
  const std::vector<CommandSpec>& specs = phondeck_commands();
  Invocation inv = parse_arguments(args, specs);
  if (inv.help && inv.error.empty()) {
    if (inv.command != nullptr) {
      terminal.out << command_help(*inv.command);
    } else if (!inv.family.empty()) {
      terminal.out << family_help(inv.family, specs);
    } else {
      terminal.out << overview_help(specs);
    }
    return kExitOk;
  }
  if (!inv.error.empty()) {
    terminal.err << "phondeck: " << inv.error << "\n(phondeck "
                 << (inv.command != nullptr ? std::string(inv.command->words) + " --help"
                     : inv.family.empty()   ? std::string("--help lists the commands")
                                            : inv.family + " --help")
                 << ")\n";
    return kExitUsage;
  }
  if (const int status = configure(config_path, inv.globals, terminal.err); status != kExitOk) return status;
  Context context{inv, terminal, Output(terminal.out, inv.globals.json, inv.globals.quiet), nullptr};
  context.device_unset = !inv.globals.device && config().Device.empty() && !std::filesystem::exists(config_path);
  const std::size_t index = static_cast<std::size_t>(inv.command - specs.data());
  const int status = command_table().at(index).run(context);
  terminal.out.flush();
  return status;
}

}  // namespace phondeck::cli
