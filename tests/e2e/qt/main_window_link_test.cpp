// The main window against the virtual handset on a pseudo-terminal: Connect
// and Read from the menus, and the three information dialogs.
#include <gtest/gtest.h>

// The handset's headers come before Qt's, whose "emit" is a macro.
#include "e2e_rig.h"
#include "sim/pty_handset.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "app/language.h"
#include "telvane/telvane_windows.h"
#include "link/qt/information_windows.h"
#include "ui/qt/main_window.h"
#include "ui/qt/main_window_parts.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck::e2e {
namespace {

class MainWindowLink : public ::testing::Test {
 protected:
  void SetUp() override {
    fresh_settings();
    std::string error;
    ASSERT_TRUE(handset.start(error)) << error;
    config().Device = handset.path();
    shared = std::make_unique<WindowSession>(prompt, make_configured_port);
    form = std::make_unique<TForm1>(*shared, prompt);
    form->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    form.reset();
    shared.reset();
    handset.stop();
  }
  LinkState state() { return shared->link().engine().state(); }
  bool settle(int ms = 5000) {
    return QTest::qWaitFor([this] { return state() == LinkState::Idle || state() == LinkState::Disconnected; }, ms);
  }
  void trigger(Command command) {
    QAction* action = form->action(command);
    ASSERT_NE(action, nullptr);
    action->trigger();
  }

  SystemClock clock;
  sim::PtyHandset handset{clock, demo_state("6110")};
  ScriptedPrompt prompt;
  std::unique_ptr<WindowSession> shared;
  std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowLink, ConnectThenReadFromTheMenus) {
  trigger(Command::Connect);
  ASSERT_TRUE(settle());
  ASSERT_EQ(state(), LinkState::Idle) << (prompt.messages.empty() ? "" : prompt.messages[0]);
  EXPECT_EQ(shared->link().engine().info().model, "6110");

  trigger(Command::ReadPhoneBook);
  ASSERT_TRUE(settle());
  const sim::HandsetState s = handset.with_handset([](sim::Handset& h) { return h.state(); });
  const int total = s.phone.used() + s.sim.used();
  ASSERT_EQ(static_cast<int>(form->logic().book().active().size()), total);
  // The list pane shows what was read.
  EntryListView* pane = form->pane(form->logic().book().active_side());
  ASSERT_NE(pane, nullptr);
  ASSERT_NE(pane->model(), nullptr);
  EXPECT_EQ(pane->model()->rowCount(), total);
  EXPECT_EQ(shared->link().engine().progress_position(), 0);
  EXPECT_TRUE(prompt.messages.empty());

  // Reset from the menu: disconnected, the entries stay.
  trigger(Command::Reset);
  EXPECT_EQ(state(), LinkState::Disconnected);
  EXPECT_EQ(static_cast<int>(form->logic().book().active().size()), total);
}

// The handset goes away in the middle of a read: once the link has reset, the
// pane shows the entries read so far and the status bar says how many stay.
TEST(MainWindowLinkLost, ReadCutOffByAResetShowsWhatWasRead) {
  fresh_settings();
  sim::HandsetState s = demo_state("6110");
  s.phone = sim::Memory{};
  s.phone.capacity = 200;
  for (int i = 1; i <= 200; ++i) s.phone.put({i, Bytes{'N', static_cast<std::uint8_t>('0' + i % 10)}, "040" + std::to_string(i), 5});
  SystemClock clock;
  sim::PtyHandset handset{clock, std::move(s), {}, {}, /*pacing=*/true};
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  config().Device = handset.path();
  ScriptedPrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 form(shared, prompt);
  form.show();
  const auto state = [&shared] { return shared.link().engine().state(); };
  form.action(Command::Connect)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return state() == LinkState::Idle; }, 10000));
  form.action(Command::ReadPhoneBook)->trigger();
  const PhoneBookList& list = form.logic().book().active();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.size() >= 3; }, 20000));
  handset.stop();
  ASSERT_TRUE(QTest::qWaitFor([&] { return state() == LinkState::Disconnected; }, 20000));
  const std::size_t kept = list.size();
  EXPECT_LT(kept, 200u);
  // The rows the pane's view knows of, as it draws them.
  EXPECT_EQ(form.pane(form.logic().book().active_side())->verticalHeader()->count(), static_cast<int>(kept));
  const QString note = QString("Disconnected (Read PhoneBook stopped, %1 entries kept)").arg(kept);
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.status_strip()->text() == note; }, 1000))
      << form.status_strip()->text().toStdString();
  // A reset with no read running says only "Disconnected".
  form.run_command(Command::Reset);
  QTest::qWait(50);
  EXPECT_EQ(form.status_strip()->text(), "Disconnected");
  form.normal_cursor();
}

