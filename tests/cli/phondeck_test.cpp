// phondeck against the virtual handset on a pseudo-terminal: each command
// family end to end with the handset's state checked afterwards, usage
// errors, --json read back, and the built program's exit statuses.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/phondeck.h"
#include "media/picture_files.h"
#include "media/picture_placement.h"
#include "organiser/profiles.h"
#include "session/backup_archive.h"
#include "sim/handset_state.h"
#include "sim/pty_handset.h"

namespace phondeck::cli {
namespace {

using nlohmann::json;
using Args = std::vector<std::string>;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
  // Standard output as JSON lines.
  std::vector<json> lines() const {
    std::vector<json> all;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) all.push_back(json::parse(line));
    return all;
  }
};

class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "phondeck-cli-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~Folder() { std::filesystem::remove_all(path_); }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// A 6110 with the demo contents behind a pseudo-terminal; phondeck runs
// in-process with stdin and stderr as the test says, and no tv.dat.
class Phondeck : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(handset_.start(error)) << error;
  }
  Result run(Args args, const std::string& input = "", bool in_terminal = false, bool err_terminal = false) {
    args.insert(args.begin(), {"--device", handset_.path()});
    return run_on(args, input, in_terminal, err_terminal);
  }
  Result run_on(const Args& args, const std::string& input = "", bool in_terminal = false,
                bool err_terminal = false) {
    std::ostringstream out, err;
    std::istringstream in(input);
    Terminal terminal{out, err, in, in_terminal, err_terminal};
    Result r;
    r.status = run_phondeck(args, terminal, folder_.file("tv.dat"));
    r.out = out.str();
    r.err = err.str();
    return r;
  }
  sim::HandsetState state() {
    return handset_.with_handset([](sim::Handset& h) { return h.state(); });
  }

  SystemClock clock_;
  sim::PtyHandset handset_{clock_, sim::HandsetState::demo(*sim::find_model("6110"))};
  Folder folder_;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

TEST_F(Phondeck, UsageErrorsExitTwoAndEveryCommandHasHelp) {
  struct Case {
    Args args;
    const char* says;
  };
  const Case cases[] = {
      {{}, "no command"},
      {{"dance"}, "unknown command dance"},
      {{"sms"}, "sms needs one of: list, send"},
      {{"sms", "fly"}, "unknown command sms fly"},
      {{"--colour", "identify"}, "unknown option --colour"},
      {{"identify", "--memory", "sim"}, "unknown option --memory"},
      {{"identify", "extra"}, "unexpected extra"},
      {{"--device"}, "--device needs a path"},
      {{"--device", "virtual:9999", "identify"}, "no virtual handset of model 9999"},
      {{"phonebook", "read", "--memory", "usb"}, "--memory is phone or sim"},
      {{"phonebook", "read", "-o", "book.txt"}, ".vcf or .csv"},
      {{"phonebook", "read", "-o"}, "-o needs a value"},
      {{"sms", "list", "--folder", "drafts"}, "inbox or outbox"},
      {{"sms", "send", "0401", "--text", "a", "--file", "f"}, "--text TEXT or --file FILE"},
      {{"sms", "send", "0401"}, "--text TEXT or --file FILE"},
      {{"sms", "send", "--text", "a"}, "too few operands"},
      {{"sms", "send", "0401", "--text", "a", "--validity", "201"}, "0 to 200"},
      {{"sms", "send", "0401", "--text", "a", "--text", "b"}, "given twice"},
      {{"sms", "delete", "0"}, "not a message location: 0"},
      {{"sms", "delete", "x1"}, "not a message location: x1"},
      {{"smsc", "set"}, "too few operands"},
      {{"clock", "set", "--now", "2026-01-01 10:00"}, "not both"},
      {{"clock", "set", "2026-02-29 10:00"}, "not 2026-02-29 10:00"},
      {{"clock", "set", "2026-1-01 10:00"}, "YYYY-MM-DD"},
      {{"alarm", "set", "24:00"}, "HH:MM, not 24:00"},
      {{"alarm", "set", "7:5"}, "HH:MM, not 7:5"},
      {{"netmonitor", "on", "--json=yes"}, "--json takes no value"},
      {{"phonebook", "write", "book.txt"}, ".vcf or .csv"},
      {{"profiles", "set", "8", "lights", "on"}, "from 1 to 7"},
      {{"profiles", "set", "1", "colour", "red"}, "not a profile feature: colour"},
      {{"profiles", "set", "1", "call-alert", "loud"}, "call-alert is one of: Ringing"},
      {{"profiles", "set", "1", "groups", "1,6"}, "numbers from 1 to 5"},
      {{"profiles", "activate", "6"}, "from 1 to 5"},
      {{"ringtone", "write", "t.txt", "--as", "opera"}, "--as is ericsson"},
      {{"logo", "get", "caller", "6", "-o", "g.bmp"}, "group from 1 to 5"},
      {{"logo", "get", "startup", "-o", "s.ngg"}, "-o needs a .bmp file"},
      {{"logo", "get", "operator"}, "-o needs"},
      {{"logo", "set", "operator", "logo.gif"}, ".bmp, .ngg or .nol"},
      {{"logo", "set", "caller", "g.bmp", "--mcc", "244", "--mnc", "5"}, "--mcc and --mnc are for the operator logo"},
      {{"logo", "send", "startup", "s.bmp", "0401"}, "not a logo: startup"},
      {{"logo", "set", "operator", "o.nol", "--group", "2"}, "--group is for a caller-group logo"},
      {{"logo", "set", "caller", "g.bmp", "--group", "6"}, "--group is a group from 1 to 5"},
      {{"logo", "send", "operator", "o.bmp", "0401", "--mcc", "244"}, "--mcc and --mnc together"},
      {{"export"}, "give the folder"},
      {{"export", "out", "--vcard", "2.1"}, "--vcard takes 3.0 or 4.0"},
      {{"export", "out", "--merge", "--no-merge"}, "exclude each other"},
      {{"export", "out", "--country", "Deutschland"}, "two-letter country code"},
      {{"export", "out", "--user", "me"}, "go with --carddav or --caldav"},
  };
  for (const Case& c : cases) {
    const Result r = c.args.size() > 1 && c.args[0] == "--device" ? run_on(c.args) : run(c.args);
    EXPECT_EQ(r.status, kExitUsage) << ::testing::PrintToString(c.args);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << ::testing::PrintToString(c.args) << ": " << r.err;
    EXPECT_EQ(r.out, "");
  }
  // Nothing reached the handset.
  EXPECT_EQ(state().to_json(), sim::HandsetState::demo(*sim::find_model("6110")).to_json());

  for (const CommandSpec& command : phondeck_commands()) {
    std::istringstream words(command.words);
    Args args((std::istream_iterator<std::string>(words)), std::istream_iterator<std::string>());
    args.push_back("--help");
    const Result r = run_on(args);
    EXPECT_EQ(r.status, kExitOk) << command.words;
    EXPECT_EQ(r.out.rfind("Usage: phondeck [global options] " + std::string(command.words), 0), 0u) << r.out;
    EXPECT_NE(r.out.find("--json"), std::string::npos);
  }
  EXPECT_NE(run_on({"sms", "--help"}).out.find("phondeck sms delete LOCATION..."), std::string::npos);
  EXPECT_NE(run_on({"--help"}).out.find("calendar write FILE.ics"), std::string::npos);
}

