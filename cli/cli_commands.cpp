// The subcommands: their table (words, usage, help) and what each runs.
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "app/configuration.h"
#include "app/text_table.h"
#include "cli/cli_output.h"
#include "cli/phondeck.h"
#include "link/information_dialogs.h"
#include "link/net_monitor_family.h"
#include "link/phonebook_family.h"
#include "organiser/calendar_window.h"
#include "organiser/messages_window.h"
#include "organiser/sms_sending.h"
#include "phonebook/value_tables.h"
#include "platform/device_choice.h"
#include "sim/models.h"
#include "ui/phone_book_files.h"

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
constexpr int kReadAlarmCompleted = 3035;
constexpr int kWriteAlarmCompleted = 3037;
constexpr int kOpenNetMonitorCompleted = 3047;
constexpr int kCloseNetMonitorCompleted = 3049;
constexpr int kTextSucceeded = 3503;
constexpr int kTextAskClear = 3200;

struct Context {
  Invocation& inv;
  Terminal& terminal;
  Output out;
  std::unique_ptr<CliSession> session;

  // The session, made on first use; not yet connected.
  CliSession& handset() {
    if (!session) session = std::make_unique<CliSession>(terminal, inv.globals);
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
  for (const SmsRecord& m : w.family.records().store.records()) {
    const bool inbox = record_in_folder(m, SmsFolder::Inbox);
    if (folder && !record_in_folder(m, *folder)) continue;
    const char* status = m.Type == "1" ? "read" : m.Type == "3" ? "unread" : m.Type == "5" ? "sent" : "unsent";
    Record r;
    r["location"] = number_in(m.Pos, 0, 1 << 20).value_or(0);
    r["folder"] = inbox ? "inbox" : "outbox";
    r["status"] = status;
    r["number"] = m.Phone;
    r["time"] = m.Time.empty() ? Record() : Record(m.Time);
    r["text"] = from_handset_lines(m.Text);
    c.out.row(r);
  }
  return kExitOk;
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
  for (const std::string& number : c.inv.operands) w.sending.add(w.sending.rows().size(), number);
  if (validity >= 0) w.sending.set_validity(validity);
  if (!s.connect()) return kExitFailed;
  auto all_sent = [&] {
    for (const Recipient& r : w.sending.rows()) {
      if (r.Result != tx(kTextSucceeded)) return false;
    }
    return true;
  };
  const bool ok = s.run([&] { return w.sending.send_all(); }, s.completed(kSendSmsCompleted));
  for (const Recipient& r : w.sending.rows()) {
    Record rec;
    rec["number"] = r.Phone;
    rec["sent"] = r.Result == tx(kTextSucceeded);
    rec["result"] = r.Result;
    c.out.row(rec);
  }
  if (ok && !all_sent()) return failed(c, "not every message was sent");
  return ok ? kExitOk : kExitFailed;
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

int net_monitor_on(Context& c) { return net_monitor(c, true); }
int net_monitor_off(Context& c) { return net_monitor(c, false); }

// ---- the table ----

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
      {{"sms list", "[--folder inbox|outbox]", "Reads the messages the handset holds.",
        "One line per message: location, folder, status, number, time, text.\n"
        "  --folder inbox|outbox   only that folder's messages\n",
        {{"--folder", true}}, 0, 0},
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
      {{"alarm get", "", "Shows the daily diary alarm.", "", {}, 0, 0}, alarm_get},
      {{"alarm set", "HH:MM", "Sets the daily diary alarm and switches it on.", "", {}, 1, 1}, alarm_set},
      {{"alarm off", "", "Switches the daily diary alarm off.", "", {}, 0, 0}, alarm_off},
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
  const std::size_t index = static_cast<std::size_t>(inv.command - specs.data());
  const int status = command_table().at(index).run(context);
  terminal.out.flush();
  return status;
}

}  // namespace phondeck::cli
