// Whole-handset backup and restore against the virtual handset: a round trip
// into a changed handset, messages stored back, bad files refused before a
// byte is written, and restores under line faults that never call a handset
// restored when it is not.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "app/sha256.h"
#include "e2e_rig.h"
#include "whole_handset_runs.h"
#include "session/handset_backup.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

BackupResult back_up(Rig& rig, const std::string& path, const std::string& time = "2026-12-09T10:00:00",
                     bool verify = false) {
  HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
  return backup.backup(path, time, verify);
}

RestoreResult restore(Rig& rig, const std::string& path, RestoreOptions options = {}) {
  std::string error;
  const auto opened = open_backup_archive(path, error);
  EXPECT_TRUE(opened) << error;
  if (!opened) return {};
  HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
  return backup.restore(*opened, options);
}

// The handset's whole state as it saves it.
std::string saved(const sim::HandsetState& state) {
  Scratch scratch;
  std::string error;
  EXPECT_TRUE(state.save(scratch.file("state.json"), error)) << error;
  std::ifstream in(scratch.file("state.json"));
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The demo handset with every part changed but its messages.
sim::HandsetState changed_6110() {
  sim::HandsetState s = demo_state("6110");
  s.phone.entries.at(0).number = "5550100";
  s.phone.entries.erase(s.phone.entries.begin() + 1);
  s.phone.put(sim::PhoneBookSlot{s.phone.capacity, bytes_of("Stranger"), "999", 2});
  s.groups.at(1).name = "Rivals";
  s.groups.at(2).ringtone = 0x12;
  s.groups.at(0).logo.at(10) ^= 0xFF;
  s.graphics.operator_logo.at(5) ^= 0x0F;
  s.graphics.logo_mcc = 262;
  s.graphics.logo_mnc = 7;
  s.graphics.startup.at(40) ^= 0xF0;
  s.settings.profiles.at(0).at(2) = 0x03;
  if (!s.calendar.notes.empty()) s.calendar.notes.front().text = bytes_of("Changed");
  s.calendar.notes.push_back(s.calendar.notes.back());
  s.calendar.alarm_on = !s.calendar.alarm_on;
  s.calendar.alarm_hour = 6;
  s.sms.smsc = "+15550009999";
  return s;
}

class Backup : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
  void TearDown() override {
    config().AutoReconnect = 0;
    config().WriteConfirm = 0;
  }
  Scratch scratch;
};

// The demo handset with its birthday's alarm in this year.
sim::HandsetState demo_with_birthday_alarm() {
  sim::HandsetState s = demo_state("6110");
  for (sim::CalendarNote& n : s.calendar.notes) {
    if (n.type == 4) n.alarm = sim::NoteTime{2026, 12, 24, 9, 0};
  }
  return s;
}