TEST_F(Phondeck, IdentifyAndPhoneBook) {
  const sim::HandsetState before = state();
  const std::vector<json> id = run({"--json", "identify"}).lines();
  ASSERT_EQ(id.size(), 1u);
  EXPECT_EQ(id[0]["imei"], before.imei);
  EXPECT_EQ(id[0]["model"], "6110");
  EXPECT_EQ(id[0]["battery"].get<int>(), before.battery);

  const Result all = run({"--json", "phonebook", "read"});
  ASSERT_EQ(all.status, kExitOk) << all.err;
  const std::vector<json> rows = all.lines();
  ASSERT_EQ(rows.size(), before.phone.entries.size() + before.sim.entries.size());
  EXPECT_EQ(rows.front()["number"], before.phone.entries.front().number);
  EXPECT_EQ(rows.back()["memory"], "sim");
  EXPECT_EQ(all.err, "") << "no progress bar when standard error is no terminal";

  // Only the SIM, into a vCard file, with the progress bar on a terminal.
  const Result sim_only = run({"phonebook", "read", "--memory", "sim", "-o", folder_.file("sim.vcf")}, "", false, true);
  ASSERT_EQ(sim_only.status, kExitOk) << sim_only.err;
  EXPECT_EQ(sim_only.out, std::to_string(before.sim.entries.size()) + " entries written to " + folder_.file("sim.vcf") + "\n");
  EXPECT_NE(sim_only.err.find("\r"), std::string::npos);
  EXPECT_NE(sim_only.err.find("] "), std::string::npos);
  const std::string vcf = slurp(folder_.file("sim.vcf"));
  std::size_t cards = 0;
  for (std::size_t at = vcf.find("BEGIN:VCARD"); at != std::string::npos; at = vcf.find("BEGIN:VCARD", at + 1)) ++cards;
  EXPECT_EQ(cards, before.sim.entries.size());
  EXPECT_NE(vcf.find(before.sim.entries.front().number), std::string::npos);

  // A file that cannot be written is a failure, not a usage error.
  const Result denied = run({"--quiet", "phonebook", "read", "-o", folder_.file("no/such/folder/b.csv")});
  EXPECT_EQ(denied.status, kExitFailed);
  EXPECT_NE(denied.err, "");
}

// --log writes the link log as it goes, for its owner only, over the real
// serial path; --trace writes the same lines on standard error; --version
// names the build without touching the handset.
TEST_F(Phondeck, LinkLogTraceAndVersion) {
  const std::string log = folder_.file("link.log");
  std::ofstream(log) << "an earlier run\n";
  std::filesystem::permissions(log, std::filesystem::perms(0644));
  const Result logged = run({"--log", log, "identify"});
  ASSERT_EQ(logged.status, kExitOk) << logged.err;
  EXPECT_EQ(std::filesystem::status(log).permissions() & std::filesystem::perms::all, std::filesystem::perms(0600));
  const std::string text = slurp(log);
  EXPECT_EQ(text.rfind("phondeck v3.3", 0), 0u) << text;
  EXPECT_EQ(text.find("an earlier run"), std::string::npos);
  // The connect in order: the port, the wake-up, the identification and its
  // answers, the memory status and the poll, then the reset at the end.
  std::size_t at = 0;
  for (const std::string& step :
       {"port  open " + handset_.path() + " at 9600 bit/s, DTR and RTS on", std::string("port  115200 bit/s"),
        std::string("PC>   wake-up, 64 bytes of 0x55"),
        std::string("PC>   0x64 identify / 0x10 identify seq 0x60  | 1E 00 0C 64 00 06 00 01 00 10 01 60"),
        std::string("<HS   ack of 0x64 identify seq 0x00"), std::string("PC>   ack of 0x64 identify seq 0x00"),
        std::string("PC>   0x03 phone book / 0x07 memory status seq 0x42"),
        std::string("<HS   0x03 phone book / 0x08 memory status"), std::string("PC>   0x04 status / 0x01 status poll"),
        std::string("link  reset: Disconnected"), "port  closed " + handset_.path()}) {
    const std::size_t found = text.find(step, at);
    ASSERT_NE(found, std::string::npos) << step << " after offset " << at << " in\n" << text;
    at = found;
  }

  const Result traced = run({"--trace", "identify"});
  ASSERT_EQ(traced.status, kExitOk) << traced.err;
  EXPECT_NE(traced.out.find("imei: "), std::string::npos);
  EXPECT_NE(traced.err.find("PC>   0x64 identify / 0x10 identify seq 0x60"), std::string::npos) << traced.err;
  EXPECT_NE(traced.err.find("link  reset: Disconnected"), std::string::npos);

  const Result version = run_on({"--version"});
  EXPECT_EQ(version.status, kExitOk);
  EXPECT_EQ(version.out.rfind("phondeck v3.3", 0), 0u) << version.out;
  EXPECT_EQ(version.err, "");

  const Result unwritable = run({"--log", folder_.file("no/such/folder/link.log"), "identify"});
  EXPECT_EQ(unwritable.status, kExitFailed);
  EXPECT_NE(unwritable.err.find("cannot write the link log"), std::string::npos) << unwritable.err;
}

