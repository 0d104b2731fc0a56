// The Options dialog and the Profiles window against the virtual handset on
// a pseudo-terminal: every page walked, the group names read from the
// handset, a rename and a language change applied by OK (every window takes
// its texts again), then the profiles read, one changed and written, and
// another activated.
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include "telvane/telvane_windows.h"

namespace phondeck::e2e {
namespace {

TEST(OptionsWindows, PagesOkAndProfilesAgainstTheHandset) {
  fresh_settings(0);
  config().Language = 0;
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TPagesDlg& options = windows.options();
    TForm22& profiles = windows.profiles();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows)) << (prompt.messages.empty() ? "" : prompt.messages[0]);
    PhoneBook& book = form.logic().book();
    PhoneBookEntry friend_entry;
    friend_entry.Name = "Ann";
    friend_entry.Group = "Friends";
    book.left().append(friend_entry);
    book.right().append(friend_entry);

    // A text changed behind the windows' backs shows until the language is applied again.
    texts().set(2201, "Stale");
    windows.apply_texts();
    ASSERT_EQ(profiles.read_action()->text(), "Stale");

    options.prepare();
    options.show();  // shown without its modal loop, so the test goes on
    const QStringList pages{"Port", "Locale", "Group", "Width", "SMS", "Calendar", "Misc"};
    for (int p = 0; p < pages.size(); ++p) {
      options.pages()->setCurrentIndex(p);
      EXPECT_EQ(options.pages()->tabText(p), pages[p]);
    }
    EXPECT_EQ(options.device_field()->text().toStdString(), handset.path());
    EXPECT_TRUE(options.auto_reconnect_box()->isEnabled());  // Cable
    options.media_choice()->setCurrentIndex(0);
    EXPECT_FALSE(options.auto_reconnect_box()->isEnabled());
    options.media_choice()->setCurrentIndex(1);
    EXPECT_FALSE(options.multibyte_choice()->isEnabled());  // Auto Detect
    options.language_choice()->setCurrentIndex(4);           // French: Multi-Byte No
    EXPECT_EQ(options.multibyte_choice()->currentIndex(), 0);
    options.language_choice()->setCurrentIndex(1);           // English
    options.end_slider()->setValue(20);
    options.start_slider()->setValue(22);
    EXPECT_EQ(options.start_slider()->value(), 20);

    // Group page: Read fills New from the handset, then Friends becomes Mates.
    options.pages()->setCurrentIndex(2);
    QTest::mouseClick(options.group_read_button(), Qt::LeftButton);
    ASSERT_TRUE(settle(windows));
    EXPECT_EQ(options.group_new(2)->text(), QString::fromUtf8("\u670b\u53cb"));
    options.group_new(2)->setText("Mates");
    QTest::mouseClick(options.ok_button(), Qt::LeftButton);
    EXPECT_EQ(config().Language, 1);
    EXPECT_EQ(config().GroupName[2], "Mates");
    EXPECT_EQ(config().TimeStart, 20);
    EXPECT_EQ(book.left().entry(0).Group, "Mates");
    EXPECT_EQ(book.right().entry(0).Group, "Mates");
    EXPECT_EQ(profiles.read_action()->text(), "Read");  // texts applied again
    EXPECT_EQ(windows.link().engine().state(), LinkState::Idle);  // same port: the link stays

    // Profiles: read, change Car's volume through its cell's list, write, activate Pager.
    form.action(Command::Profiles)->trigger();
    ASSERT_TRUE(profiles.isVisible());
    profiles.read_action()->trigger();
    ASSERT_TRUE(settle(windows));
    EXPECT_EQ(profiles.name(0)->text(), "General");
    EXPECT_EQ(profiles.name(5)->text(), QString::fromUtf8("\u8f66\u8f7d"));
    EXPECT_EQ(profiles.cell(5, kRingingVolume)->text(), "Level 3");
    EXPECT_FALSE(profiles.group_box(0, 0)->isEnabled());
    profiles.open_cell(0, kLights);  // fixed: no list
    EXPECT_EQ(profiles.open_list(), nullptr);
    QTest::mouseClick(profiles.cell(5, kRingingVolume), Qt::LeftButton);
    ASSERT_NE(profiles.open_list(), nullptr);
    ASSERT_EQ(profiles.open_list()->actions().size(), 5);
    profiles.open_list()->actions()[4]->trigger();
    EXPECT_EQ(profiles.cell(5, kRingingVolume)->text(), "Level 5");
    profiles.write_action()->trigger();
    ASSERT_TRUE(settle(windows));
    QTest::mouseClick(profiles.activate_button(4), Qt::LeftButton);
    ASSERT_TRUE(settle(windows));
    form.action(Command::Reset)->trigger();
  }
  const sim::SettingsState settings = handset.with_handset([](sim::Handset& h) { return h.state().settings; });
  EXPECT_EQ(settings.profiles[5][4], 10);
  EXPECT_EQ(settings.active_profile, 4);
  handset.stop();
}

// The SMS page's Write asks first, as every write into the handset does; No
// leaves the handset's number and the chosen setting as they were.
TEST(OptionsWindows, WriteSmscAsksBeforeWriting) {
  fresh_settings(0);
  config().WriteConfirm = 1;
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  const std::string held = handset.with_handset([](sim::Handset& h) { return h.state().sms.smsc; });
  ScriptedPrompt prompt;
  prompt.answers = {false, true};
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TPagesDlg& options = windows.options();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));
    options.prepare();
    options.show();
    options.pages()->setCurrentIndex(4);  // SMS
    options.smsc_choice()->setCurrentIndex(1);
    options.smsc_field(0)->setText("+4412345678");
    const int choice = config().SMSC;
    for (const auto& [number, setting] : {std::pair{held, choice}, std::pair{std::string("+4412345678"), 1}}) {
      QTest::mouseClick(options.smsc_write_button(), Qt::LeftButton);
      ASSERT_TRUE(settle(windows));
      EXPECT_EQ(handset.with_handset([](sim::Handset& h) { return h.state().sms.smsc; }), number);
      EXPECT_EQ(config().SMSC, setting);
    }
    EXPECT_EQ(prompt.questions, std::vector<std::string>(2, "Are you sure to write into the phone ?"));
    options.hide();
  }
  handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