// With MultiByte on and off: names held as UCS-2 go back as UCS-2 whatever
// the option says.
TEST_F(Backup, RestoredHandsetBacksUpAsTheOriginal) {
  for (const int multibyte : {1, 0}) {
    SCOPED_TRACE(multibyte);
    config().MultiByte = multibyte;
    const std::string first_zip = scratch.file("first-" + std::to_string(multibyte) + ".zip");
    const std::string second_zip = scratch.file("second-" + std::to_string(multibyte) + ".zip");
    Rig original(demo_with_birthday_alarm());
    ASSERT_TRUE(original.connect());
    const BackupResult first = back_up(original, first_zip);
    ASSERT_TRUE(first.complete) << first.stopped;
    EXPECT_EQ(first.manifest.parts.size(), 8u);

    // Every part changed, the phone book down to one entry.
    sim::HandsetState changed_state = changed_6110();
    changed_state.phone.entries.clear();
    changed_state.sim.entries.clear();
    changed_state.phone.put(sim::PhoneBookSlot{3, bytes_of("One"), "1", 0});
    Rig changed(changed_state);
    ASSERT_TRUE(changed.connect());
    RestoreOptions dry;
    dry.dry_run = true;
    const std::string before = saved(changed.handset.state());
    const RestoreResult preview = restore(changed, first_zip, dry);
    EXPECT_EQ(saved(changed.handset.state()), before) << "a dry run wrote to the handset";
    for (const PartOutcome& p : preview.parts) {
      EXPECT_NE(p.changes.empty(), p.part != BackupPart::Messages) << part_name(p.part) << ": " << preview.summary();
    }

    const RestoreResult done = restore(changed, first_zip);
    EXPECT_TRUE(done.complete) << done.summary();
    EXPECT_EQ(changed.handset.state().phone.entries.size(), original.handset.state().phone.entries.size());
    const BackupResult second = back_up(changed, second_zip, "2026-12-09T11:00:00");
    ASSERT_TRUE(second.complete) << second.stopped;
    for (const auto& [name, bytes] : first.files) EXPECT_EQ(second.files.at(name), bytes) << name;
    EXPECT_EQ(second.files.size(), first.files.size());
    BackupManifest a = first.manifest;
    BackupManifest b = second.manifest;
    a.time = b.time;
    EXPECT_EQ(manifest_json(a), manifest_json(b));

    // The archive as any archiver sees it: every file the manifest lists.
    std::string error;
    const auto opened = open_backup_archive(second_zip, error);
    ASSERT_TRUE(opened) << error;
    EXPECT_EQ(opened->files, second.files);
  }
}

// Messages are stored only when asked. The handset's write stores outbox
// records: the question and the summary say that received ones become unsent
// drafts without their time stamps, the read back says they are kept
// otherwise (never "equal"), and the received ones can be left out.
TEST_F(Backup, MessagesAreStoredBackOnlyWhenAskedAndSaidWhatTheyBecome) {
  Rig original;
  ASSERT_TRUE(original.connect());
  ASSERT_TRUE(back_up(original, scratch.file("b.zip")).complete);
  const std::vector<sim::SmsSlot>& all = original.handset.state().sms.messages;
  const auto received = static_cast<std::size_t>(
      std::ranges::count_if(all, [](const sim::SmsSlot& m) { return m.status == 1 || m.status == 3; }));
  ASSERT_GE(received, 2u);
  ASSERT_GE(all.size() - received, 1u);

  sim::HandsetState emptied = demo_state("6110");
  emptied.sms.messages.clear();
  {
    Rig rig(emptied);
    ASSERT_TRUE(rig.connect());
    const RestoreResult without = restore(rig, scratch.file("b.zip"));
    EXPECT_TRUE(without.complete) << without.summary();
    EXPECT_TRUE(rig.handset.state().sms.messages.empty());
  }
  struct Row {
    bool received;
    std::size_t stored;
  };
  for (const Row row : {Row{true, all.size()}, Row{false, all.size() - received}}) {
    SCOPED_TRACE(row.received);
    Rig rig(emptied);
    ASSERT_TRUE(rig.connect());
    RestoreOptions messages;
    messages.only = {BackupPart::Messages};
    messages.received_messages = row.received;
    messages.dry_run = true;
    const RestoreResult dry = restore(rig, scratch.file("b.zip"), messages);
    ASSERT_EQ(dry.parts.size(), 1u);
    EXPECT_EQ(dry.parts[0].changes.size(), row.stored);
    messages.dry_run = false;
    const RestoreResult with = restore(rig, scratch.file("b.zip"), messages);
    EXPECT_TRUE(with.complete) << with.summary();
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    const std::string& asked = rig.prompt.questions[0];
    EXPECT_EQ(rig.handset.state().sms.messages.size(), row.stored);
    for (const sim::SmsSlot& m : rig.handset.state().sms.messages) EXPECT_TRUE(m.status == 5 || m.status == 7);
    if (row.received) {
      const std::string drafts = std::to_string(received) + " received messages go in as an unsent outbox draft "
                                 "without its time stamp: the handset's write stores outbox records";
      EXPECT_NE(asked.find(drafts), std::string::npos) << asked;
      EXPECT_NE(dry.summary().find(drafts), std::string::npos) << dry.summary();
      EXPECT_EQ(with.summary().find("read back equal"), std::string::npos) << with.summary();
      EXPECT_NE(with.summary().find("Messages: stored, read back with the same numbers and texts; " +
                                    std::to_string(received) + " kept otherwise"),
                std::string::npos)
          << with.summary();
      ASSERT_EQ(with.parts[0].altered.size(), received);
      EXPECT_EQ(with.parts[0].altered[0].kind, Difference::Kind::KeptOtherwise);
      EXPECT_EQ(with.parts[0].altered[0].handset, "outbox, unsent, no time stamp");
      EXPECT_EQ(with.parts[0].altered[0].backup.rfind("inbox, read, 2026-12-08T09:30:00+02:00", 0), 0u)
          << with.parts[0].altered[0].backup;
    } else {
      EXPECT_EQ(asked.find("received"), std::string::npos) << asked;
      EXPECT_NE(with.summary().find(std::to_string(received) + " received messages of the backup left out, as asked"),
                std::string::npos)
          << with.summary();
      EXPECT_NE(with.summary().find("Messages: restored (" + std::to_string(row.stored)), std::string::npos)
          << with.summary();
    }
    // Again: nothing is stored twice, and nothing is asked when nothing can be written.
    rig.prompt.questions.clear();
    EXPECT_TRUE(restore(rig, scratch.file("b.zip"), messages).complete);
    EXPECT_EQ(rig.handset.state().sms.messages.size(), row.stored);
    EXPECT_TRUE(rig.prompt.questions.empty());
  }
}

