// Photographs Telvane's windows with sample entries: the main window in the
// two-pane view and in the tree view by type, the Editor, the Calendar with
// a day of events, the two graphics windows with a picture, the splash, and
// the Options, Ringing Tone, Profiles, Messages and SMS Sending windows, in
// one language (en, zh_tw, zh_cn or fr; English by default). Each picture's
// name ends in the language code: options-fr.png.
// Usage: telvane_screenshots OUTPUT_FOLDER [LANGUAGE]
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "app/configuration.h"
#include "app/language.h"
#include "session/qt/qt_prompt.h"
#include "session/qt/qt_translations.h"
#include "telvane/splash_window.h"
#include "telvane/telvane_windows.h"
#include "app/text_table.h"
#include "media/qt/graphics_windows.h"
#include "media/qt/mono_images.h"
#include "media/qt/pixel_grid_panel.h"
#include "organiser/qt/calendar_windows.h"
#include "phonebook/value_tables.h"
#include "ui/qt/entry_editor_dialog.h"
#include "ui/qt/main_window.h"
#include "host/configured_port.h"
#include "session/qt/window_session.h"

namespace {

using namespace phondeck;

void add(PhoneBookList& list, const char* name, const char* phone, int type, int pos, int group,
         const char* unicode = "") {
  PhoneBook::add_entry(list, name, unicode, phone, type_text(type), std::to_string(pos),
                       group_text(group), write_as_text(0), "");
}

void fill_samples(PhoneBook& book) {
  add(book.left(), "Anna Berg", "+4930123456", 0, 1, 0);
  add(book.left(), "Office", "0301234500", 0, 2, 3);
  add(book.left(), "Carl", "0171555123", 1, 1, 2);
  add(book.left(), "Dr. Weiss", "0897654321", 1, 2, 1);
  add(book.left(), "Eva", "0160998877", 0, 3, 0);
  add(book.left(), "Pizza", "030444555", 1, 3, 4);
  add(book.right(), "Mailbox", "333", 1, 1, 5);
  add(book.right(), "Taxi", "030202020", 0, 4, 5);
}

void add_event(CalendarList& list, int hour, int minute, int type, const char* data, bool alarm) {
  const QDate today = QDate::currentDate();
  CalendarEvent e;
  e.year = today.year();
  e.month = today.month();
  e.day = today.day();
  e.hour = hour;
  e.minute = minute;
  e.type = type;
  e.data = data;
  if (alarm) {
    e.alarm_year = e.year;
    e.alarm_month = e.month;
    e.alarm_day = e.day;
    e.alarm_hour = hour;
    e.alarm_minute = minute;
  }
  list.append(e);
}

// A sample picture: a word in black on white, centred.
MonoBitmap sample_picture(int width, int height, const QString& word, int point_size) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(point_size);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawRect(0, 0, width - 1, height - 1);
  p.drawText(QRect(0, 0, width, height), Qt::AlignCenter, word);
  p.end();
  return monoOf(image);
}

// The picture file of a window in the language shown.
QString shot(const QDir& out, const char* name) {
  return out.filePath(QString::fromLatin1(name) + QLatin1Char('-') + QString::fromStdString(language().code) +
                      QStringLiteral(".png"));
}

bool save(QWidget& widget, const QString& path) {
  const bool ok = widget.grab().save(path);
  // The caption is drawn by the desktop, not by the window: name it here.
  std::printf("%s %s (caption \"%s\", %d x %d)\n", ok ? "wrote" : "FAILED", path.toLocal8Bit().constData(),
              widget.windowTitle().toUtf8().constData(), widget.width(), widget.height());
  return ok;
}