TEST_F(Phondeck, MessagesAndMessageCentre) {
  const sim::HandsetState before = state();
  const std::vector<json> inbox = run({"--json", "sms", "list", "--folder", "inbox", "--parts"}).lines();
  std::size_t in_count = 0;
  for (const sim::SmsSlot& m : before.sms.messages) in_count += m.status == 1 || m.status == 3;
  ASSERT_EQ(inbox.size(), in_count);
  EXPECT_EQ(inbox[0]["location"].get<int>(), before.sms.messages[0].location);
  EXPECT_EQ(inbox[0]["folder"], "inbox");
  EXPECT_EQ(inbox[0]["time"], "26.12.08 09:30:00");
  EXPECT_EQ(inbox[0]["stamp"], "2026-12-08T09:30:00+02:00");
  EXPECT_EQ(inbox.back()["parts"], "3/3");
  // Joined: the message in parts is one line, its missing part marked.
  const std::vector<json> joined = run({"--json", "sms", "list", "--folder", "inbox"}).lines();
  ASSERT_EQ(joined.size(), in_count - 1);
  EXPECT_EQ(joined.back()["parts"], "[2/3]");
  EXPECT_NE(joined.back()["text"].get<std::string>().find("[part 2 missing] Party"), std::string::npos);

  // Questions: refused without a terminal, answered on one, or by --yes.
  const Result refused = run({"sms", "write", "--text", "first"});
  EXPECT_EQ(refused.status, kExitFailed);
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);
  EXPECT_EQ(state().sms.messages.size(), before.sms.messages.size());
  const Result no = run({"sms", "write", "--text", "first"}, "n\n", true);
  EXPECT_EQ(no.status, kExitFailed);
  EXPECT_EQ(state().sms.messages.size(), before.sms.messages.size());
  ASSERT_EQ(run({"sms", "write", "--text", "Two\nlines"}, "y\n", true).status, kExitOk);
  ASSERT_EQ(state().sms.messages.size(), before.sms.messages.size() + 1);

  std::ofstream(folder_.file("note.txt")) << "From a file\n";
  const Result sent = run({"--json", "sms", "send", "0401112223", "+358405551234", "--file", folder_.file("note.txt"),
                           "--validity", "11"});
  ASSERT_EQ(sent.status, kExitOk) << sent.err;
  ASSERT_EQ(sent.lines().size(), 2u);
  EXPECT_EQ(sent.lines()[1], (json{{"number", "+358405551234"}, {"sent", true}, {"result", "Succeeded"}}));
  const sim::HandsetState after_send = state();
  ASSERT_EQ(after_send.sms.sent.size(), 2u);
  EXPECT_EQ(after_send.sms.sent[1].number, "+358405551234");
  EXPECT_EQ(after_send.sms.sent[1].validity, 11);
  EXPECT_EQ(after_send.sms.sent[1].length, 11);

  // The new outbox message reads back, and goes with the first one.
  const std::vector<json> outbox = run({"--json", "sms", "list", "--folder", "outbox"}).lines();
  int written = 0;
  for (const json& m : outbox) {
    if (m["text"] == "Two\nlines") written = m["location"].get<int>();
    EXPECT_TRUE(m["stamp"].is_null()) << "the outbox has no time stamp";
  }
  ASSERT_NE(written, 0) << "the written message reads back";
  const int first = before.sms.messages.front().location;
  const Result deleted = run({"--yes", "sms", "delete", std::to_string(first), std::to_string(written)});
  ASSERT_EQ(deleted.status, kExitOk) << deleted.err;
  EXPECT_EQ(state().sms.at(first), nullptr);
  EXPECT_EQ(state().sms.at(written), nullptr);
  EXPECT_EQ(state().sms.messages.size(), before.sms.messages.size() - 1);
  const Result missing = run({"--yes", "sms", "delete", std::to_string(first)});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_NE(missing.err.find("no message at location"), std::string::npos);

  // A write into the handset: asked, and refused without a terminal to answer.
  EXPECT_EQ(run({"smsc", "set", "+358401110000"}).status, kExitFailed);
  EXPECT_EQ(state().sms.smsc, before.sms.smsc);
  ASSERT_EQ(run({"--yes", "smsc", "set", "+358401110000"}).status, kExitOk);
  EXPECT_EQ(state().sms.smsc, "+358401110000");
  EXPECT_EQ(run({"--json", "smsc", "get"}).out, "{\"smsc\":\"+358401110000\"}\n");

  // Archive: every message filed, then filed again and moved off the handset.
  const std::size_t held = state().sms.messages.size() - 1;  // the demo's two parts are one message
  const std::string dir = folder_.file("archive");
  const Result kept = run({"sms", "archive", dir});
  ASSERT_EQ(kept.status, kExitOk) << kept.err;
  EXPECT_EQ(kept.out, std::to_string(held) + " messages written to " + dir + "\n");
  EXPECT_EQ(state().sms.messages.size(), held + 1);
  const Result moved = run({"--json", "--yes", "sms", "archive", dir, "--delete"});
  ASSERT_EQ(moved.status, kExitOk) << moved.err;
  EXPECT_EQ(moved.lines().at(0), (json{{"folder", dir}, {"messages", held}, {"written", held}, {"deleted", held}}));
  EXPECT_TRUE(state().sms.messages.empty());
  EXPECT_EQ(json::parse(slurp(dir + "/messages.json")).size(), 2 * held) << "the second run's names end -2";
}