// Rewrites one archive with a changed file list or manifest.
void rewrite(const std::string& from, const std::string& to, const std::function<void(BackupFiles&, BackupManifest&)>& change) {
  std::string error;
  auto opened = open_backup_archive(from, error);
  ASSERT_TRUE(opened) << error;
  BackupFiles files = opened->files;
  BackupManifest manifest = opened->manifest;
  change(files, manifest);
  ASSERT_TRUE(write_backup_archive(to, files, manifest, error)) << error;
}

// messages.json gives each message's stamp with its zone; a backup of an
// earlier version, without them, restores the same messages.
TEST_F(Backup, MessagesWithAndWithoutStampsAreStoredBack) {
  Rig original;
  ASSERT_TRUE(original.connect());
  ASSERT_TRUE(back_up(original, scratch.file("b.zip")).complete);
  std::string error;
  const auto opened = open_backup_archive(scratch.file("b.zip"), error);
  ASSERT_TRUE(opened) << error;
  const nlohmann::json list = nlohmann::json::parse(opened->files.at("messages.json"))["messages"];
  EXPECT_EQ(list[0]["stamp"], "2026-12-08T09:30:00+02:00");
  EXPECT_EQ(list[2]["stamp"], "2026-12-08T09:30:00+08:00");
  EXPECT_EQ(list[5]["stamp"], "");
  rewrite(scratch.file("b.zip"), scratch.file("earlier.zip"), [](BackupFiles& files, BackupManifest& manifest) {
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(files.at("messages.json"));
    for (auto& m : j["messages"]) m.erase("stamp");
    files["messages.json"] = j.dump(2) + "\n";
    manifest.files = list_files(files);
  });
  for (const char* name : {"b.zip", "earlier.zip"}) {
    sim::HandsetState emptied = demo_state("6110");
    emptied.sms.messages.clear();
    Rig rig(emptied);
    ASSERT_TRUE(rig.connect());
    RestoreOptions messages;
    messages.only = {BackupPart::Messages};
    const RestoreResult with = restore(rig, scratch.file(name), messages);
    EXPECT_TRUE(with.complete) << name << ": " << with.summary();
    EXPECT_EQ(rig.handset.state().sms.messages.size(), original.handset.state().sms.messages.size()) << name;
  }
}

