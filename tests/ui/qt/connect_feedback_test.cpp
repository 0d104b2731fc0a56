// The window while connecting to a port where nothing answers: the progress
// box with Cancel, and the message with "Search..." after the tries.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "telvane/telvane_windows.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

TEST(ConnectFeedbackQt, ProgressCancelAndTheMessageThatOffersSearch) {
  testing::fresh_texts_and_configuration();
  int master = -1;
  int slave = -1;
  char name[128];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  config().Device = name;  // opens, and nothing ever answers
  testing::FakePrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  TForm1& form = windows.main();
  ConnectFeedback& feedback = windows.connect_feedback();
  form.show();

  form.action(Command::Connect)->trigger();
  ASSERT_NE(feedback.progress_box(), nullptr);
  EXPECT_TRUE(feedback.progress_box()->isVisible());
  EXPECT_EQ(feedback.progress_box()->findChild<QLabel*>()->text(), "Waking the handset (1 of 4)");
  EXPECT_EQ(form.status_strip()->text(), "Waking the handset (1 of 4)");
  EXPECT_TRUE(windows.link().port().is_open());

  QTest::mouseClick(feedback.cancel_button(), Qt::LeftButton);
  EXPECT_EQ(windows.link().engine().state(), LinkState::Disconnected);
  EXPECT_FALSE(windows.link().port().is_open());
  EXPECT_FALSE(feedback.progress_box()->isVisible());
  EXPECT_EQ(form.status_strip()->text(), "Connecting stopped");
  EXPECT_EQ(feedback.no_answer_box(), nullptr);  // cancelled: nothing to explain

  // The tries ran out (the engine's end of an unanswered connect, told at once).
  int searches = 0;
  feedback.set_search([&] { ++searches; });
  ConnectOutcome outcome;
  outcome.end = ConnectEnd::NoAnswer;
  outcome.device = name;
  outcome.cable = false;
  outcome.tries = outcome.attempts = 4;
  feedback.connect_ended(outcome);
  QMessageBox* box = feedback.no_answer_box();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  const std::string text = box->text().toStdString();
  EXPECT_NE(text.find(std::string("No handset answered on ") + name + " (infrared) after 4 wake-ups."),
            std::string::npos)
      << text;
  // The causes in their order, the media named both ways.
  const std::size_t off = text.find("1. The handset is off");
  const std::size_t cable = text.find("2. The cable");
  const std::size_t media = text.find("3. The media: infrared is chosen (Options, Port page), but the handset may be on cable.");
  const std::size_t other = text.find("4. Another program uses the port");
  ASSERT_NE(off, std::string::npos);
  EXPECT_LT(off, cable);
  EXPECT_LT(cable, media);
  EXPECT_LT(media, other);
  EXPECT_NE(other, std::string::npos);
  ASSERT_NE(feedback.search_button(), nullptr);
  EXPECT_EQ(feedback.search_button()->text(), "&Search...");
  QTest::mouseClick(feedback.search_button(), Qt::LeftButton);
  EXPECT_EQ(searches, 1);
  EXPECT_TRUE(prompt.messages.empty());

  form.normal_cursor();
  config().Device.clear();
  ::close(master);
  ::close(slave);
}

}  // namespace
}  // namespace phondeck