TEST_F(Phondeck, CalendarClockAlarmAndNetMonitor) {
  // A Call note as a real handset holds it: the text, then the number.
  handset_.with_handset([](sim::Handset& h) {
    h.state().calendar.notes.push_back({2, {2026, 12, 11, 8, 0}, std::nullopt, {'B', 'o', 'b'},
                                        {'0', '4', '0', '1', '1', '1', '2', '2', '2', '3'}});
    return 0;
  });
  const sim::HandsetState before = state();
  const Result read = run({"--json", "calendar", "read"});
  ASSERT_EQ(read.status, kExitOk) << read.err;
  ASSERT_EQ(read.lines().size(), before.calendar.notes.size());
  const json bob = read.lines().back();
  EXPECT_EQ(bob["type"], "call");
  EXPECT_EQ(bob["text"], "Bob");
  EXPECT_EQ(bob["number"], "0401112223");
  EXPECT_EQ(read.lines().front()["number"], nullptr);
  // Out to a file and back: every note as it was, the Call notes' texts and
  // numbers among them.
  ASSERT_EQ(run({"calendar", "read", "-o", folder_.file("all.ics")}).status, kExitOk);
  const std::string all = slurp(folder_.file("all.ics"));
  EXPECT_NE(all.find("SUMMARY:Call Bob (0401112223)\r\n"), std::string::npos);
  EXPECT_NE(all.find("DESCRIPTION:0401112223\r\n"), std::string::npos);
  ASSERT_EQ(run({"--yes", "calendar", "write", folder_.file("all.ics")}).status, kExitOk);
  auto by_time = [](std::vector<sim::CalendarNote> notes) {
    std::sort(notes.begin(), notes.end(), [](const sim::CalendarNote& a, const sim::CalendarNote& b) {
      return std::tie(a.when.year, a.when.month, a.when.day, a.when.hour, a.when.minute) <
             std::tie(b.when.year, b.when.month, b.when.day, b.when.hour, b.when.minute);
    });
    return notes;
  };
  EXPECT_EQ(by_time(state().calendar.notes), by_time(before.calendar.notes));

  const std::string ics =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n"
      "BEGIN:VEVENT\r\nUID:1@test\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20270105T093000\r\n"
      "SUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  std::ofstream(folder_.file("one.ics"), std::ios::binary) << ics;
  const Result wrote = run({"--yes", "calendar", "write", folder_.file("one.ics")});
  ASSERT_EQ(wrote.status, kExitOk) << wrote.err;
  const sim::HandsetState after = state();
  ASSERT_EQ(after.calendar.notes.size(), 1u);
  EXPECT_EQ(after.calendar.notes[0].when, (sim::NoteTime{2027, 1, 5, 9, 30}));
  const std::vector<json> back = run({"--json", "calendar", "read"}).lines();
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0]["date"], "2027-01-05");
  EXPECT_EQ(back[0]["time"], "09:30");
  EXPECT_EQ(back[0]["text"], "Dentist");
  ASSERT_EQ(run({"calendar", "read", "-o", folder_.file("back.ics")}).status, kExitOk);
  EXPECT_NE(slurp(folder_.file("back.ics")).find("SUMMARY:Dentist"), std::string::npos);
  std::ofstream(folder_.file("bad.ics")) << "not a calendar";
  EXPECT_EQ(run({"--yes", "calendar", "write", folder_.file("bad.ics")}).status, kExitFailed);
  EXPECT_EQ(state().calendar.notes.size(), 1u);

  ASSERT_EQ(run({"clock", "set", "2027-03-14", "07:30:15"}).status, kExitOk);
  EXPECT_EQ(state().calendar.clock, (sim::ClockTime{2027, 3, 14, 7, 30, 15}));

  struct Step {
    Args args;
    bool alarm_on;
    int hour;
    const char* get;  // alarm get's JSON afterwards
  };
  const Step steps[] = {
      {{"--yes", "alarm", "set", "06:45"}, true, 6, R"({"alarm":"on","time":"06:45"})"},
      {{"--yes", "alarm", "off"}, false, 6, R"({"alarm":"off","time":null})"},
      {{"--yes", "alarm", "set", "23:59"}, true, 23, R"({"alarm":"on","time":"23:59"})"},
  };
  for (const Step& s : steps) {
    const Result r = run(s.args);
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(state().calendar.alarm_on, s.alarm_on);
    EXPECT_EQ(state().calendar.alarm_hour, s.hour);
    EXPECT_EQ(run({"--json", "alarm", "get"}).out, std::string(s.get) + "\n");
  }

  EXPECT_EQ(run({"netmonitor", "on"}).status, kExitFailed);
  EXPECT_FALSE(state().net_monitor.on);
  ASSERT_EQ(run({"--yes", "netmonitor", "on"}).status, kExitOk);
  EXPECT_TRUE(state().net_monitor.on);
  ASSERT_EQ(run({"--yes", "netmonitor", "off"}).status, kExitOk);
  EXPECT_FALSE(state().net_monitor.on);
}