TEST_F(Backup, BadFilesAreRefusedBeforeAnythingIsWritten) {
  Rig original;
  ASSERT_TRUE(original.connect());
  ASSERT_TRUE(back_up(original, scratch.file("good.zip")).complete);
  {
    std::ofstream(scratch.file("text.zip")) << "not an archive at all";
  }
  rewrite(scratch.file("good.zip"), scratch.file("newer.zip"), [](BackupFiles&, BackupManifest& m) { m.format = 2; });
  rewrite(scratch.file("good.zip"), scratch.file("missing.zip"), [](BackupFiles& f, BackupManifest&) { f.erase("calendar.ics"); });
  rewrite(scratch.file("good.zip"), scratch.file("unlisted.zip"), [](BackupFiles& f, BackupManifest& m) {
    f.erase("startup.bmp");
    m.files = list_files(f);
  });
  rewrite(scratch.file("good.zip"), scratch.file("checksum.zip"), [](BackupFiles& f, BackupManifest&) {
    f["phonebook.vcf"].replace(0, 5, "XXXXX");
  });
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {
      {"absent.zip", "cannot open"},
      {"text.zip", "not a ZIP archive"},
      {"newer.zip", "newer version"},
      {"missing.zip", "calendar.ics is missing"},
      {"unlisted.zip", "lacks startup.bmp"},
      {"checksum.zip", "phonebook.vcf does not match its SHA-256"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(open_backup_archive(scratch.file(c.file), error)) << c.file;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.file << ": " << error;
  }

  // Another handset's backup asks first; No writes nothing.
  sim::HandsetState other = changed_6110();
  other.imei = "490154203237518";
  Rig rig(other);
  ASSERT_TRUE(rig.connect());
  const std::string before = saved(rig.handset.state());
  rig.prompt.answers = {false};
  const RestoreResult refused = restore(rig, scratch.file("good.zip"));
  EXPECT_TRUE(refused.refused);
  EXPECT_NE(rig.prompt.questions.front().find("another handset"), std::string::npos);
  EXPECT_EQ(saved(rig.handset.state()), before);
}

// A restore asks one question, with the write confirmation on, naming what
// it replaces and both handsets when the backup is another's; what differs
// shows both sides with the files' escapes undone. A backup whose phone book
// was edited after it was written is refused for its checksum, and restored
// as it is now only when the checksums are ignored, naming the file.
TEST_F(Backup, OneQuestionNamesWhatIsReplacedAndBothSidesAreShown) {
  config().WriteConfirm = 1;
  sim::HandsetState first = demo_state("6110");
  first.phone.entries.at(0).name = bytes_of("Smith, John");
  ASSERT_FALSE(first.calendar.notes.empty());
  first.calendar.notes.front().text = bytes_of("Summer party, Helsinki");
  first.calendar.alarm_on = true;
  first.calendar.alarm_hour = 7;
  first.calendar.alarm_minute = 30;
  Rig original(first);
  ASSERT_TRUE(original.connect());
  ASSERT_TRUE(back_up(original, scratch.file("good.zip")).complete);
  const std::string imei = original.handset.state().imei;

  sim::HandsetState other = changed_6110();
  other.model = "6150";
  other.imei = demo_state("6150").imei;
  ASSERT_NE(other.imei, first.imei);
  other.calendar.alarm_on = false;
  Rig rig(other);
  ASSERT_TRUE(rig.connect());
  RestoreOptions dry;
  dry.dry_run = true;
  const RestoreResult preview = restore(rig, scratch.file("good.zip"), dry);
  EXPECT_TRUE(rig.prompt.questions.empty());
  const std::string handsets =
      "This backup is of another handset: 6110, IMEI " + imei + "; this one is 6150, IMEI " + other.imei;
  EXPECT_EQ(preview.other_handset, handsets);
  EXPECT_NE(preview.summary().find(handsets), std::string::npos) << preview.summary();
  std::vector<Difference> all;
  for (const PartOutcome& p : preview.parts) all.insert(all.end(), p.changes.begin(), p.changes.end());
  const auto find = [&all](const std::string& label) {
    return std::ranges::find_if(all, [&](const Difference& d) { return d.label.rfind(label, 0) == 0; });
  };
  ASSERT_NE(find("diary alarm"), all.end());
  EXPECT_EQ(*find("diary alarm"), (Difference{Difference::Kind::Differs, "diary alarm", "off", "on, 07:30"}));
  EXPECT_EQ(find("diary alarm")->text(), "differs: diary alarm (handset: off; backup: on, 07:30)");
  ASSERT_NE(find("message centre number"), all.end());
  EXPECT_EQ(find("message centre number")->handset, "+15550009999");
  EXPECT_NE(find("Smith, John ("), all.end());
  EXPECT_NE(std::ranges::find_if(all, [](const Difference& d) {
              return d.label.find("\"Summer party, Helsinki\"") != std::string::npos;
            }),
            all.end());
  for (const Difference& d : all) EXPECT_EQ(d.label.find('\\'), std::string::npos) << d.label;

  const RestoreResult done = restore(rig, scratch.file("good.zip"));
  EXPECT_TRUE(done.complete) << done.summary();
  ASSERT_EQ(rig.prompt.questions.size(), 1u);
  const std::string& asked = rig.prompt.questions[0];
  for (const std::string& said :
       {std::string("Write the backup of 2026-12-09 10:00:00 into the handset?\n"), handsets,
        std::string("the phone book: replaces the handset's "), std::string("the calendar: replaces the handset's "),
        std::string("the message centre and alarm: 2 changes")}) {
    EXPECT_NE(asked.find(said), std::string::npos) << said << " in\n" << asked;
  }
  EXPECT_EQ(rig.handset.state().phone.entries.size(), first.phone.entries.size());

  // phonebook.vcf edited on purpose: the name, its parts and its bytes.
  rewrite(scratch.file("good.zip"), scratch.file("edited.zip"), [](BackupFiles& f, BackupManifest&) {
    std::string& vcf = f["phonebook.vcf"];
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"Smith\\, John", "Smith\\, Jane"},
                                   {"Smith;John", "Smith;Jane"},
                                   {"536D6974682C204A6F686E", "536D6974682C204A616E65"}}) {
      const std::size_t at = vcf.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      vcf.replace(at, from.size(), to);
    }
  });
  std::string error;
  EXPECT_FALSE(open_backup_archive(scratch.file("edited.zip"), error));
  EXPECT_NE(error.find("phonebook.vcf does not match its SHA-256"), std::string::npos) << error;
  const auto edited = open_backup_archive(scratch.file("edited.zip"), error, true);
  ASSERT_TRUE(edited) << error;
  EXPECT_EQ(edited->changed, std::vector<std::string>{"phonebook.vcf"});
  Rig same(first);
  ASSERT_TRUE(same.connect());
  RestoreOptions book;
  book.only = {BackupPart::PhoneBook};
  HandsetBackup backup(same.session, same.prompt, runner_of(same));
  const RestoreResult taken = backup.restore(*edited, book);
  EXPECT_TRUE(taken.complete) << taken.summary();
  EXPECT_NE(taken.summary().find("Changed since the backup was written (checksums ignored): phonebook.vcf"),
            std::string::npos)
      << taken.summary();
  ASSERT_EQ(same.prompt.questions.size(), 1u);
  EXPECT_NE(same.prompt.questions[0].find("phonebook.vcf"), std::string::npos);
  EXPECT_EQ(same.prompt.questions[0].find("another handset"), std::string::npos);
  EXPECT_EQ(same.handset.state().phone.entries.at(0).name, bytes_of("Smith, Jane"));
}

