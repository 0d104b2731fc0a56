// Files that hold a person's contacts, messages and notes are their owner's
// alone, whatever the umask: each writer's file, a file it replaces, and the
// backup's ZIP members as an archiver unpacks them.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <fstream>

#include "app/file_replace.h"
#include "e2e_rig.h"
#include "organiser/calendar_window.h"
#include "organiser/message_archive.h"
#include "organiser/message_family.h"
#include "organiser/messages_window.h"
#include "phonebook/phone_book_files.h"
#include "session/backup_archive.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

unsigned mode_of(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 01000;
}

class UmaskOf022 {
 public:
  UmaskOf022() : old_(::umask(022)) {}
  ~UmaskOf022() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(FileModes, PersonalFilesAreTheOwnersOnly) {
  UmaskOf022 umask;
  std::string pattern = (fs::temp_directory_path() / "phondeck-modes-XXXXXX").string();
  const fs::path dir = ::mkdtemp(pattern.data());
  Rig rig;
  ASSERT_TRUE(rig.connect());
  MessageFamily& family = rig.session.organiser().message_family();
  rig.run([&] { ASSERT_TRUE(start_message_read(rig.engine(), family)); });
  ASSERT_GT(family.records().store.size(), 0u);
  rig.run([&] { ASSERT_TRUE(start_calendar_read(rig.engine())); });
  CalendarWindow calendar(rig.session.organiser().calendar(), rig.engine(), rig.prompt, {2026, 12, 8});
  MessagesWindowLogic messages(rig.engine(), family, rig.book, rig.prompt);
  PhoneBookFiles book(rig.book, rig.prompt);

  const std::string archive = (dir / "archive").string();
  struct Writer {
    const char* what;
    std::string path;
    std::function<bool(const std::string&)> write;
    unsigned mode;
  };
  const Writer writers[] = {
      {"backup", (dir / "handset.zip").string(),
       [](const std::string& p) {
         std::string error;
         return write_backup_archive(p, {{"phonebook.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n"}}, {}, error);
       },
       0600},
      {"phone book export (vCard)", (dir / "book.vcf").string(),
       [&](const std::string& p) { return book.export_active(p, ContactFormat::VCard); }, 0600},
      {"phone book export (CSV)", (dir / "book.csv").string(),
       [&](const std::string& p) { return book.export_active(p, ContactFormat::Csv); }, 0600},
      {"calendar export", (dir / "notes.ics").string(), [&](const std::string& p) { return calendar.export_file(p); },
       0600},
      {"messages saved", (dir / "messages.txt").string(),
       [&](const std::string& p) { return messages.export_folder(p); }, 0600},
      {"message archive index", archive + "/messages.json",
       [&](const std::string&) {
         return write_archive(archive, messages_to_archive(family.records().store)).error.empty();
       },
       0600},
      {"a file of no one's data", (dir / "shared.txt").string(),
       [](const std::string& p) { return replace_file(p, p + ".new", "x", 1); }, 0644},
  };
  for (const Writer& w : writers) {
    ASSERT_TRUE(w.write(w.path)) << w.what;
    EXPECT_EQ(mode_of(w.path), w.mode) << w.what << ": new file";
    // A file there before, readable by all, is replaced by one that is not.
    ASSERT_EQ(::chmod(w.path.c_str(), 0644), 0);
    ASSERT_TRUE(w.write(w.path)) << w.what;
    EXPECT_EQ(mode_of(w.path), w.mode) << w.what << ": replaced file";
  }
  for (const fs::directory_entry& e : fs::directory_iterator(archive)) {
    EXPECT_EQ(mode_of(e.path().string()), 0600u) << e.path();
  }

  // The members as an archiver unpacks them.
  int error = 0;
  zip_t* zip = zip_open((dir / "handset.zip").c_str(), ZIP_RDONLY, &error);
  ASSERT_NE(zip, nullptr);
  ASSERT_EQ(zip_get_num_entries(zip, 0), 2);
  for (zip_uint64_t i = 0; i < 2; ++i) {
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    ASSERT_EQ(zip_file_get_external_attributes(zip, i, 0, &system, &attributes), 0);
    EXPECT_EQ(system, ZIP_OPSYS_UNIX) << zip_get_name(zip, i, 0);
    EXPECT_EQ(attributes >> 16, static_cast<zip_uint32_t>(S_IFREG | 0600)) << zip_get_name(zip, i, 0);
  }
  zip_discard(zip);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace phondeck::e2e
