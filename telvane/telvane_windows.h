#pragma once
// Telvane's composition root: the port of the configuration (the serial port
// or the built-in handset), the session every window shares, and every
// window, created once at start-up in this order and kept to the end of the
// process: the splash, the main window, the Editor, the information dialogs,
// the About box, then the feature windows. Each window gets the session from
// here; windows built elsewhere join here, in their place in the order.
#include <memory>

#include "app/date_text.h"
#include "session/qt/window_session.h"
#include "telvane/splash_window.h"
#include "link/qt/information_windows.h"
#include "media/qt/ring_tone_windows.h"
#include "media/qt/graphics_windows.h"
#include "organiser/qt/message_windows.h"
#include "organiser/qt/calendar_windows.h"
#include "organiser/qt/options_windows.h"
#include "ui/qt/about_box.h"
#include "ui/qt/connect_feedback.h"
#include "ui/qt/entry_editor_dialog.h"
#include "ui/qt/link_log_window.h"
#include "ui/qt/main_window.h"

namespace phondeck {

class Prompt;
class SessionOptionsExchanges;
class SingleInstance;

// The dates and times the windows write themselves, in the user's locale's
// short formats (dates the locale cannot show stay ISO 8601). The windows
// use them from their creation to their end.
DateTimeFormats locale_date_time_formats();

// TelvaneWindows: the windows of Telvane over one session.
class TelvaneWindows {
 public:
  // instance: whose hand-offs the splash receives (none for tests). Qt's own
  // texts follow the language selected before.
  TelvaneWindows(Prompt& prompt, SingleInstance* instance);
  ~TelvaneWindows();

  HandsetSession& session() { return shared_->session(); }
  PhoneLink& link() { return shared_->link(); }
  TForm17& splash() { return *splash_; }
  TForm1& main() { return *main_; }
  TOKHelpRightDlg& editor() { return *editor_; }
  TAboutBox& about() { return *about_; }
  TOKHelpRightDlg3& phone_editor() { return *phone_editor_; }
  TOKHelpRightDlg1& hardware() { return *hardware_; }
  TOKHelpRightDlg2& network() { return *network_; }
  TOKHelpRightDlg4& operator_information() { return *operator_; }
  TForm6& messages() { return *messages_; }
  TForm18& sms_sending() { return *sending_; }
  TForm13& calendar() { return *calendar_; }
  TForm12& ring_tone() { return *ring_tone_; }
  TForm16& group_graphics() { return *group_graphics_; }
  TForm20& startup_graphic() { return *startup_graphic_; }
  TPagesDlg& options() { return *options_; }
  OptionsDialogLogic& options_logic() { return *options_logic_; }
  TForm22& profiles() { return *profiles_; }
  TLinkLogWindow& link_log() { return *link_log_; }

  // Qt's own texts in the language, then every window's texts again, in
  // the order a language change asks for.
  void apply_texts();
  // What a connect shows: its progress box and the message when nothing answered.
  ConnectFeedback& connect_feedback() { return *connect_feedback_; }
  // The Options dialog on its Port page, searching for the handset (the
  // connect message's "Search...").
  void open_port_search();

 private:
  // Made first and gone last: every window holds on to it.
  std::unique_ptr<WindowSession> shared_;
  std::unique_ptr<TForm17> splash_;
  std::unique_ptr<TForm1> main_;
  // Owned by the main window.
  TOKHelpRightDlg* editor_ = nullptr;
  TOKHelpRightDlg1* hardware_ = nullptr;
  TOKHelpRightDlg2* network_ = nullptr;
  TAboutBox* about_ = nullptr;
  TOKHelpRightDlg3* phone_editor_ = nullptr;
  TOKHelpRightDlg4* operator_ = nullptr;
  TForm6* messages_ = nullptr;
  TForm18* sending_ = nullptr;
  TForm13* calendar_ = nullptr;
  TForm12* ring_tone_ = nullptr;
  TForm16* group_graphics_ = nullptr;
  TForm20* startup_graphic_ = nullptr;
  class OptionsHostOfWindows;
  std::unique_ptr<OptionsHostOfWindows> options_host_;
  std::unique_ptr<SessionOptionsExchanges> options_exchanges_;
  std::unique_ptr<OptionsDialogLogic> options_logic_;
  TPagesDlg* options_ = nullptr;
  std::unique_ptr<ProfilesWindowLogic> profiles_logic_;
  TForm22* profiles_ = nullptr;
  TLinkLogWindow* link_log_ = nullptr;
  std::unique_ptr<ConnectFeedback> connect_feedback_;
};

}  // namespace phondeck