TEST_F(Backup, ModelsWithoutGroupsOrCalendarLeaveThemOut) {
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  const BackupResult result = back_up(rig, scratch.file("5110.zip"));
  ASSERT_TRUE(result.complete) << result.stopped;
  EXPECT_EQ(result.manifest.absent, (std::vector<std::string>{"groups", "startup", "profiles", "calendar"}));
  EXPECT_EQ(result.files.count("calendar.ics"), 0u);
  EXPECT_NE(result.summary().find("Not on this model: caller groups"), std::string::npos);
  EXPECT_TRUE(restore(rig, scratch.file("5110.zip")).complete);
}

// Each run says how it ended: a backup done with what it read, refused on a
// link that is not up, cut off in the phone book; a restore refused by its
// question, and cut off in its phone book's write, nothing called equal after.
TEST_F(Backup, EachRunSaysHowItEnded) {
  Rig clean;
  ASSERT_TRUE(clean.connect());
  // When the clean run reaches each part.
  std::map<std::string, std::int64_t> reached;
  HandsetBackup timed(clean.session, clean.prompt, runner_of(clean));
  timed.set_part_listener([&](int, int, const std::string& title) { reached[title] = clean.loop.now_ms(); });
  ASSERT_TRUE(timed.backup(scratch.file("good.zip"), "2026-12-09T10:00:00").complete);
  const sim::HandsetState& demo = clean.handset.state();
  std::int64_t write_book_at = -1;
  {
    Rig rig(changed_6110());
    ASSERT_TRUE(rig.connect());
    std::string error;
    HandsetBackup restore(rig.session, rig.prompt, runner_of(rig));
    restore.set_part_listener([&](int, int, const std::string& title) {
      if (title == "Writing the phone book") write_book_at = rig.loop.now_ms();
    });
    RestoreOptions book;
    book.only = {BackupPart::Settings, BackupPart::PhoneBook, BackupPart::Calendar};
    ASSERT_TRUE(restore.restore(*open_backup_archive(scratch.file("good.zip"), error), book).complete);
  }
  ASSERT_GT(write_book_at, 0);
  ASSERT_EQ(reached.count("phone book"), 1u);

  struct Row {
    const char* what;
    bool restore;
    std::int64_t silent_at_ms;  // the handset falls silent (-1: never)
    bool connected;
    bool confirm;
    Ending ending;
    Refusal refusal;
    LinkState family;
    const char* said;  // in the summary
  };
  const Row rows[] = {
      {"backup done", false, -1, true, true, Ending::Done, Refusal::None, LinkState::Idle, "Backup complete: 8 parts"},
      {"backup not connected", false, -1, false, true, Ending::Refused, Refusal::NotConnected, LinkState::Idle,
       "Backup not written: the message centre and alarm could not be read (refused: not connected)"},
      {"backup cut off", false, reached["phone book"] + 30, true, true, Ending::LinkLost, Refusal::None,
       LinkState::PhoneBook, "Backup not written: the phone book could not be read (link lost at step "},
      {"restore not confirmed", true, -1, true, false, Ending::Refused, Refusal::UserSaidNo, LinkState::Idle,
       "Nothing was written: the restore was not confirmed"},
      {"restore cut off", true, write_book_at + 30, true, true, Ending::LinkLost, Refusal::None, LinkState::PhoneBook,
       "Stopped at the phone book (link lost at step "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    sim::FaultOptions faults;
    faults.silent_at_ms = row.silent_at_ms;
    Rig rig(row.restore ? changed_6110() : demo_state("6110"), {}, faults);
    if (row.connected) {
      ASSERT_TRUE(rig.connect());
    }
    rig.prompt.answers = {row.confirm};
    HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
    OperationResult ended;
    std::string said;
    if (row.restore) {
      RestoreOptions book;
      book.only = {BackupPart::Settings, BackupPart::PhoneBook, BackupPart::Calendar};
      std::string error;
      const RestoreResult result = backup.restore(*open_backup_archive(scratch.file("good.zip"), error), book);
      ended = result.ended;
      said = result.summary();
      if (row.silent_at_ms >= 0) {
        // Nothing after the loss is called equal: the parts are not read back.
        EXPECT_EQ(said.find("read back equal"), std::string::npos) << said;
        EXPECT_NE(said.find("it could not be read back (refused: not connected)"), std::string::npos) << said;
      }
    } else {
      const BackupResult result = backup.backup(scratch.file("run.zip"), "2026-12-09T10:00:00");
      ended = result.ended;
      said = result.summary();
      EXPECT_EQ(result.complete, row.ending == Ending::Done);
      EXPECT_EQ(fs::exists(scratch.file("run.zip")), row.ending == Ending::Done);
      std::error_code ignored;
      fs::remove(scratch.file("run.zip"), ignored);
    }
    EXPECT_EQ(ended.ending, row.ending) << describe(ended);
    EXPECT_EQ(ended.refusal, row.refusal) << describe(ended);
    if (row.ending == Ending::LinkLost) {
      EXPECT_EQ(ended.family, row.family) << describe(ended);
    }
    if (row.ending == Ending::Done && !row.restore) {
      EXPECT_EQ(ended.entries, static_cast<int>(demo.phone.entries.size() + demo.sim.entries.size()));
      EXPECT_EQ(ended.notes, static_cast<int>(demo.calendar.notes.size()));
      EXPECT_GT(ended.messages, 0);
    }
    EXPECT_NE(said.find(row.said), std::string::npos) << said;
  }
}

// Under every line fault and a hang-up, AutoReconnect off and on: a restore
// called complete left the handset as the backup holds it (a dry run of the
// same backup over a clean line finds nothing to change).
TEST_F(Backup, FaultedRunsNeverClaimMoreThanTheyDid) {
  using testing::RunEnd;
  using testing::RunResult;
  Rig original;
  ASSERT_TRUE(original.connect());
  ASSERT_TRUE(back_up(original, scratch.file("good.zip")).complete);
  RestoreOptions parts;
  parts.only = {BackupPart::Settings, BackupPart::Groups, BackupPart::PhoneBook};
  std::vector<testing::FaultKind> kinds = testing::line_fault_kinds();
  kinds.push_back({"hang-up", {}});
  std::int64_t begin_ms = 0;
  std::int64_t span_ms = 0;
  {
    Rig rig(changed_6110());
    ASSERT_TRUE(rig.connect());
    begin_ms = rig.loop.now_ms();
    ASSERT_TRUE(restore(rig, scratch.file("good.zip"), parts).complete);
    span_ms = rig.loop.now_ms() - begin_ms;
  }
  std::string error;
  const auto opened = open_backup_archive(scratch.file("good.zip"), error);
  ASSERT_TRUE(opened);
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : kinds) {
      const bool hang_up = kind.name == "hang-up";
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](sim::FaultOptions faults) {
        if (hang_up) faults.hang_up_at_ms = begin_ms + span_ms * static_cast<std::int64_t>(faults.seed) / 1000;
        Rig rig(changed_6110(), {}, faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
        const RestoreResult result = backup.restore(*opened, parts);
        // The parts its summary calls restored: written and read back equal
        // (every part when it says complete).
        RestoreOptions dry;
        dry.dry_run = true;
        for (const PartOutcome& p : result.parts) {
          if (result.complete || (p.written && p.left.empty())) dry.only.push_back(p.part);
        }
        std::string differs;
        if (!dry.only.empty()) {
          // Judged over a clean line.
          Rig judge(rig.handset.state());
          if (!judge.connect()) return RunResult{RunEnd::Wrong, "the judge could not connect"};
          HandsetBackup check(judge.session, judge.prompt, runner_of(judge));
          for (const PartOutcome& p : check.restore(*opened, dry).parts) {
            if (!p.changes.empty() && differs.empty()) differs = part_name(p.part) + ": " + p.changes.front().text();
          }
        }
        const bool claims = result.ended.done() || differs.empty();
        const std::string claim_why = "a part called as in the backup is not (" + differs + ")";
        // Written, but not read back as the backup holds it (or not read
        // back at all), or a write the handset did not carry out (an alarm
        // left on): said so, and no part called equal that is not.
        if (claims && result.ended.ending == Ending::Failed) return RunResult{RunEnd::Reset, {}};
        return testing::judge(result.ended, differs.empty(), differs, claims, claim_why);
      });
      testing::print_tally("restore", tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
    }
  }
}

