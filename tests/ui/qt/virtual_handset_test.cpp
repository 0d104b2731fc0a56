#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "link/link_state.h"
#include "ui/qt/main_window.h"
#include "ui_fakes.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace phondeck {
namespace {

// The main window against the built-in handset (Device=virtual) over a
// pseudo-terminal: Connect, then PhoneBook > Read fills the active list.
TEST(MainWindowWithVirtualHandset, ConnectsAndReadsThePhoneBook) {
  testing::fresh_texts_and_configuration();
  config().Device = "virtual";
  testing::FakePrompt prompt;
  WindowSession shared(prompt, make_configured_port);
  TForm1 form(shared, prompt);
  form.set_end_process([] {});
  form.show();

  form.action(Command::Connect)->trigger();
  const auto state = [&] { return shared.link().engine().state(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return state() == LinkState::Idle; }, 30000))
      << "state " << static_cast<int>(state()) << "; messages: "
      << (prompt.messages.empty() ? "" : prompt.messages.back());

  // Read in a tree mode: the entries reach the left list and the third list.
  form.run_command(Command::ViewMode, kModeType);
  form.action(Command::ReadPhoneBook)->trigger();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return state() == LinkState::Idle &&
               form.status_strip()->text() == "Read PhoneBook (Completed)";
      },
      60000))
      << form.status_strip()->text().toStdString();
  EXPECT_FALSE(form.logic().book().left().empty());
  EXPECT_EQ(form.pane(ListSide::Left)->model()->rowCount(),
            static_cast<int>(form.logic().book().left().size()));
  EXPECT_EQ(form.third_list()->model()->rowCount(),
            static_cast<int>(form.logic().book().left().size()));
  EXPECT_TRUE(prompt.messages.empty());

  form.run_command(Command::Reset);
  EXPECT_EQ(state(), LinkState::Disconnected);
  EXPECT_EQ(form.status_strip()->text(), "Disconnected");
  form.normal_cursor();
  config().Device.clear();
}

}  // namespace
}  // namespace phondeck
