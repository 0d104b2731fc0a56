#include <gtest/gtest.h>

#include <memory>

#include "link/clock.h"
#include "link/link_observer.h"
#include "session/handset_session.h"
#include "ui/main_window_logic.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

struct ClosedPort : LinkPort {
  int opens = 0;
  int open() override {
    ++opens;
    return 1;
  }
  void close() override {}
  bool is_open() const override { return false; }
  void set_bit_rate(int) override {}
  void set_dtr(bool) override {}
  void set_rts(bool) override {}
  void write(const std::uint8_t*, std::size_t) override { ADD_FAILURE() << "nothing may be sent"; }
  std::size_t take_received(std::uint8_t*, std::size_t) override { return 0; }
};

struct IdleTimer : Timer {
  void start(int) override {}
  void stop() override {}
  bool running() const override { return false; }
};

struct StatusRecorder : LinkObserver {
  std::vector<std::string> statuses;
  void show_status(const std::string& text) override { statuses.push_back(text); }
  void progress(int, int) override {}
  void normal_cursor() override {}
  void link_state_changed(LinkState) override {}
  void network_details(int, int) override {}
};

TEST(HandsetGuards, MenuCommandsAreRefusedWhileDisconnected) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  testing::FakeEditor editor;
  IdleTimer timer;
  SystemClock clock;
  StatusRecorder observer;
  HandsetSession session(std::make_unique<ClosedPort>(), timer, clock, prompt, observer);
  session.set_up();
  MainWindowLogic logic(prompt, editor, session.commands(), session.book());

  logic.run(Command::ReadPhoneBook);
  logic.run(Command::ClearThenWrite);
  logic.run(Command::NetMonitorOpen);
  logic.run(Command::NetMonitorClose);
  const std::string refused = "Please establish connection first";
  EXPECT_EQ(prompt.messages, std::vector<std::string>(4, refused));
  EXPECT_TRUE(prompt.questions.empty());  // no write question before the guard refuses
  EXPECT_EQ(session.state(), LinkState::Disconnected);

  logic.run(Command::Reset);
  ASSERT_FALSE(observer.statuses.empty());
  EXPECT_EQ(observer.statuses.back(), "Disconnected");
}

}  // namespace
}  // namespace phondeck
