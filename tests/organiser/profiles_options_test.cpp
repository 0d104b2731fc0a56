// The profile value tables, and the Options dialog's logic at its edges: the
// sliders, the message-centre and group-name writes, renaming before storing,
// Get Width, and the order of OK's steps.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "app/code_page.h"
#include "app/configuration.h"
#include "app/conversion.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "organiser/options_dialog.h"
#include "organiser/profiles.h"

namespace phondeck {
namespace {

using Bytes = std::vector<std::uint8_t>;

class ProfilesAndOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    texts().load_english();
    set_active_code_page(CodePage::Windows1252);
    config() = Configuration{};
    complete_group_names(config());
  }
};

// Handset value -> the cell's text; the value written back while the cell
// keeps that option, and the value choosing the option writes.
TEST_F(ProfilesAndOptions, ValueTablesBothWays) {
  struct Case {
    int setting;
    std::uint8_t value;
    std::string shown;
    std::uint8_t chosen;  // what choosing the shown option writes
  };
  const Case cases[] = {
      {kCallAlert, 1, "Ringing", 1},          {kCallAlert, 6, "Ascending", 6},
      {kCallAlert, 7, "Caller groups", 7},    {kCallAlert, 4, "Off", 4},
      {kCallAlert, 9, "Ringing", 1},          {kRingingTone, 0x3A, "Type 3", 0x3A},
      {kRingingTone, 0x11, "Personal", 0x11}, {kRingingTone, 0x55, "85", 0x55},
      {kRingingVolume, 6, "Level 1", 6},      {kRingingVolume, 10, "Level 5", 10},
      {kRingingVolume, 5, "5", 5},            {kMessageTone, 7, "7", 7},
      {kKeypadTones, 3, "3", 3},              {kWarningTones, 1, "On", 4},
      {kVibratingAlert, 1, "On", 1},          {kVibratingAlert, 0, "Off", 0},
      {kVibratingAlert, 2, "Off", 0},         {kMessageTone, 4, "Ascending", 4},
      {kKeypadTones, 0xFF, "Off", 0xFF},      {kKeypadTones, 2, "Level 3", 2},
      {kWarningTones, 0xFF, "Off", 0xFF},     {kWarningTones, 0, "On", 4},
      {kWarningTones, 4, "On", 4},            {kLights, 1, "On", 1},
      {kLights, 0, "Automatic", 0},           {kLights, 3, "Automatic", 0},
      {kAutomaticAnswer, 2, "Off", 0},        {kKeypadTones, 0xFE, "254", 0xFE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.setting) + " value " + std::to_string(c.value));
    const int code = profile_feature_code(c.setting);
    const auto s = static_cast<std::size_t>(c.setting);
    ProfileSet set;
    ASSERT_TRUE(set.store_read_value(3, code, c.value));
    auto sent = [&set, code]() -> std::optional<std::uint8_t> {
      for (const ProfileChange& change : set.changes()) {
        if (change.profile == 3 && change.feature_code == code) return change.value;
      }
      return std::nullopt;
    };
    const int index = set[3].settings[s];
    EXPECT_EQ(profile_option_text(c.setting, index), c.shown);
    EXPECT_EQ(profile_index_to_value(c.setting, index), c.chosen);
    EXPECT_EQ(sent(), std::nullopt) << "kept while the option stays";
    // Another option writes its own value; back again, nothing.
    const int other = index == 0 ? 1 : 0;
    set[3].settings[s] = other;
    EXPECT_EQ(sent(), profile_index_to_value(c.setting, other));
    set[3].settings[s] = index;
    EXPECT_EQ(sent(), std::nullopt);
    // A backup's byte is written as it is, though its option is the one
    // shown already.
    ASSERT_TRUE(set.set_value(3, code, c.chosen));
    EXPECT_EQ(set[3].settings[s], index);
    EXPECT_EQ(sent(), c.chosen == c.value ? std::nullopt : std::optional<std::uint8_t>(c.chosen));
  }
  EXPECT_EQ(caller_group_bits(caller_groups_of(0x15)), 0x15);
  EXPECT_EQ(caller_groups_of(0x04), (std::array<bool, 5>{false, false, true, false, false}));

  // Default on Car; the fixed cells; an unread profile writes all ten features.
  ProfileSet set;
  set[5].settings.fill(0);
  set.set_default(5);
  EXPECT_EQ(profile_option_text(kCallAlert, set[5].settings[kCallAlert]), "Ringing");
  EXPECT_EQ(profile_option_text(kRingingVolume, set[5].settings[kRingingVolume]), "Level 3");
  EXPECT_EQ(profile_option_text(kVibratingAlert, set[5].settings[kVibratingAlert]), "Off");
  EXPECT_EQ(profile_option_text(kLights, set[5].settings[kLights]), "On");
  EXPECT_EQ(set.shown_name(5), "Car");
  EXPECT_FALSE(profile_cell_editable(0, kLights));
  EXPECT_TRUE(profile_cell_editable(5, kLights));
  EXPECT_TRUE(profile_cell_editable(6, kAutomaticAnswer));
  EXPECT_FALSE(profile_cell_editable(4, kAutomaticAnswer));
  EXPECT_EQ(set.changes().size(), static_cast<std::size_t>(kProfileCount * kProfileFeatures));
}