TEST_F(Phondeck, PhoneBookWriteRingingTonesLogosAndReset) {
  const sim::HandsetState before = state();
  std::ofstream(folder_.file("tune.rtttl")) << "Tune:d=4,o=5,b=125:c,e,g,8c6";
  const Result tone_written = run({"ringtone", "write", folder_.file("tune.rtttl")});
  ASSERT_EQ(tone_written.status, kExitOk) << tone_written.err;
  ASSERT_TRUE(state().ring_tone.tone.has_value());
  EXPECT_EQ(state().ring_tone.tone->name, "Tune");
  EXPECT_EQ(state().ring_tone.tone->notes.size(), 4u);
  const Result tone_sent = run({"ringtone", "send", folder_.file("tune.rtttl"), "0401112223"});
  ASSERT_EQ(tone_sent.status, kExitOk) << tone_sent.err;
  EXPECT_EQ(state().sms.sent.back().coding, 0xF5);

  // A contact without a position takes a free one; the rest stays.
  std::ofstream(folder_.file("new.vcf"), std::ios::binary)
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed\r\nTEL:0501234\r\nEND:VCARD\r\n";
  EXPECT_EQ(run({"phonebook", "write", folder_.file("new.vcf")}).status, kExitFailed) << "asks first";
  ASSERT_EQ(run({"--yes", "phonebook", "write", folder_.file("new.vcf")}).status, kExitOk);
  sim::HandsetState after = state();
  ASSERT_EQ(after.phone.entries.size(), before.phone.entries.size() + 1);
  const sim::PhoneBookSlot* zed = nullptr;
  for (const sim::PhoneBookSlot& e : after.phone.entries) {
    if (e.number == "0501234") zed = &e;
  }
  ASSERT_NE(zed, nullptr);
  EXPECT_EQ(before.phone.at(zed->location), nullptr) << "a free position";
  ASSERT_EQ(run({"--yes", "phonebook", "write", folder_.file("new.vcf"), "--replace"}).status, kExitOk);
  ASSERT_EQ(state().phone.entries.size(), 1u);
  EXPECT_EQ(state().phone.entries[0].number, "0501234");
  // A tone written after the phone book is stored too.
  std::ofstream(folder_.file("later.rtttl")) << "Later:d=8,o=5,b=100:a,b";
  ASSERT_EQ(run({"ringtone", "write", folder_.file("later.rtttl")}).status, kExitOk);
  ASSERT_TRUE(state().ring_tone.tone.has_value());
  EXPECT_EQ(state().ring_tone.tone->name, "Later");

  // Each picture read into a file, and back into the handset.
  struct Logo {
    Args get;
    Args set;
  };
  const std::string group = folder_.file("group.ngg"), op = folder_.file("operator.nol"),
                    start = folder_.file("startup.bmp");
  const Logo logos[] = {
      {{"logo", "get", "caller", "2", "-o", group}, {"logo", "set", "caller", group}},
      {{"logo", "get", "operator", "-o", op}, {"--yes", "logo", "set", "operator", op}},
      {{"logo", "get", "startup", "-o", start}, {"--yes", "logo", "set", "startup", start}},
  };
  for (const Logo& l : logos) {
    const Result got = run(l.get);
    ASSERT_EQ(got.status, kExitOk) << got.err;
    ASSERT_TRUE(readPixelTextFile(l.get.back()).ok()) << l.get.back();
  }
  handset_.with_handset([](sim::Handset& h) {
    h.state().graphics.startup.assign(h.state().graphics.startup.size(), 0);
    h.state().graphics.operator_logo.assign(h.state().graphics.operator_logo.size(), 0);
    h.state().graphics.logo_mcc = 0;
    return 0;
  });
  for (const Logo& l : logos) {
    const Result set = run(l.set);
    ASSERT_EQ(set.status, kExitOk) << set.err;
  }
  after = state();
  EXPECT_EQ(after.graphics.startup, before.graphics.startup);
  EXPECT_EQ(after.graphics.operator_logo, before.graphics.operator_logo);
  EXPECT_EQ(after.graphics.logo_mcc, before.graphics.logo_mcc);
  EXPECT_FALSE(after.graphics.received_logo.empty());

  // Group 2's picture straight into group 4: its name and ringing tone kept,
  // the other groups untouched.
  handset_.with_handset([](sim::Handset& h) { return h.state().groups[3].ringtone = 0x15; });
  const sim::HandsetState groups_before = state();
  const Result into = run({"--yes", "logo", "set", "caller", group, "--group", "4"});
  ASSERT_EQ(into.status, kExitOk) << into.err;
  EXPECT_NE(into.out.find("into group 4"), std::string::npos) << into.out;
  const sim::HandsetState groups_after = state();
  for (std::size_t g = 0; g < groups_after.groups.size(); ++g) {
    SCOPED_TRACE(g);
    EXPECT_EQ(groups_after.groups[g].name, groups_before.groups[g].name);
    EXPECT_EQ(groups_after.groups[g].ringtone, groups_before.groups[g].ringtone);
    EXPECT_EQ(groups_after.groups[g].logo, g == 3 ? groups_before.groups[1].logo : groups_before.groups[g].logo);
  }

  // Pictures of another size go in as the graphics window's Open places
  // them, and the summary says how; one more than twice the logo's size
  // only with --place.
  struct Sized {
    int width, height;
    Args more;
    int status;
    std::string says;
  };
  const std::vector<Sized> sizes = {
      {40, 10, {}, kExitOk, "small.bmp is 40 by 10 pixels, placed into the 72 by 14 picture at its top left"},
      {80, 20, {}, kExitOk, "mid.bmp is 80 by 20 pixels, placed into the 72 by 14 picture from column 5 and row 4 of the bitmap on"},
      {84, 48, {}, kExitFailed, "big.bmp is 84 by 48 pixels, more than twice the 72 by 14 picture; --place places it"},
      {84, 48, {"--place"}, kExitOk, "big.bmp is 84 by 48 pixels, placed into the 72 by 14 picture from column 5 and row 4"},
  };
  for (const Sized& c : sizes) {
    MonoBitmap picture(c.width, c.height);
    for (int x = 0; x < c.width; ++x) {
      for (int y = 0; y < c.height; ++y) picture.set(x, y, (x * 7 + y * 3) % 5 == 0);
    }
    const std::string name = c.width == 40 ? "small.bmp" : c.width == 80 ? "mid.bmp" : "big.bmp";
    ASSERT_TRUE(writeBitmapFile(folder_.file(name), picture));
    const sim::Bytes logo_before = state().groups[1].logo;
    Args args{"--yes", "logo", "set", "caller", folder_.file(name), "--group", "2"};
    args.insert(args.end(), c.more.begin(), c.more.end());
    const Result r = run(args);
    EXPECT_EQ(r.status, c.status) << name << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << c.says << "\n" << r.out << r.err;
    const std::vector<std::uint8_t> placed = packRows(place_picture(picture, groupGraphicProfile()).picture);
    EXPECT_EQ(state().groups[1].logo, c.status == kExitOk ? sim::Bytes(placed.begin(), placed.end()) : logo_before) << name;
  }

  const std::size_t sent = after.sms.sent.size();
  const Result logo_sent = run({"--json", "logo", "send", "operator", op, "0401112223", "--mcc", "244", "--mnc", "5"});
  ASSERT_EQ(logo_sent.status, kExitOk) << logo_sent.err;
  EXPECT_EQ(logo_sent.lines().size(), 1u);
  EXPECT_EQ(state().sms.sent.size(), sent + 2) << "two parts";

  const std::vector<json> profiles = run({"--json", "profiles", "get"}).lines();
  ASSERT_EQ(profiles.size(), 7u);
  EXPECT_EQ(profiles[1]["name"], "Silent");
  EXPECT_EQ(profiles[0]["warning-tones"], "On") << "the handset's 0x04";
  EXPECT_EQ(profiles[0]["groups"], json::array());
  const Result volume = run({"--yes", "profiles", "set", "2", "ringing-volume", "level 5"});
  ASSERT_EQ(volume.status, kExitOk) << volume.err;
  EXPECT_EQ(state().settings.profiles[1][static_cast<std::size_t>(profile_feature_code(kRingingVolume))],
            profile_index_to_value(kRingingVolume, 4));
  EXPECT_EQ(run({"--json", "profiles", "get"}).lines()[1]["ringing-volume"], "Level 5");
  EXPECT_EQ(run({"--yes", "profiles", "set", "1", "lights", "automatic"}).status, kExitFailed) << "fixed cell";
  ASSERT_EQ(run({"profiles", "activate", "3"}).status, kExitOk);
  EXPECT_EQ(state().settings.active_profile, 2);

  EXPECT_EQ(run({"reset-phone"}).status, kExitFailed);
  ASSERT_EQ(run({"--yes", "reset-phone"}).status, kExitOk);
  EXPECT_EQ(state().graphics.restarts, 1);
}

