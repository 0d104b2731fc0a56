#include "telvane/telvane_windows.h"

#include <QDateTime>
#include <QLocale>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include "app/date_text.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "host/configured_port.h"
#include "host/probe_loop.h"
#include "link/start_questions.h"
#include "organiser/options_exchanges.h"
#include "organiser/qt/port_search.h"
#include "organiser/sms_codec.h"
#include "platform/single_instance.h"
#include "session/qt/qt_translations.h"

namespace phondeck {

namespace {
constexpr int kTextDiagnosticsCopied = 3313;
}  // namespace

DateTimeFormats locale_date_time_formats() {
  DateTimeFormats f;
  f.date = [](int year, int month, int day) {
    const QDate date(year, month, day);
    if (!date.isValid()) return iso_date_text(year, month, day);
    return QLocale().toString(date, QLocale::ShortFormat).toStdString();
  };
  f.date_time = [](int year, int month, int day, int hour, int minute) {
    const QDateTime at(QDate(year, month, day), QTime(hour, minute));
    if (!at.isValid()) return iso_date_time_text(year, month, day, hour, minute);
    return QLocale().toString(at, QLocale::ShortFormat).toStdString();
  };
  return f;
}

// What the Options dialog's OK changes in the windows.
class TelvaneWindows::OptionsHostOfWindows final : public OptionsHost {
 public:
  explicit OptionsHostOfWindows(TelvaneWindows& windows) : w_(windows) {}
  void reopen_port() override { w_.link().reopen(); }
  void switch_frame_type() override { w_.link().switch_media(); }
  void language_changed() override {
    w_.apply_texts();
    w_.session().organiser().profiles().set_all_defaults();
    w_.profiles().refresh();
    w_.main().rebuild_view();
  }
  void rename_group(const std::string& old_name, const std::string& new_name) override {
    w_.session().book().rename_group(old_name, new_name);
  }
  void group_names_changed() override { w_.profiles().refresh(); }
  void rebuild_view() override {
    w_.main().rebuild_view();
    w_.main().refresh_views();
  }
  void arrange() override { w_.main().arrange(); }
  std::array<int, 8> shown_column_widths() override { return w_.main().shown_column_widths(); }