TEST_F(MainWindowLink, ReadBeforeConnectAsksForAConnection) {
  trigger(Command::ReadPhoneBook);
  ASSERT_FALSE(prompt.messages.empty());
  EXPECT_EQ(prompt.messages.back(), "Please establish connection first");
}

// The windows as start-up creates them: the Function menu's information
// commands and the handset's network details reach the three dialogs.
TEST(TelvaneWindowsLink, InformationCommandsAndNetworkDetails) {
  fresh_settings();
  SystemClock clock;
  sim::PtyHandset handset{clock, demo_state("6150")};
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  config().Device = handset.path();
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    auto run_modal = [&form](Command command, QDialog& dialog) {
      QTimer::singleShot(0, &dialog, &QDialog::accept);
      form.action(command)->trigger();
    };

    run_modal(Command::HardwareInfo, windows.hardware());
    for (int i = 1; i <= 8; ++i) EXPECT_EQ(windows.hardware().edit(i)->text(), "Unknown") << i;

    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&windows] { return windows.link().engine().state() == LinkState::Idle; }, 5000))
        << (prompt.messages.empty() ? "" : prompt.messages[0]);
    run_modal(Command::HardwareInfo, windows.hardware());
    EXPECT_EQ(windows.hardware().edit(2)->text(), "Nokia");
    EXPECT_EQ(windows.hardware().edit(4)->text(), "6150");
    EXPECT_EQ(windows.hardware().edit(5)->text(), "900 & 1800");

    run_modal(Command::NetworkInfo, windows.network());
    EXPECT_EQ(windows.network().edit(1)->text().toInt(), windows.link().engine().info().battery);
    EXPECT_FALSE(windows.network().edit(1)->text().isEmpty());

    handset.send_network_details();
    EXPECT_TRUE(QTest::qWaitFor([&windows] { return !windows.operator_information().Edit1()->text().isEmpty(); },
                                3000));
    EXPECT_EQ(windows.operator_information().Edit1()->text(), "466");
  }
  handset.stop();
}

TEST(InformationDialogs, HardwareNetworkAndOperatorFields) {
  fresh_settings();
  HandsetInfo info;
  TOKHelpRightDlg1 hardware;
  hardware.fill(info);
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(hardware.edit(i)->text(), "Unknown") << i;
  EXPECT_EQ(hardware.windowTitle(), "Hardware");

  TOKHelpRightDlg2 network;
  info.battery = 3;
  info.signal = 2;
  network.fill(info);
  EXPECT_EQ(network.edit(1)->text(), "3");
  EXPECT_EQ(network.edit(2)->text(), "2");
  EXPECT_TRUE(network.edit(3)->isHidden());

  TOKHelpRightDlg4 op;
  op.show();
  EXPECT_FALSE(op.ComboBox1()->isVisible());
  op.network_details(466, 1);
  EXPECT_EQ(op.Edit2()->text(), "1");
  language().code = "zh_tw";
  op.apply_texts();
  EXPECT_TRUE(op.ComboBox1()->isVisible());
  op.ComboBox1()->setCurrentIndex(5);
  op.ComboBox1()->activated(5);
  EXPECT_EQ(op.Edit2()->text(), "92");
  language().code = "en";
}

}  // namespace
}  // namespace phondeck::e2e