// calendar write and phonebook write --replace refuse a file that yields
// nothing (exit 1, the handset as it was, even with --yes), and ask before
// replacing with a partly invalid one: --yes writes what it has.
TEST_F(Phondeck, ReplacingWritesRefuseFilesThatYieldNothing) {
  const std::string head = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n";
  const std::string todo = "BEGIN:VTODO\r\nUID:t@test\r\nSUMMARY:Shopping\r\nEND:VTODO\r\n";
  const std::string bad = "BEGIN:VEVENT\r\nUID:d@test\r\nDTSTART:20270230T100000\r\nSUMMARY:Never\r\nEND:VEVENT\r\n";
  const std::string good = "BEGIN:VEVENT\r\nUID:g@test\r\nDTSTART:20270105T093000\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\n";
  const std::string end = "END:VCALENDAR\r\n";
  const std::string nobody = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n";
  const std::string zed = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed\r\nTEL:0501234\r\nEND:VCARD\r\n";
  struct Case {
    const char* file;
    std::string text;
    bool yes;
    int status;
    const char* says;  // in standard output or error
  };
  const Case cases[] = {
      {"empty.ics", head + end, true, kExitFailed, "holds no event the phone can take"},
      {"invalid.ics", head + todo + bad + end, true, kExitFailed, "a to-do \"Shopping\""},
      {"partly.ics", head + good + todo + bad + end, false, kExitFailed, "were left out"},
      {"partly.ics", head + good + todo + bad + end, true, kExitOk, "1 events written to the handset"},
      {"empty.vcf", "", true, kExitFailed, "holds no phone-book entries"},
      {"invalid.vcf", nobody, true, kExitFailed, "#1 Nobody: no number"},
      {"partly.vcf", zed + nobody, false, kExitFailed, "were left out"},
      {"partly.vcf", zed + nobody, true, kExitOk, "1 entries written to the handset"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.yes ? " --yes" : ""));
    const bool calendar = std::string(c.file).ends_with(".ics");
    std::ofstream(folder_.file(c.file), std::ios::binary) << c.text;
    const sim::HandsetState before = state();
    Args args = calendar ? Args{"calendar", "write", folder_.file(c.file)}
                         : Args{"phonebook", "write", folder_.file(c.file), "--replace"};
    if (c.yes) args.insert(args.begin(), "--yes");
    const Result r = run(args);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.says), std::string::npos) << r.out << r.err;
    const sim::HandsetState after = state();
    if (c.status != kExitOk) {
      EXPECT_EQ(after.calendar.notes.size(), before.calendar.notes.size());
      EXPECT_EQ(after.phone.entries.size(), before.phone.entries.size());
    } else if (calendar) {
      ASSERT_EQ(after.calendar.notes.size(), 1u);
      EXPECT_EQ(after.calendar.notes[0].when, (sim::NoteTime{2027, 1, 5, 9, 30}));
    } else {
      ASSERT_EQ(after.phone.entries.size(), 1u);
      EXPECT_EQ(after.phone.entries[0].number, "0501234");
    }
  }
}

