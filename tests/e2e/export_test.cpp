// Export for a new phone against the virtual handset: every file of the
// demo handset written for its owner with counts that match what it holds,
// the network asked for the numbers' country, the merge of one person's
// entries only when asked, a model without calendar or groups, and a part
// that fails leaving no file behind.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e_rig.h"
#include "whole_handset_runs.h"
#include "organiser/message_export.h"
#include "phonebook/phone_numbers.h"
#include "session/handset_export.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

unsigned mode_of(const std::string& path) {
  struct stat about {};
  if (::stat(path.c_str(), &about) != 0) return 0;
  return about.st_mode & 0777;
}

std::string text_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

Bytes bytes_of(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// The demo handset with one person's numbers under marked names and one
// entry in both memories.
sim::HandsetState marked_6110() {
  sim::HandsetState s = demo_state("6110");
  s.phone.put(sim::PhoneBookSlot{s.phone.capacity - 2, bytes_of("Bob H"), "5550101", 0});
  s.phone.put(sim::PhoneBookSlot{s.phone.capacity - 1, bytes_of("Bob W"), "5550102", 0});
  s.phone.put(sim::PhoneBookSlot{s.phone.capacity, bytes_of("Twice"), "5550199", 0});
  s.sim.put(sim::PhoneBookSlot{s.sim.capacity, bytes_of("Twice"), "5550199", 0});
  return s;
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
  Scratch scratch{"phondeck-export"};
};

// With the merge asked (answered No and Yes) and given (--no-merge, --merge):
// the same files each time; the offer merged only when said so.
TEST_F(Export, DemoHandsetIntoEveryFile) {
  struct Case {
    const char* name;
    std::optional<bool> merge;
    bool answer;
    bool merged;
  };
  const Case cases[] = {{"asked, no", std::nullopt, false, false},
                        {"asked, yes", std::nullopt, true, true},
                        {"not merged", false, true, false},
                        {"merged", true, false, true}};
  const sim::HandsetState state = marked_6110();
  std::string first_vcf;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig(state);
    ASSERT_TRUE(rig.connect());
    // The network not reported yet: the export asks for it.
    rig.engine().network_details(0, 0);
    rig.prompt.answer = c.answer;
    HandsetExport exporter(rig.session, rig.prompt, runner_of(rig));
    std::vector<std::string> parts;
    exporter.set_part_listener([&](int, int, const std::string& title) { parts.push_back(title); });
    ExportOptions options;
    options.merge = c.merge;
    options.now_ms = 1765272000000;
    const std::string dir = scratch.file(std::string("out ") + c.name);
    const ExportResult result = exporter.run(dir, options);
    ASSERT_TRUE(result.complete) << result.summary();
    EXPECT_TRUE(result.ended.done()) << describe(result.ended);
    EXPECT_EQ(result.ended.entries, result.counts.entries);
    EXPECT_EQ(result.ended.notes, result.counts.events);

    EXPECT_EQ(rig.session.info().mcc, state.mcc);
    EXPECT_EQ(result.country, country_of_mcc(state.mcc));
    EXPECT_EQ(result.country_source, CountrySource::Network);
    EXPECT_EQ(parts, (std::vector<std::string>{"network code", "caller groups", "phone book",
                                               "messages", "calendar", ""}));

    EXPECT_EQ(mode_of(dir), 0700u);
    EXPECT_EQ(result.written,
              (std::vector<std::string>{kExportContacts, kExportMessagesXml, kExportMessagesMbox,
                                        kExportCalendar, kExportReadme}));
    for (const std::string& name : result.written) {
      EXPECT_EQ(mode_of(dir + "/" + name), 0600u) << name;
      EXPECT_FALSE(text_of(dir + "/" + name).empty()) << name;
    }
    EXPECT_EQ(text_of(dir + "/" + kExportContacts), result.vcf);
    EXPECT_EQ(text_of(dir + "/" + kExportCalendar), result.ics);
    EXPECT_EQ(text_of(dir + "/" + kExportReadme), export_readme());

    const ExportCounts& n = result.counts;
    EXPECT_EQ(n.entries, static_cast<int>(state.phone.entries.size() + state.sim.entries.size()));
    EXPECT_EQ(n.events, static_cast<int>(state.calendar.notes.size()));
    MessageStore store;
    for (const SmsRecord& record : rig.session.organiser().messages().store.records())
      store.append(record);
    EXPECT_EQ(n.messages, exported_message_count(store));
    EXPECT_GT(n.messages, 0);
    EXPECT_GE(n.merged_duplicates, 1);
    // The two Bobs are one offer; merged they become one contact.
    ASSERT_GE(n.offers, 1);
    EXPECT_EQ(n.offers_merged, c.merged);
    EXPECT_EQ(rig.prompt.questions.size(), c.merge ? 0u : 1u);
    if (c.merged) {
      EXPECT_LT(n.contacts, n.contacts_unmerged);
    } else {
      EXPECT_EQ(n.contacts, n.contacts_unmerged);
    }
    EXPECT_LE(n.contacts_unmerged, n.entries - n.merged_duplicates);
    // The same handset gives the same contacts (their UIDs among them).
    if (!c.merged) {
      if (first_vcf.empty()) first_vcf = result.vcf;
      EXPECT_EQ(result.vcf, first_vcf);
    }
    // The user's phone-book list is as it was.
    EXPECT_TRUE(rig.list().empty());
  }
}