// The feature windows as the program builds them: Options, Ringing Tone,
// Profiles, Messages with a few messages, SMS Sending with a selected row.
bool save_feature_windows(Prompt& prompt, const QDir& out) {
  TelvaneWindows windows(prompt, nullptr);
  fill_samples(windows.main().logic().book());
  bool ok = true;
  TPagesDlg& options = windows.options();
  options.prepare();
  options.show();
  QApplication::processEvents();
  ok &= save(options, shot(out, "options"));
  options.hide();
  windows.ring_tone().show_window();
  QApplication::processEvents();
  ok &= save(windows.ring_tone(), shot(out, "ring-tone"));
  windows.profiles().show_window();
  QApplication::processEvents();
  ok &= save(windows.profiles(), shot(out, "profiles"));
  MessageStore& store = windows.session().organiser().message_family().records().store;
  store.append({"+4930123456", "See you at nine", "26.12.08 09:30:00", "See you at nine", "", "1", "1"});
  store.append({"0301234500", "The parcel is here", "26.12.08 11:02:17", "The parcel is here", "", "3", "2"});
  store.append({"030444555", "Your order is ready", "26.12.07 19:45:00", "Your order is ready", "", "1", "3"});
  TForm6& messages = windows.messages();
  messages.logic().select_folder(SmsFolder::Inbox);
  messages.refresh_list();
  messages.list()->topLevelItem(1)->setSelected(true);
  messages.show_window();
  QApplication::processEvents();
  ok &= save(messages, shot(out, "messages"));
  TForm18& sending = windows.sms_sending();
  sending.logic().add(0, "+4930123456");
  sending.logic().add(1, "0171555123");
  sending.show_window();
  sending.list()->topLevelItem(0)->setSelected(true);
  QApplication::processEvents();
  ok &= save(sending, shot(out, "sms-sending"));
  windows.main().normal_cursor();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [en|zh_tw|zh_cn|fr]\n", argv[0]);
    return 2;
  }
  set_configuration_path("/nonexistent/tv.dat");  // the defaults
  load_configuration();
  const std::string code = argc > 2 ? argv[2] : "en";
  const std::pair<const char*, int> selections[] = {{"en", 1}, {"zh_tw", 2}, {"zh_cn", 3}, {"fr", 4}};
  for (const auto& [name, selection] : selections) {
    if (code == name) select_language(selection);
  }
  if (language().code != code) {
    std::fprintf(stderr, "no language library for %s\n", code.c_str());
    return 1;
  }
  reset_group_names(config());
  QApplication app(argc, argv);
  install_qt_translation();
  set_date_time_formats(locale_date_time_formats());
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QtPrompt prompt;

  TForm17 splash;
  WindowSession shared(prompt, make_configured_port);
  TForm1 main(shared, prompt);
  TOKHelpRightDlg editor(main.logic().book(), &main);
  main.set_editor(&editor);
  fill_samples(main.logic().book());
  main.logic().book().left().set_selected(2, true);
  main.logic().book().left().set_selected(3, true);
  main.show_status(tx(3003));
  main.progress(0, 100);
  main.resize(760, 460);
  main.show();
  splash.show();
  bool ok = true;
  QTimer::singleShot(300, &app, [&] {
    main.refresh_views();
    ok &= save(splash, shot(out, "splash"));
    ok &= save(main, shot(out, "main-two-pane"));
    main.run_command(Command::ViewMode, kModeType);
    main.logic().select_tree_node(1);
    main.tree()->setCurrentItem(main.tree()->topLevelItem(0)->child(1));
    main.refresh_views();
    QTimer::singleShot(200, &app, [&] {
      ok &= save(main, shot(out, "main-tree-type"));
      EntryDefaults d;
      d.load_from(main.logic().book().left().entry(0));
      editor.load(d);
      editor.show();
      QTimer::singleShot(200, &app, [&] {
        ok &= save(editor, shot(out, "editor"));
        editor.hide();
        TForm13 calendar(shared.session(), prompt, [] {}, &main);
        calendar.setWindowFlag(Qt::Window);
        CalendarList& events = calendar.logic().list();
        add_event(events, 9, 30, 3, "Project meeting", true);
        add_event(events, 12, 0, 2, "+4930123456", false);
        add_event(events, 17, 15, 1, "Collect the parcel", true);
        add_event(events, 23, 59, 4, "Anna Berg", false);
        calendar.show_today();
        ok &= save(calendar, shot(out, "calendar"));
        TForm16 group(shared.session(), prompt, {}, &main);
        group.logic().editor().grid().combineIntoPicture(sample_picture(72, 14, "Family", 11));
        group.logic().editor().grid().push();
        group.show_window();
        ok &= save(group, shot(out, "group-graphics"));
        TForm20 startup(shared.session(), prompt, &main);
        startup.logic().editor().grid().combineIntoPicture(sample_picture(84, 48, "Hello", 20));
        startup.show_window();
        ok &= save(startup, shot(out, "startup-graphic"));
        ok &= save_feature_windows(prompt, out);
        main.normal_cursor();
        app.exit(ok ? 0 : 1);
      });
    });
  });
  return app.exec();
}
