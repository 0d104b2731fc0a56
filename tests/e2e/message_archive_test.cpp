// Archive against the virtual handset: every message into its own file with
// the index, deleted only once written, a message that arrives during the
// run left on the handset, and runs cut off by line faults or a hang-up
// never deleting a message whose file is not on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "e2e_rig.h"
#include "organiser/message_archive.h"
#include "organiser/message_family.h"
#include "support/seed_runs.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  // Under /dev/shm when there is one: the fault runs sync thousands of files.
  explicit Folder(bool memory = false) {
    const fs::path base = memory && fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "phondeck-archive-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }
  std::string sub(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The archiver over a rig, its questions through the rig's prompt; a
// message arrives in the handset's memory once the first read has ended,
// before any message is deleted.
struct ArchiveRig : Rig {
  explicit ArchiveRig(sim::FaultOptions faults = {}) : Rig(demo_state("6110"), {}, faults) {
    family().set_read_listener([this] {
      if (arrived) return;
      arrived = true;
      sim::SmsMemory& sms = handset.state().sms;
      sms.put(sim::sms_slot(sms.first_free(), 3, "+3585550000", "Arrived while archiving"));
    });
  }
  MessageFamily& family() { return session.organiser().message_family(); }
  bool start(const std::string& folder, bool remove) {
    return archiver.start(
        folder, remove, [this](const std::string& question) { return prompt.ask_yes_no(question); },
        [this](const OperationResult& r) {
          result = r;
          ++results;
        });
  }
  MessageArchiver archiver{session.engine(), family()};
  bool arrived = false;
  std::optional<OperationResult> result;
  int results = 0;
};

// Every location gone from the handset is in the folder's index with a file
// that holds its text; the message that arrived is still there.
std::string deleted_but_unwritten(const sim::SmsMemory& before, const sim::SmsMemory& after, const fs::path& dir) {
  nlohmann::json index = nlohmann::json::array();
  if (fs::exists(dir / "messages.json")) index = nlohmann::json::parse(read_file(dir / "messages.json"));
  bool arrived_stays = false;
  for (const sim::SmsSlot& slot : after.messages) arrived_stays = arrived_stays || slot.number == "+3585550000";
  if (before.messages.size() < after.messages.size() && !arrived_stays) return "the arrived message was deleted";
  for (const sim::SmsSlot& slot : before.messages) {
    if (after.at(slot.location) != nullptr) continue;
    bool filed = false;
    for (const auto& e : index) {
      const nlohmann::json& at = e["locations"];  // every part of a message in parts
      if (std::find(at.begin(), at.end(), slot.location) != at.end() && e["number"] == slot.number) {
        filed = !read_file(dir / e["file"].get<std::string>()).empty();
      }
    }
    if (!filed) return "location " + std::to_string(slot.location) + " deleted without its file";
  }
  return {};
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override { fresh_settings(); }
};

TEST_F(Archive, EveryMessageFiledThenOnlyTheFiledDeleted) {
  for (const bool remove : {false, true}) {
    SCOPED_TRACE(remove);
    Folder folder;
    const std::string dir = folder.sub("archive");  // made by the run
    ArchiveRig rig;
    ASSERT_TRUE(rig.connect());
    const sim::SmsMemory before = rig.handset.state().sms;
    const std::size_t held = before.messages.size() - 1;  // the demo's two parts are one message
    rig.run([&] { ASSERT_TRUE(rig.start(dir, remove)); });
    EXPECT_EQ(rig.results, 1);
    EXPECT_TRUE(rig.result->done()) << describe(*rig.result);
    EXPECT_EQ(rig.state(), LinkState::Idle);
    const ArchiveSummary& s = rig.archiver.summary();
    EXPECT_EQ(s.messages, held);
    EXPECT_EQ(s.written, held);
    EXPECT_EQ(s.deleted, remove ? held : 0u);
    EXPECT_EQ(rig.archiver.summary_text(),
              remove ? "8 messages written to " + dir + ", 8 deleted from the handset"
                     : "8 messages written to " + dir);
    // Asked once the files are there, naming what goes.
    EXPECT_EQ(rig.prompt.questions,
              remove ? std::vector<std::string>{"Delete the 8 archived messages from the handset?"}
                     : std::vector<std::string>{});

    const nlohmann::json index = nlohmann::json::parse(read_file(fs::path(dir) / "messages.json"));
    ASSERT_EQ(index.size(), held);
    // The message in parts is one file, its parts joined.
    EXPECT_NE(index[7]["text"].get<std::string>().find("[part 2 missing] Party"), std::string::npos);
    std::set<std::string> files;
    for (const auto& e : index) files.insert(e["file"].get<std::string>());
    EXPECT_EQ(files.size(), index.size()) << "a file for each";
    // Two messages from one sender at one time: the second name gets "-2".
    EXPECT_EQ(index[1]["file"], "261208-093000_0401112223.txt");
    EXPECT_EQ(index[3]["file"], "261208-093000_0100.txt");
    EXPECT_EQ(index[5]["file"], "L8_0401112223.txt");  // the outbox has no time stamp
    EXPECT_EQ(index[6]["file"], "L9_unknown.txt");
    EXPECT_EQ(index[2]["text"], "\u4f60\u597d\uff0c\u660e\u5929\u898b\u3002");
    EXPECT_EQ(index[2]["stamp"], "2026-12-08T09:30:00+08:00");
    EXPECT_TRUE(index[5]["stamp"].is_null());
    const std::string first = read_file(fs::path(dir) / index[0]["file"].get<std::string>());
    EXPECT_EQ(first,
              "From: +358401234567\nFolder: inbox\nStatus: read\nTime: 26.12.08 09:30:00\n"
              "Stamp: 2026-12-08T09:30:00+02:00\nLocation: 1\n"
              "Centre: +358405202000\n\nCall me when you land.\n");
    std::size_t on_disk = 0;
    for (const auto& entry : fs::directory_iterator(dir)) on_disk += entry.path().extension() == ".txt" ? 1 : 0;
    EXPECT_EQ(on_disk, held);

    const sim::SmsMemory& after = rig.handset.state().sms;
    EXPECT_EQ(after.messages.size(), remove ? 1u : before.messages.size() + 1) << "the arrival stays";
    EXPECT_EQ(deleted_but_unwritten(before, after, dir), "");
  }

  // Into the same folder again: what the index holds (its file there) is
  // not written twice, and No to the delete leaves every message.
  {
    Folder again;
    ArchiveRig rig;
    ASSERT_TRUE(rig.connect());
    rig.run([&] { ASSERT_TRUE(rig.start(again.path(), false)); });
    ASSERT_EQ(rig.archiver.summary().written, 8u);
    const std::size_t held = rig.handset.state().sms.messages.size();  // the arrival among them
    rig.prompt.answers = {false};
    rig.run([&] { ASSERT_TRUE(rig.start(again.path(), true)); });
    const ArchiveSummary& s = rig.archiver.summary();
    EXPECT_EQ(s.written, 1u) << "only the arrival";
    EXPECT_EQ(s.already, 8u);
    EXPECT_TRUE(s.delete_refused);
    EXPECT_EQ(rig.prompt.questions.back(), "Delete the 9 archived messages from the handset?");
    EXPECT_EQ(rig.archiver.summary_text(), "1 messages written to " + again.path() +
                                               ", 8 already there\nThe archived messages stay on the handset: "
                                               "the delete was not confirmed");
    EXPECT_EQ(rig.handset.state().sms.messages.size(), held);
    EXPECT_EQ(nlohmann::json::parse(read_file(fs::path(again.path()) / "messages.json")).size(), 9u);
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(again.path())) files += entry.path().extension() == ".txt";
    EXPECT_EQ(files, 9u);
  }

  // A folder whose index is not one: nothing is deleted.
  Folder folder;
  std::ofstream(folder.sub("messages.json")) << "my notes\n";
  ArchiveRig rig;
  ASSERT_TRUE(rig.connect());
  const std::size_t held = rig.handset.state().sms.messages.size();
  rig.run([&] { rig.start(folder.path(), true); });
  EXPECT_EQ(rig.archiver.summary().written, 0u);
  EXPECT_EQ(rig.handset.state().sms.messages.size(), held + 1);
  EXPECT_EQ(read_file(folder.sub("messages.json")), "my notes\n");
}

// Line faults and a hang-up at any time, AutoReconnect off and on: a message
// gone from the handset always has its file, the arrival always stays; a
// completed run filed and deleted all seven.
TEST_F(Archive, CutOffRunsDeleteNothingUnwritten) {
  using testing::RunEnd;
  using testing::RunResult;
  std::vector<testing::FaultKind> kinds = testing::line_fault_kinds();
  kinds.push_back({"hang-up", {}});
  // A clean run's span, so the hang-ups fall all through it.
  std::int64_t begin_ms = 0;
  std::int64_t span_ms = 0;
  {
    Folder folder(true);
    ArchiveRig rig;
    ASSERT_TRUE(rig.connect());
    begin_ms = rig.loop.now_ms();
    rig.run([&] { rig.start(folder.path(), true); });
    span_ms = rig.loop.now_ms() - begin_ms;
  }
  for (const int reconnect : {0, 1}) {
    config().AutoReconnect = reconnect;
    for (testing::FaultKind kind : kinds) {
      const bool hang_up = kind.name == "hang-up";
      if (reconnect != 0) kind.name += ", reconnect";
      const testing::SeedTally tally = testing::run_seeds(kind, 1000, [&](sim::FaultOptions faults) {
        if (hang_up) faults.hang_up_at_ms = begin_ms + span_ms * static_cast<std::int64_t>(faults.seed) / 1000;
        Folder folder(true);
        ArchiveRig rig(faults);
        if (!rig.connect()) return RunResult{RunEnd::NoConnect, {}};
        const sim::SmsMemory before = rig.handset.state().sms;
        rig.start(folder.path(), true);
        rig.run_until_settled(600000);
        // Still retrying when the time is up: cut off by the test, as by a reset.
        if (!rig.result && !rig.settled()) return RunResult{RunEnd::Reset, {}};
        const sim::SmsMemory& after = rig.handset.state().sms;
        const std::string fault = deleted_but_unwritten(before, after, folder.path());
        if (!fault.empty()) return RunResult{RunEnd::Wrong, fault};
        const ArchiveSummary& s = rig.archiver.summary();
        int gone = 0;
        for (const sim::SmsSlot& slot : before.messages) gone += after.at(slot.location) == nullptr;
        // The result is the delete's once the files are on disk; before, the read's.
        const bool deleting = s.read_done && s.written + s.already > 0 && !s.delete_refused;
        return testing::judge(rig.result, s.written == 8 && s.deleted == 8 && after.messages.size() == 1,
                              "not all filed and deleted", !rig.result || !deleting || rig.result->messages <= gone,
                              "more deletes reported than locations emptied");
      });
      testing::print_tally("archive with delete", tally);
      EXPECT_EQ(tally.wrong, 0) << kind.name << ": " << tally.first_wrong;
    }
  }
  config().AutoReconnect = 0;
}

}  // namespace
}  // namespace phondeck::e2e