 private:
  TelvaneWindows& w_;
};

TelvaneWindows::TelvaneWindows(Prompt& prompt, SingleInstance* instance) {
  install_qt_translation();
  set_date_time_formats(locale_date_time_formats());
  shared_ = std::make_unique<WindowSession>(prompt, make_configured_port);
  splash_ = std::make_unique<TForm17>();
  main_ = std::make_unique<TForm1>(*shared_, prompt);
  editor_ = new TOKHelpRightDlg(session().book(), main_.get());
  main_->set_editor(editor_);
  hardware_ = new TOKHelpRightDlg1(main_.get());
  network_ = new TOKHelpRightDlg2(main_.get());
  main_->set_window_opener(Command::HardwareInfo, [this] {
    hardware_->fill(link().engine().info());
    hardware_->exec();
  });
  main_->set_window_opener(Command::NetworkInfo, [this] {
    network_->fill(link().engine().info());
    network_->exec();
  });
  about_ = new TAboutBox(main_.get());
  main_->set_window_opener(Command::About, [this] { about_->exec(); });
  link_log_ = new TLinkLogWindow(link().log(), prompt, main_.get());
  main_->set_window_opener(Command::LinkLog, [this] { link_log_->show_window(); });
  main_->set_window_opener(Command::CopyDiagnostics, [this, &prompt] {
    copy_diagnostics(link().log());
    prompt.message(tx(kTextDiagnosticsCopied));
  });
  // Feature windows: Messages, Ringing Tone, Calendar, Event, Group and
  // System Graphic, then the phone Editor, Operator Information, SMS
  // Sending, Startup Graphic, Options, Group Graphic and Profiles.
  phone_editor_ = new TOKHelpRightDlg3(main_.get());
  operator_ = new TOKHelpRightDlg4(main_.get());
  {
    HandsetSession& session = shared_->session();
    MessageFamily& family = session.organiser().message_family();
    messages_ = new TForm6(session.engine(), family, session.book(), prompt, main_.get());
    sending_ = new TForm18(session.engine(), family, session.book(), prompt, *phone_editor_, main_.get());
    messages_->setWindowFlag(Qt::Window);
    messages_->apply_font(main_->list_font());
    main_->set_font_listener([this](const QFont& font) { messages_->apply_font(font); });
    messages_->on_back = [this] { main_->show(); main_->raise(); main_->activateWindow(); };
    messages_->on_send = [this] { sending_->show_window(); };
    messages_->on_text_changed = [this] { sending_->refresh_message(); };
    main_->set_window_opener(Command::Messages, [this] { messages_->show_window(); });
    main_->set_window_opener(Command::DropToSms, [this] {
      // The entries selected in the list shown: the third list in the tree modes.
      const EntryView& view = main_->logic().current_view();
      std::vector<PhoneBookEntry> entries;
      for (std::size_t row : view.selected_rows()) entries.push_back(view.entry(row));
      sending_->take_entries(entries);
      sending_->show_window();
    });
  }
  ring_tone_ = new TForm12(
      session(), prompt,
      [this] {
        main_->show();
        main_->raise();
        main_->activateWindow();
      },
      [this](const SmartSms& message) {
        fill_outgoing(session().organiser().messages().outgoing, message);
        sending_->show_window();
      },
      main_.get());
  ring_tone_->setWindowFlag(Qt::Window);
  main_->set_window_opener(Command::RingingTone, [this] { ring_tone_->show_window(); });
  calendar_ = new TForm13(session(), prompt, [this] {
    main_->show();
    main_->raise();
    main_->activateWindow();
  }, main_.get());
  calendar_->setWindowFlag(Qt::Window);
  main_->set_window_opener(Command::Calendar, [this] { calendar_->show_today(); });
  {
    auto show_main = [this] {
      main_->show();
      main_->raise();
      main_->activateWindow();
    };
    auto ask_operator = [this]() -> std::optional<std::pair<std::string, std::string>> {
      if (operator_->exec() != QDialog::Accepted) return std::nullopt;
      return std::pair{operator_->Edit1()->text().toStdString(), operator_->Edit2()->text().toStdString()};
    };
    group_graphics_ = new TForm16(session(), prompt, ask_operator, main_.get());
    group_graphics_->on_back = show_main;
    group_graphics_->on_send = [this] { sending_->show_window(); };
    main_->set_window_opener(Command::GroupGraphics, [this] { group_graphics_->show_window(); });
    startup_graphic_ = new TForm20(session(), prompt, main_.get());
    startup_graphic_->on_back = show_main;
    main_->set_window_opener(Command::StartupGraphic, [this] { startup_graphic_->show_window(); });
  }
  main_->set_network_listener([this](int mcc, int mnc) { operator_->network_details(mcc, mnc); });
  {
    HandsetSession& session = shared_->session();
    options_host_ = std::make_unique<OptionsHostOfWindows>(*this);
    options_exchanges_ =
        std::make_unique<SessionOptionsExchanges>(session.engine(), session.organiser(), session.media());
    options_logic_ = std::make_unique<OptionsDialogLogic>(*options_host_, *options_exchanges_);
    options_ = new TPagesDlg(*options_logic_, prompt, main_.get());
    options_->port_search()->set_loop_maker(
        [](Clock& clock) -> std::unique_ptr<ProbeLoop> { return std::make_unique<RealtimeProbeLoop>(clock); });
    options_exchanges_->set_write_confirmation(
        [&engine = session.engine(), &prompt] { return ask_write_confirmation(engine, prompt); });
    options_exchanges_->set_dialog(options_logic_.get(), [this] {
      options_->groups_read();
      options_->smsc_read();
    });
    main_->set_window_opener(Command::Options, [this] { options_->show_modal(); });
    splash_->set_options_dialog([this] { options_->show_modal(); });
    profiles_logic_ = std::make_unique<ProfilesWindowLogic>(session.organiser().profile_family(), session.engine(),
                                                            prompt);
    profiles_ = new TForm22(*profiles_logic_, [this] {
      main_->show();
      main_->raise();
      main_->activateWindow();
    }, main_.get());
    session.organiser().profile_family().set_read_listener([this] { profiles_->refresh(); });
    main_->set_window_opener(Command::Profiles, [this] { profiles_->show_window(); });
    connect_feedback_ = std::make_unique<ConnectFeedback>(session.engine(), main_.get());
    connect_feedback_->set_search([this] { open_port_search(); });
  }

  splash_->set_main_window(main_.get());
  if (instance) splash_->listen_for_hand_offs(*instance);
}

void TelvaneWindows::open_port_search() {
  // The Options dialog on its Port page (the first).
  options_->prepare();
  options_->pages()->setCurrentIndex(0);
  // The search starts once the dialog shows.
  QTimer::singleShot(0, options_->port_search(), [panel = options_->port_search()] { panel->search(); });
  options_->exec();
}

TelvaneWindows::~TelvaneWindows() {
  connect_feedback_.reset();
  // The exchanges let go of the session's families before they go.
  options_exchanges_.reset();
  session().organiser().profile_family().set_read_listener({});
  main_.reset();
  splash_.reset();
  set_date_time_formats({});
}

void TelvaneWindows::apply_texts() {
  install_qt_translation();
  main_->apply_texts();
  hardware_->apply_texts();
  editor_->apply_texts();
  network_->apply_texts();
  messages_->apply_texts();
  phone_editor_->apply_texts();
  about_->apply_texts();
  options_->apply_texts();
  sending_->apply_texts();
  operator_->apply_texts();
  calendar_->apply_texts();
  ring_tone_->apply_texts();
  group_graphics_->apply_texts();
  startup_graphic_->apply_texts();
  profiles_->apply_texts();
  link_log_->apply_texts();
}

}  // namespace phondeck