// A 5110 has no calendar and no caller groups: the rest is exported.
TEST_F(Export, ModelWithoutCalendarOrGroups) {
  Rig rig("5110");
  ASSERT_TRUE(rig.connect());
  HandsetExport exporter(rig.session, rig.prompt, runner_of(rig));
  ExportOptions options;
  options.merge = false;
  options.country = "GB";  // a country given wins over the network's
  const ExportResult result = exporter.run(scratch.file("5110"), options);
  ASSERT_TRUE(result.complete) << result.summary();
  EXPECT_EQ(result.country, "GB");
  EXPECT_EQ(result.country_source, CountrySource::Option);
  EXPECT_EQ(result.written, (std::vector<std::string>{kExportContacts, kExportMessagesXml,
                                                      kExportMessagesMbox, kExportReadme}));
  EXPECT_FALSE(fs::exists(scratch.file("5110/calendar.ics")));
  EXPECT_EQ(result.absent, (std::vector<std::string>{"caller groups", "calendar"}));
  EXPECT_GT(result.counts.entries, 0);
}

// The handset falls silent as the messages are read (AutoReconnect off and
// on): the export says which part stopped it, that the link was lost there,
// and writes nothing at all.
TEST_F(Export, FailedPartWritesNothing) {
  std::int64_t messages_at = -1;
  {
    Rig rig;
    ASSERT_TRUE(rig.connect());
    HandsetExport exporter(rig.session, rig.prompt, runner_of(rig));
    exporter.set_part_listener([&](int, int, const std::string& title) {
      if (title == "messages") messages_at = rig.loop.now_ms();
    });
    ExportOptions options;
    options.merge = false;
    ASSERT_TRUE(exporter.run(scratch.file("clean"), options).complete);
  }
  ASSERT_GT(messages_at, 0);
  for (const int reconnect : {0, 1}) {
    SCOPED_TRACE(reconnect);
    config().AutoReconnect = reconnect;
    sim::FaultOptions faults;
    faults.silent_at_ms = messages_at + 30;
    Rig rig(demo_state("6110"), {}, faults);
    ASSERT_TRUE(rig.connect());
    HandsetExport exporter(rig.session, rig.prompt, runner_of(rig));
    ExportOptions options;
    options.merge = true;
    const std::string dir = scratch.file("faulted-" + std::to_string(reconnect));
    const ExportResult result = exporter.run(dir, options);
    EXPECT_FALSE(result.complete);
    EXPECT_FALSE(result.read);
    EXPECT_NE(result.stopped.find("messages could not be read (link lost at step "), std::string::npos)
        << result.stopped;
    EXPECT_EQ(result.ended.ending, Ending::LinkLost) << describe(result.ended);
    EXPECT_EQ(result.ended.family, LinkState::Messages) << describe(result.ended);
    EXPECT_NE(result.summary().find("not written"), std::string::npos) << result.summary();
    EXPECT_TRUE(result.written.empty());
    EXPECT_FALSE(fs::exists(dir));
  }
  config().AutoReconnect = 0;
}

}  // namespace
}  // namespace phondeck::e2e