// Every call the dialog makes outside the configuration, in order.
class RecordingHost final : public OptionsHost, public OptionsExchanges {
 public:
  void reopen_port() override { calls.push_back("reopen port " + std::to_string(config().Port)); }
  void switch_frame_type() override { calls.push_back("frame type " + std::to_string(config().Type)); }
  void language_changed() override { calls.push_back("texts " + tx(1143)); }
  void rename_group(const std::string& from, const std::string& to) override {
    // The entries move while the configuration still holds the old name.
    calls.push_back("rename " + from + " > " + to + " while " + config().GroupName[2]);
  }
  void group_names_changed() override { calls.push_back("group names"); }
  void rebuild_view() override { calls.push_back("view"); }
  void arrange() override { calls.push_back("arrange width0 " + std::to_string(config().ColumnWidth[0])); }
  std::array<int, 8> shown_column_widths() override { return {91, 92, 93, 94, 95, 96, 97, 98}; }

  bool read_groups(StartOptions) override { return true; }
  bool write_groups(const std::array<Bytes, 5>& names, StartOptions) override {
    written_names = names;
    return true;
  }
  bool read_smsc(StartOptions) override { return true; }
  bool write_smsc(const std::string& number, StartOptions) override {
    smsc_written.push_back(number);
    return true;
  }

  std::vector<std::string> calls;
  std::array<Bytes, 5> written_names{};
  std::vector<std::string> smsc_written;
};

