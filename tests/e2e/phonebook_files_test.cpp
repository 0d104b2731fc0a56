// The demo handset's phone book, read over the link, exported to vCard and
// CSV files and imported again: every column of every entry comes back; and
// written with Write All into a handset left with one entry, every name goes
// back in the form the handset held it.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "e2e_rig.h"
#include "media/temp_dir.h"
#include "phonebook/phone_book_files.h"

namespace phondeck::e2e {
namespace {

TEST(PhoneBookFilesEndToEnd, DemoPhoneBookSurvivesExportAndImport) {
  fresh_settings();
  // The demo, with the two name forms it lacks: UNICODE beside Name, and none.
  sim::HandsetState state = demo_state("6110");
  state.phone.put(sim::PhoneBookSlot{10, Bytes{0x04, 0xFF, 0x20, 'A', 0x20, 'B', 0x00, 'C'}, "77", 2});
  state.phone.put(sim::PhoneBookSlot{11, Bytes{0x04, 0x01, 0x05}, "500", 3});
  Rig rig(std::move(state));
  ASSERT_TRUE(rig.connect());
  rig.run([&] { rig.commands->read_phone_book(); });
  const std::vector<PhoneBookEntry> read = rig.book.left().entries();
  ASSERT_EQ(read.size(), 14u);
  std::set<std::string> forms;
  for (const PhoneBookEntry& e : read) forms.insert(e.WriteAs);
  EXPECT_EQ(forms, (std::set<std::string>{"Auto", "Name", "Both", "Group"}));
  EXPECT_EQ(row(read[6]), (Row{"", "\u9673\u7f8e\u73b2", "+886912345678", "Phone", "7", "VIP", "Auto"}));

  mediatest::TempDir dir;
  PhoneBookFiles files(rig.book, rig.prompt);
  for (const char* name : {"demo.vcf", "demo.csv"}) {
    const std::string path = dir.file(name);
    ASSERT_TRUE(files.export_active(path, *contact_format_of(path)));
    rig.book.left().clear();
    EXPECT_EQ(files.import_files(ListSide::Left, {path}), read.size());
    EXPECT_EQ(rig.book.left().entries(), read) << name;
  }
  EXPECT_TRUE(rig.prompt.questions.empty());
  EXPECT_TRUE(rig.prompt.messages.empty());

  // File > Import of the vCard, then Write All replacing the handset's book,
  // with MultiByte on and off: the names go back as the handset held them.
  const sim::HandsetState original = rig.handset.state();
  for (const int multibyte : {1, 0}) {
    SCOPED_TRACE(multibyte);
    config().MultiByte = multibyte;
    rig.prompt.questions.clear();
    rig.book.left().clear();
    ASSERT_EQ(files.import_files(ListSide::Left, {dir.file("demo.vcf")}), read.size());
    rig.handset.state().phone.entries.clear();
    rig.handset.state().sim.entries.clear();
    rig.handset.state().phone.put(sim::PhoneBookSlot{3, Bytes{'O', 'n', 'e'}, "1", 0});
    rig.run([&] { rig.commands->write_all(); });
    EXPECT_EQ(rig.prompt.questions, std::vector<std::string>{"Replace the handset's phone book?"});
    EXPECT_EQ(rig.observer.last_status(), "Write All (Completed)");
    for (const auto& [after, before] : {std::pair{&rig.handset.state().phone, &original.phone},
                                        std::pair{&rig.handset.state().sim, &original.sim}}) {
      ASSERT_EQ(after->entries.size(), before->entries.size());
      for (std::size_t i = 0; i < before->entries.size(); ++i) {
        const sim::PhoneBookSlot& a = after->entries[i];
        const sim::PhoneBookSlot& b = before->entries[i];
        EXPECT_EQ(std::tie(a.location, a.name, a.number, a.group), std::tie(b.location, b.name, b.number, b.group))
            << b.number;
      }
    }
  }
}

}  // namespace
}  // namespace phondeck::e2e