// A verified backup reads each part twice: over a clean line the reads agree
// and the files are the plain backup's. Under byte noise, AutoReconnect off
// and on, a verified backup that completes is never wrong, not even when the
// noise passed a frame's checksums (that is what the second read catches).
TEST_F(Backup, VerifiedBackupUnderByteNoiseIsNeverWrong) {
  using testing::RunEnd;
  using testing::RunResult;
  Rig clean;
  ASSERT_TRUE(clean.connect());
  const BackupResult plain = back_up(clean, scratch.file("plain.zip"));
  ASSERT_TRUE(plain.complete) << plain.stopped;
  const BackupResult verified = back_up(clean, scratch.file("verified.zip"), "2026-12-09T10:00:00", true);
  ASSERT_TRUE(verified.complete) << verified.stopped;
  EXPECT_EQ(verified.files, plain.files);
  EXPECT_TRUE(verified.reread.empty());
  EXPECT_NE(verified.summary().find("\nVerified: every part read twice, the reads agree"), std::string::npos)
      << verified.summary();
  EXPECT_EQ(plain.summary().find("Verified"), std::string::npos);

  // The fault table's byte noise, under which a whole backup seldom gets
  // through, and a lighter one under which most do.
  std::vector<testing::FaultKind> kinds;
  for (const testing::FaultKind& kind : testing::line_fault_kinds()) {
    if (kind.name == "byte noise") kinds.push_back(kind);
  }
  ASSERT_EQ(kinds.size(), 1u);
  sim::FaultOptions light;
  light.noise = 0.001;
  kinds.push_back({"byte noise 0.1 %", light});
  struct Row {
    int reconnect;
    testing::FaultKind noise;
    bool verify;
  };
  // The plain backup under the lighter noise, for comparison: a wrong one
  // there is one whose frames passed the checksums.
  const Row rows[] = {{0, kinds[0], true}, {1, kinds[0], true}, {0, kinds[1], true},
                      {1, kinds[1], true}, {1, kinds[1], false}};
  for (const auto& [reconnect, noise, verify] : rows) {
    config().AutoReconnect = reconnect;
    testing::FaultKind kind = noise;
    if (reconnect != 0) kind.name += ", reconnect";
    int reread = 0;
    const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](sim::FaultOptions faults) {
      Rig rig(demo_state("6110"), {}, faults);
      if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
      HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
      const BackupResult result = backup.backup(scratch.file("noisy.zip"), "2026-12-09T10:00:00", verify);
      if (!result.complete) return testing::judge(result.ended, false, "not written");
      reread += result.reread_records();
      // A request the noise changed may have changed the handset: judged
      // against what it holds now, over a clean line.
      std::string differs;
      const sim::HandsetState now = rig.handset.state();
      if (result.files != plain.files) {
        Rig judge(now);
        if (!judge.connect()) return RunResult{RunEnd::Wrong, "the judge could not connect"};
        const BackupResult clean_read = back_up(judge, scratch.file("judge.zip"));
        for (const auto& [name, bytes] : clean_read.files) {
          if (result.files.count(name) == 0 || result.files.at(name) != bytes) differs = name;
        }
      }
      const bool counts = result.ended.entries == static_cast<int>(now.phone.entries.size() + now.sim.entries.size()) &&
                          result.ended.notes == static_cast<int>(now.calendar.notes.size());
      return testing::judge(result.ended, differs.empty(), differs, counts, "the counts are not the handset's");
    });
    if (!verify) {
      testing::print_tally("backup", tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
      continue;
    }
    testing::print_tally("verified backup", tally);
    std::printf("[ faults   ] verified backup, %s: %d records read again\n", kind.name.c_str(), reread);
    EXPECT_EQ(tally.wrong + tally.unseen, 0) << kind.name << ": " << tally.first_wrong;
  }
}

}  // namespace
}  // namespace phondeck::e2e
