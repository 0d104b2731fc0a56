// The Ringing Tone window against the virtual handset on a pseudo-terminal:
// Function > Ringing Tone, the tempo slider, Write from the Nokia page, Send
// into the SMS Sending window, Play (it plays, or on a machine without a
// sound device says so in the status bar), Escape keeping the contents.
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStatusBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "telvane/telvane_windows.h"
#include "media/qt/ring_tone_windows.h"

namespace phondeck::e2e {
namespace {

TEST(RingToneWindow, TempoWriteSendAndEscape) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm12& tone = windows.ring_tone();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));

    form.action(Command::RingingTone)->trigger();
    ASSERT_TRUE(tone.isVisible());
    EXPECT_EQ(tone.windowTitle(), "Ringing Tone");
    EXPECT_EQ(tone.pages()->currentIndex(), RingToneWindowLogic::kEricssonPage);
    EXPECT_EQ(tone.text(RingToneWindowLogic::kEricssonPage)->toPlainText().count('\n'), 4);
    for (const auto& [position, shown] : {std::pair{0, "20"}, {12, "350"}, {7, "120"}}) {
      tone.slider()->setValue(position);
      EXPECT_EQ(tone.tempo_field()->text(), shown);
    }

    tone.pages()->setCurrentIndex(RingToneWindowLogic::kNokiaPage);
    tone.text(RingToneWindowLogic::kNokiaPage)->setPlainText("8c2 8d2 4.e2 - 32f 32.g");
    QTest::keyClick(&tone, Qt::Key_4, Qt::ControlModifier);  // Write
    ASSERT_TRUE(settle(windows));
    const auto received = handset.with_handset([](sim::Handset& h) { return h.state().ring_tone.tone; });
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->name, "Phondeck");
    ASSERT_EQ(received->notes.size(), 6u);
    EXPECT_EQ(received->notes[4], (sim::ToneNote{6, 1, 5, 0}));  // thirty-second f
    EXPECT_EQ(received->notes[5], (sim::ToneNote{8, 1, 5, 1}));  // dotted thirty-second g

    tone.action(TForm12::Tool::Send)->trigger();
    EXPECT_TRUE(windows.sms_sending().isVisible());
    const OutgoingSms& outgoing = windows.session().organiser().messages().outgoing;
    EXPECT_EQ(outgoing.byte_count, 7 + (73 + 64 + 72 + 2 * 5 + 7) / 8);  // two octave changes
    EXPECT_EQ(outgoing.first_octet, 0x51);
    EXPECT_EQ(outgoing.data_coding, 0xF5);

    tone.play(RingToneWindowLogic::kNokiaPage);
    const bool playing = tone.play_button(RingToneWindowLogic::kNokiaPage)->isEnabled() &&
                         tone.statusBar()->currentMessage().isEmpty();
    EXPECT_TRUE(playing || tone.statusBar()->currentMessage() == "No sound device: the tone cannot be played")
        << tone.statusBar()->currentMessage().toStdString();
    tone.stop();

    QTest::keyClick(&tone, Qt::Key_Escape);
    EXPECT_FALSE(tone.isVisible());
    form.action(Command::RingingTone)->trigger();
    EXPECT_EQ(tone.text(RingToneWindowLogic::kNokiaPage)->toPlainText(), "8c2 8d2 4.e2 - 32f 32.g");
    EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();
  }
  handset.stop();
}

// A page without a note to play (empty, blanks, rests only) is neither
// written nor sent: Write and Send say so.
TEST(RingToneWindow, ATuneWithoutNotesIsRefusedOnWriteAndSend) {
  fresh_settings(0);
  PtyDevice device(demo_state("6110"));
  ASSERT_TRUE(device.started) << device.error;
  sim::PtyHandset& handset = device.handset;
  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    TForm12& tone = windows.ring_tone();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(settle(windows));
    form.action(Command::RingingTone)->trigger();
    const std::pair<int, const char*> pages[] = {{RingToneWindowLogic::kEricssonPage, ""},
                                                 {RingToneWindowLogic::kEricssonPage, "p P p"},
                                                 {RingToneWindowLogic::kNokiaPage, "  "},
                                                 {RingToneWindowLogic::kNokiaPage, "4- 8-"},
                                                 {RingToneWindowLogic::kSiemensPage, "P(1/4)"}};
    for (const auto& [page, text] : pages) {
      tone.pages()->setCurrentIndex(page);
      tone.text(page)->setPlainText(QString::fromUtf8(text));
      for (TForm12::Tool tool : {TForm12::Tool::Write, TForm12::Tool::Send}) {
        prompt.messages.clear();
        tone.action(tool)->trigger();
        ASSERT_TRUE(settle(windows));
        EXPECT_EQ(prompt.messages, std::vector<std::string>{"The tone has no notes to play: there is nothing to write or send"})
            << page << " '" << text << "'";
      }
    }
    EXPECT_FALSE(windows.sms_sending().isVisible());
    EXPECT_FALSE(handset.with_handset([](sim::Handset& h) { return h.state().ring_tone.tone.has_value(); }));
  }
  handset.stop();
}

}  // namespace
}  // namespace phondeck::e2e