TEST_F(ProfilesAndOptions, OptionsEdgeCases) {
  RecordingHost host;
  OptionsDialogLogic dialog(host, host);
  dialog.show();

  // Sliders: Start cannot pass End, End cannot go below Start.
  dialog.move_start(22);
  EXPECT_EQ(dialog.time_start, 20);
  dialog.move_end(3);
  EXPECT_EQ(dialog.time_end, 20);
  EXPECT_EQ(OptionsDialogLogic::hour_label(dialog.time_end), "20:00");

  // Language: Auto Detect disables Multi-Byte, Chinese sets it, French clears it.
  dialog.choose_language(3);
  EXPECT_TRUE(dialog.multibyte && dialog.multibyte_enabled());
  dialog.choose_language(4);
  EXPECT_FALSE(dialog.multibyte);
  dialog.choose_language(0);
  EXPECT_FALSE(dialog.multibyte_enabled());

  // SMS page: Setting 3 writes the third field; Default sends nothing.
  dialog.smsc = {"+111", "+222", "+333", "", "", ""};
  dialog.smsc_choice = 3;
  dialog.write_smsc();
  dialog.smsc_choice = 0;
  EXPECT_FALSE(dialog.write_smsc());
  EXPECT_EQ(host.smsc_written, std::vector<std::string>{"+333"});

  // Group names as the handset gets them.
  struct NameCase {
    std::string name;
    bool multibyte;
    CodePage page;
    Bytes bytes;
  };
  const std::string chinese = "\xe5\xae\xb6\xe4\xba\xba\xe6\x9c\x8b\xe5\x8f\x8b\xe5\x90\x8c\xe4\xba\x8b";  // six characters
  const NameCase names[] = {
      {"Family", true, CodePage::Windows1252, {}},                      // the default: length 0
      {"Mates", false, CodePage::Windows1252, {'M', 'a', 't', 'e', 's'}},
      {"Colleagues at work", false, CodePage::Windows1252, {'C', 'o', 'l', 'l', 'e', 'a', 'g', 'u', 'e', 's'}},
      {chinese, true, CodePage::GBK, {0x04, 0xFF, 0x5B, 0xB6, 0x4E, 0xBA, 0x67, 0x0B, 0x53, 0xCB}},
      // Eleven bytes in GBK: the fifth character would be cut in half, so four go.
      {"a" + chinese, false, CodePage::GBK, {'a', 0xBC, 0xD2, 0xC8, 0xCB, 0xC5, 0xF3, 0xD3, 0xD1}},
      {"Caf\xc3\xa9 crew", true, CodePage::Windows1252, {0x04, 0xFF, 0x00, 'C', 0x00, 'a', 0x00, 'f', 0x00, 0xE9}},
  };
  for (const NameCase& c : names) {
    SCOPED_TRACE(c.name);
    set_active_code_page(c.page);
    EXPECT_EQ(group_name_for_handset(c.name, "Family", c.multibyte), c.bytes);
  }
  set_active_code_page(CodePage::Windows1252);
  dialog.group_new[1] = "VIP";
  dialog.group_new[2] = "Mates";
  dialog.multibyte = false;
  dialog.write_groups();
  EXPECT_EQ(host.written_names[1], Bytes{});
  EXPECT_EQ(host.written_names[2], (Bytes{'M', 'a', 't', 'e', 's'}));

  // A read fills New; an empty name shows the row's default.
  dialog.groups_read({"Kin", "", "Pals", "", ""});
  EXPECT_EQ(dialog.group_new[0], "Kin");
  EXPECT_EQ(dialog.group_new[1], "VIP");
  dialog.group_new[0] = "Family";

  // Get Width takes the list shown now.
  dialog.get_width();
  EXPECT_EQ(dialog.width_new[7], "98");
  dialog.widths_default();
  EXPECT_EQ(dialog.width_new[3], "50");
}

TEST_F(ProfilesAndOptions, OkRunsItsStepsInOrder) {
  RecordingHost host;
  OptionsDialogLogic dialog(host, host);
  config().Language = 0;
  dialog.show();
  dialog.port = 4;
  dialog.type = 0;
  dialog.choose_language(1);
  dialog.group_new[2] = "Mates";
  dialog.width_new[0] = "77";
  dialog.time_start = 9;
  dialog.ok();
  const std::vector<std::string> expected{"reopen port 4",           "frame type 0",
                                          "texts English",           "rename Friends > Mates while Friends",
                                          "group names",             "view",
                                          "arrange width0 77"};
  EXPECT_EQ(host.calls, expected);
  EXPECT_EQ(config().GroupName[2], "Mates");
  EXPECT_EQ(config().Language, 1);
  EXPECT_EQ(config().TimeStart, 9);

  // A width that is not a number stops OK before anything changes; Cancel
  // (showing again) discards what was typed.
  host.calls.clear();
  dialog.show();
  dialog.port = 6;
  dialog.width_new[1] = "wide";
  EXPECT_THROW(dialog.ok(), ConversionError);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(config().Port, 4);
  dialog.show();
  EXPECT_EQ(dialog.width_new[1], std::to_string(config().ColumnWidth[1]));
}

// A tv.dat that cannot be written is reported with its path.
TEST_F(ProfilesAndOptions, SettingsThatCannotBeSavedAreReported) {
  class Recorder final : public Prompt {
   public:
    void message(const std::string& text) override { messages.push_back(text); }
    bool ask_yes_no(const std::string&) override { return true; }
    std::vector<std::string> messages;
  } prompt;
  const std::string blocker = ::testing::TempDir() + "/not_a_folder";
  { std::ofstream(blocker) << "x"; }
  set_configuration_path(blocker + "/tv.dat");
  EXPECT_FALSE(save_configuration_or_report(prompt, 630, 440));
  set_configuration_path("tv.dat");
  ASSERT_EQ(prompt.messages.size(), 1u);
  EXPECT_EQ(prompt.messages[0],
            "The settings could not be saved in " + blocker + "/tv.dat. The settings file there is unchanged.");
}

}  // namespace
}  // namespace phondeck