// Plain lists name their columns in a header line (the JSON form stays as it
// is); a number that cannot be sent to fails its own row only; and without
// --device or a tv.dat the error says how to choose a device.
// A real tune of 300 thirty-second notes: cut on reading to what a tone
// holds, then to what one write (title "Long": 153 notes) or one message
// (79) carries; written and sent with the user told, never refused.
TEST_F(Phondeck, LongTuneOfThirtySecondNotesIsCutAndSaysSo) {
  std::string tune = "Long:d=32,o=5,b=120:c";
  for (int i = 1; i < 300; ++i) tune += i % 2 ? ",8.d" : ",c";
  std::ofstream(folder_.file("long.rtttl")) << tune;
  const std::string opened =
      "phondeck: long.rtttl is longer than a ringing tone holds: the tone ends after note 252, and the 48 notes "
      "after it were left out\n";
  const Result written = run({"ringtone", "write", folder_.file("long.rtttl")});
  ASSERT_EQ(written.status, kExitOk) << written.err;
  EXPECT_NE(written.err.find(opened + "phondeck: The tone is longer than one write into the phone carries: it ends "
                                      "after note 153, and the 99 notes after it were left out\n"),
            std::string::npos)
      << written.err;
  ASSERT_TRUE(state().ring_tone.tone.has_value());
  const std::vector<sim::ToneNote> notes = state().ring_tone.tone->notes;
  ASSERT_EQ(notes.size(), 153u);
  EXPECT_EQ(notes[0], (sim::ToneNote{1, 1, 5, 0}));  // thirty-second c
  EXPECT_EQ(notes[1], (sim::ToneNote{3, 1, 3, 1}));  // dotted eighth d
  EXPECT_EQ(notes[152], notes[0]);

  const Result sent = run({"ringtone", "send", folder_.file("long.rtttl"), "0401112223"});
  ASSERT_EQ(sent.status, kExitOk) << sent.err;
  EXPECT_NE(sent.err.find(opened + "phondeck: The tone is longer than one message carries: it ends after note 79, "
                                   "and the 173 notes after it were left out\n"),
            std::string::npos)
      << sent.err;
  EXPECT_EQ(state().sms.sent.back().coding, 0xF5);
}

TEST_F(Phondeck, PlainListsNameTheirColumnsAndErrorsNameTheNextStep) {
  auto lines_of = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  };
  const std::vector<std::string> profiles = lines_of(run({"profiles", "get"}).out);
  ASSERT_EQ(profiles.size(), 8u);
  EXPECT_EQ(profiles[0],
            "profile\tname\tcall-alert\tringing-tone\tringing-volume\tvibrating-alert\tmessage-tone\tkeypad-tones\t"
            "warning-tones\tlights\tautomatic-answer\tgroups");
  EXPECT_EQ(profiles[2].rfind("2\tSilent\t", 0), 0u) << profiles[2];
  EXPECT_EQ(lines_of(run({"sms", "list"}).out).front(), "location\tfolder\tstatus\tnumber\ttime\tparts\ttext");
  // An empty list names its columns all the same.
  handset_.with_handset([](sim::Handset& h) { return h.state().sms.messages.clear(), 0; });
  EXPECT_EQ(run({"sms", "list"}).out, "location\tfolder\tstatus\tnumber\ttime\tparts\ttext\n");

  const Result sent = run({"sms", "send", "call-me-abc", "0401112223", "--text", "Hi"});
  EXPECT_EQ(sent.status, kExitFailed);
  EXPECT_EQ(sent.out, "number\tsent\tresult\n"
                      "call-me-abc\tfalse\tFailed: The number call-me-abc holds \"c\": a message goes only to a number of "
                      "digits, with \"+\" first for an international one\n"
                      "0401112223\ttrue\tSucceeded\n");
  EXPECT_EQ(state().sms.sent.back().number, "0401112223");

  for (const bool json : {false, true}) {
    const Result r = run_on(json ? Args{"--json", "identify"} : Args{"identify"});
    EXPECT_EQ(r.status, kExitFailed);
    EXPECT_NE(r.err.find("no device is set"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--device virtual"), std::string::npos) << r.err;
    if (!json) {
      EXPECT_EQ(r.err.find("ERROR: Serial"), std::string::npos) << r.err;
    }
  }
}

// The program itself: exit statuses, the built-in handset, no prompt on a
// standard input that is not a terminal.
TEST(PhondeckProgram, ExitStatusesOfTheBuiltProgram) {
  struct Case {
    std::string args;
    int status;
    const char* prints;
  };
  const Case cases[] = {
      {"--device virtual --json identify", 0, "\"model\":\"6110\""},
      {"--device virtual:5110 calendar read", 1, ""},
      {"--device virtual alarm set 07:00", 1, ""},
      {"--device virtual alarm set 7", 2, ""},
      {"--help", 0, "Usage: phondeck"},
  };
  for (const Case& c : cases) {
    const std::string command = std::string(PHONDECK_PROGRAM) + " " + c.args + " </dev/null 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = ::pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << c.args;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.args;
    EXPECT_NE(out.find(c.prints), std::string::npos) << c.args << ": " << out;
  }
}

}  // namespace
}  // namespace phondeck::cli

