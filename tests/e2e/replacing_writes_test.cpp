// Every write that replaces what the handset holds, fed a file that yields
// nothing, one whose entries are all invalid and one that is partly invalid:
// the handset keeps its contents unless the user confirmed, and with
// confirmation the partly invalid file writes what it has.
#include <gtest/gtest.h>

#include <fstream>

#include "e2e_rig.h"
#include "media/temp_dir.h"
#include "organiser/calendar_window.h"
#include "phonebook/phone_book_files.h"
#include "session/backup_archive.h"
#include "session/handset_backup.h"
#include "whole_handset_runs.h"

namespace phondeck::e2e {
namespace {

const std::string kCalendarHead = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n";
const std::string kCalendarEnd = "END:VCALENDAR\r\n";
const std::string kToDo = "BEGIN:VTODO\r\nUID:t@test\r\nSUMMARY:Shopping\r\nEND:VTODO\r\n";
const std::string kNoStart = "BEGIN:VEVENT\r\nUID:n@test\r\nSUMMARY:Nowhen\r\nEND:VEVENT\r\n";
const std::string kNoSuchDay =
    "BEGIN:VEVENT\r\nUID:d@test\r\nDTSTART:20270230T100000\r\nSUMMARY:Never\r\nEND:VEVENT\r\n";
const std::string kDentist =
    "BEGIN:VEVENT\r\nUID:g@test\r\nDTSTART:20270105T093000\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\n";

const std::string kNoNumber = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nobody\r\nEND:VCARD\r\n";
const std::string kBadNumber = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Letters\r\nTEL:05x1\r\nEND:VCARD\r\n";
const std::string kZed = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed\r\nTEL:0501234\r\nEND:VCARD\r\n";

enum class Write { CalendarWindow, WriteAllReplace, RestorePhoneBook, RestoreCalendar };
enum class File { Empty, AllInvalid, PartlyInvalid };

bool calendar_write(Write w) { return w == Write::CalendarWindow || w == Write::RestoreCalendar; }

std::string file_text(Write w, File f) {
  if (calendar_write(w)) {
    switch (f) {
      case File::Empty: return kCalendarHead + kCalendarEnd;
      case File::AllInvalid: return kCalendarHead + kToDo + kNoStart + kNoSuchDay + kCalendarEnd;
      case File::PartlyInvalid: return kCalendarHead + kDentist + kToDo + kNoSuchDay + kCalendarEnd;
    }
  }
  switch (f) {
    case File::Empty: return "";
    case File::AllInvalid: return kNoNumber + kBadNumber;
    case File::PartlyInvalid: return kZed + kNoNumber;
  }
  return "";
}

// The part of the handset the write replaces.
std::string held(Rig& rig, Write w) {
  const sim::HandsetState s = rig.handset.state();
  nlohmann::json j = s.to_json();
  return calendar_write(w) ? j["calendar"]["notes"].dump() : j["phone"].dump() + j["sim"].dump();
}

// The backup of the rig's handset with the part's file replaced by `text`.
std::string backup_with(Rig& rig, const mediatest::TempDir& dir, Write w, const std::string& text) {
  HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
  BackupResult made = backup.backup(dir.file("made.zip"), "2026-12-09T10:00:00");
  EXPECT_TRUE(made.complete) << made.summary();
  made.files[w == Write::RestoreCalendar ? "calendar.ics" : "phonebook.vcf"] = text;
  made.manifest.files = list_files(made.files);
  std::string error;
  EXPECT_TRUE(write_backup_archive(dir.file("changed.zip"), made.files, made.manifest, error)) << error;
  return dir.file("changed.zip");
}

TEST(ReplacingWrites, NoFileThatYieldsLessEmptiesTheHandsetUnasked) {
  struct Case {
    Write write;
    File file;
    bool confirm;  // the answer to the question about what was left out
  };
  std::vector<Case> cases;
  for (Write w : {Write::CalendarWindow, Write::WriteAllReplace, Write::RestorePhoneBook, Write::RestoreCalendar}) {
    for (File f : {File::Empty, File::AllInvalid, File::PartlyInvalid}) {
      for (bool confirm : {false, true}) cases.push_back({w, f, confirm});
    }
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "write " << static_cast<int>(c.write) << ", file "
                                    << static_cast<int>(c.file) << (c.confirm ? ", confirmed" : ""));
    fresh_settings();
    Rig rig;
    ASSERT_TRUE(rig.connect());
    mediatest::TempDir dir;
    const std::string text = file_text(c.write, c.file);
    const std::string path = dir.file(calendar_write(c.write) ? "in.ics" : "in.vcf");
    std::ofstream(path, std::ios::binary) << text;
    const std::string zip =
        c.write == Write::RestorePhoneBook || c.write == Write::RestoreCalendar ? backup_with(rig, dir, c.write, text)
                                                                               : "";
    const std::string before = held(rig, c.write);
    rig.prompt.messages.clear();
    rig.prompt.questions.clear();
    // Every other question is answered Yes.
    rig.prompt.answer = c.confirm;
    std::string said;  // the restore's summary, then every message and question
    switch (c.write) {
      case Write::CalendarWindow: {
        CalendarWindow window(rig.session.organiser().calendar(), rig.engine(), rig.prompt, {2026, 12, 9});
        ASSERT_TRUE(window.import_file(path));
        rig.run([&] { window.run(CalendarCommand::Write); });
        break;
      }
      case Write::WriteAllReplace: {
        PhoneBookFiles(rig.book, rig.prompt).import_files(rig.book.active_side(), {path});
        rig.prompt.answers = {true};  // Replace the handset's phone book?
        rig.run([&] { rig.commands->write_all(); });
        break;
      }
      case Write::RestorePhoneBook:
      case Write::RestoreCalendar: {
        std::string error;
        const auto opened = open_backup_archive(zip, error);
        ASSERT_TRUE(opened) << error;
        HandsetBackup backup(rig.session, rig.prompt, runner_of(rig));
        RestoreOptions only;
        only.only = {c.write == Write::RestoreCalendar ? BackupPart::Calendar : BackupPart::PhoneBook};
        rig.prompt.answers = {c.confirm};  // the one question, which names what is left out
        const RestoreResult result = backup.restore(*opened, only);
        EXPECT_LE(rig.prompt.questions.size(), 1u);
        said = result.summary() + "\n";
        EXPECT_EQ(result.refused, c.file != File::PartlyInvalid || !c.confirm) << result.summary();
        if (c.file == File::PartlyInvalid) {
          ASSERT_EQ(result.parts.size(), 1u);
          EXPECT_FALSE(result.parts[0].left_out.empty()) << result.summary();
        }
        break;
      }
    }
    for (const std::string& m : rig.prompt.messages) said += m + "\n";
    std::string questions;
    for (const std::string& q : rig.prompt.questions) questions += q + "\n";
    said += questions;
    const bool writes = c.file == File::PartlyInvalid && c.confirm;
    if (!writes) {
      EXPECT_EQ(held(rig, c.write), before) << said;
    } else if (calendar_write(c.write)) {
      const auto& notes = rig.handset.state().calendar.notes;
      ASSERT_EQ(notes.size(), 1u) << said;
      EXPECT_EQ(notes[0].when, (sim::NoteTime{2027, 1, 5, 9, 30}));
    } else {
      const auto& phone = rig.handset.state().phone.entries;
      ASSERT_EQ(phone.size(), 1u) << said;
      EXPECT_EQ(phone[0].number, "0501234");
    }
    // The reason, or what was left out, is named.
    if (c.file != File::Empty) {
      const char* named = calendar_write(c.write) ? "20270230" : "Nobody";
      EXPECT_NE(said.find(named), std::string::npos) << said;
    }
    if (calendar_write(c.write) && c.file != File::Empty) {
      EXPECT_NE(said.find("a to-do \"Shopping\""), std::string::npos) << said;
    }
    // A partly invalid file asks; one that yields nothing is refused unasked.
    const bool asked =
        questions.find("left out") != std::string::npos || questions.find("cannot be taken") != std::string::npos;
    EXPECT_EQ(asked, c.file == File::PartlyInvalid) << said;
  }
}

}  // namespace
}  // namespace phondeck::e2e
