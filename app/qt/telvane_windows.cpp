#include "app/qt/telvane_windows.h"

#include "platform/single_instance.h"

namespace phondeck {

TelvaneWindows::TelvaneWindows(Prompt& prompt, SingleInstance* instance) {
  splash_ = std::make_unique<TForm17>();
  main_ = std::make_unique<TForm1>(prompt);
  editor_ = new TOKHelpRightDlg(main_->logic().book(), main_.get());
  main_->set_editor(editor_);
  // Hardware and Network information dialogs: with the link's windows.
  about_ = new TAboutBox(main_.get());
  main_->set_window_opener(Command::About, [this] { about_->exec(); });
  // Feature windows: Messages, Ringing Tone, Calendar, Event, Group and
  // System Graphic, then the phone Editor, Operator Information, SMS
  // Sending, Startup Graphic, Options, Group Graphic and Profiles.
  phone_editor_ = new TOKHelpRightDlg3(main_.get());

  splash_->set_main_window(main_.get());
  if (instance) splash_->listen_for_hand_offs(*instance);
}

TelvaneWindows::~TelvaneWindows() {
  main_.reset();
  splash_.reset();
}

void TelvaneWindows::apply_texts() {
  main_->apply_texts();
  editor_->apply_texts();
  phone_editor_->apply_texts();
  about_->apply_texts();
}

}  // namespace phondeck