namespace phondeck::cli {
namespace {

// backup, then restore over the changed handset: a dry run that names the
// change, the restore that puts it back, and a bad archive refused unread;
// then the phone book written down to one entry and the notes lost, a
// restore, and a second backup equal to the first but for its time.
TEST_F(Phondeck, BackupAndRestoreTheWholeHandset) {
  handset_.with_handset([](sim::Handset& h) {
    for (sim::CalendarNote& n : h.state().calendar.notes) {
      if (n.type == 4) n.alarm = sim::NoteTime{2026, 12, 24, 9, 0};
    }
    return 0;
  });
  const sim::HandsetState original = state();
  const std::string zip = folder_.file("handset.zip");
  const Result made = run({"--json", "backup", zip});
  ASSERT_EQ(made.status, kExitOk) << made.err;
  EXPECT_TRUE(made.lines().at(0)["complete"].get<bool>());
  EXPECT_FALSE(made.lines().at(0)["verified"].get<bool>());
  ASSERT_TRUE(std::filesystem::exists(zip));
  const std::string centre = state().sms.smsc;
  ASSERT_EQ(run({"--yes", "smsc", "set", "+4915550000"}).status, kExitOk);
  std::ofstream(folder_.file("notes.zip")) << "a text, not an archive";
  // An empty ZIP archive: its end record alone.
  std::ofstream(folder_.file("empty.zip"), std::ios::binary) << std::string("PK\x05\x06", 4) << std::string(18, '\0');
  // The message centre edited in the archive after the backup was written.
  {
    std::string error;
    auto opened = open_backup_archive(zip, error);
    ASSERT_TRUE(opened) << error;
    std::string& settings = opened->files["settings.json"];
    const std::size_t at = settings.find(centre);
    ASSERT_NE(at, std::string::npos);
    settings[at + centre.size() - 1] = centre.back() == '1' ? '2' : '1';
    ASSERT_TRUE(write_backup_archive(folder_.file("edited.zip"), opened->files, opened->manifest, error)) << error;
  }

  struct Step {
    Args args;
    int status;
    std::string says;  // in standard output, or standard error when failed
  };
  const std::vector<Step> steps = {
      {{"backup", folder_.file("verified.zip"), "--verify"}, kExitOk,
       "Verified: every part read twice, the reads agree"},
      {{"restore", zip, "--dry-run", "--only", "settings"}, kExitOk,
       "differs: message centre number (handset: +4915550000; backup: "},
      {{"backup", folder_.file("out.tar")}, kExitUsage, "a backup is a ZIP archive: name it .zip, not .tar"},
      {{"backup", folder_.file("plain")}, kExitOk, "Written to " + folder_.file("plain.zip")},
      {{"restore", folder_.file("empty.zip"), "--yes"}, kExitFailed, "it is not a Phondeck backup: the ZIP archive is empty"},
      {{"restore", folder_.file("edited.zip"), "--only", "settings", "--yes"}, kExitFailed,
       "settings.json does not match its SHA-256 checksum (changed after the backup was written; --ignore-checksums"},
      {{"restore", folder_.file("edited.zip"), "--only", "settings", "--yes", "--ignore-checksums", "--dry-run"}, kExitOk,
       "Changed since the backup was written (checksums ignored): settings.json"},
      {{"restore", zip, "--only", "nothing"}, kExitUsage, "--only takes settings"},
      {{"restore", folder_.file("notes.zip"), "--yes"}, kExitFailed, "not a Phondeck backup"},
      {{"restore", zip, "--only", "settings", "--yes"}, kExitOk, "Message centre and alarm: restored (1 change), read back equal"},
  };
  for (const Step& step : steps) {
    const Result r = run(step.args);
    EXPECT_EQ(r.status, step.status) << step.args.at(1) << "\n" << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(step.says), std::string::npos) << step.says << "\n" << r.out << r.err;
    if (step.status != kExitOk || step.args.back() == "--dry-run") {
      EXPECT_EQ(state().sms.smsc, "+4915550000");
    }
  }
  EXPECT_FALSE(std::filesystem::exists(folder_.file("out.tar")));
  EXPECT_EQ(state().sms.smsc, centre);

  std::ofstream(folder_.file("one.vcf"), std::ios::binary)
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:One\r\nTEL:0501234\r\nEND:VCARD\r\n";
  ASSERT_EQ(run({"--yes", "phonebook", "write", folder_.file("one.vcf"), "--replace"}).status, kExitOk);
  ASSERT_EQ(state().phone.entries.size() + state().sim.entries.size(), 1u);
  handset_.with_handset([](sim::Handset& h) { return h.state().calendar.notes.clear(), 0; });
  const Result restored = run({"--yes", "restore", zip});
  EXPECT_EQ(restored.status, kExitOk) << restored.out << restored.err;
  EXPECT_NE(restored.out.find("Restore complete"), std::string::npos) << restored.out;
  const sim::HandsetState after = state();
  for (const auto& [a, b] : {std::pair{&after.phone, &original.phone}, std::pair{&after.sim, &original.sim}}) {
    ASSERT_EQ(a->entries.size(), b->entries.size());
    for (std::size_t i = 0; i < a->entries.size(); ++i) {
      EXPECT_EQ(a->entries[i].location, b->entries[i].location);
      EXPECT_EQ(a->entries[i].name, b->entries[i].name) << b->entries[i].number;
      EXPECT_EQ(a->entries[i].number, b->entries[i].number);
      EXPECT_EQ(a->entries[i].group, b->entries[i].group);
    }
  }

  const std::string again = folder_.file("again.zip");
  ASSERT_EQ(run({"backup", again}).status, kExitOk);
  std::string error;
  const auto first = open_backup_archive(zip, error);
  ASSERT_TRUE(first) << error;
  const auto second = open_backup_archive(again, error);
  ASSERT_TRUE(second) << error;
  EXPECT_EQ(second->files, first->files);
  BackupManifest manifest = first->manifest;
  manifest.time = second->manifest.time;
  EXPECT_EQ(manifest_json(second->manifest), manifest_json(manifest));
}

// export into a folder, in JSON; then with a server that cannot be reached:
// the files are written, the upload fails and says so.
TEST_F(Phondeck, ExportForANewPhone) {
  const std::string dir = folder_.file("new phone");
  const Result made = run({"--json", "export", dir, "--country", "gb", "--no-merge"});
  ASSERT_EQ(made.status, kExitOk) << made.err;
  const json report = made.lines().at(0);
  EXPECT_TRUE(report["complete"].get<bool>());
  EXPECT_EQ(report["files"], json::parse(R"(["contacts.vcf","messages.xml","messages.mbox","calendar.ics","README.txt"])"));
  EXPECT_EQ(report["entries"].get<std::size_t>(), state().phone.entries.size() + state().sim.entries.size());
  EXPECT_EQ(report["events"].get<std::size_t>(), state().calendar.notes.size());
  EXPECT_NE(slurp(dir + "/contacts.vcf").find("BEGIN:VCARD"), std::string::npos);

  const std::string password = folder_.file("password");
  std::ofstream(password) << "secret\n";
  const Result upload = run({"export", folder_.file("again"), "--carddav", "http://127.0.0.1:9/book/", "--user", "me",
                             "--password-file", password, "--no-merge"});
  EXPECT_EQ(upload.status, kExitFailed);
  EXPECT_NE(upload.out.find("Export complete"), std::string::npos) << upload.out;
  EXPECT_NE(upload.err.find("CardDAV"), std::string::npos) << upload.err;
  EXPECT_TRUE(std::filesystem::exists(folder_.file("again/contacts.vcf")));
}

}  // namespace
}  // namespace phondeck::cli
