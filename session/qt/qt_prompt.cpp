#include "session/qt/qt_prompt.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QUrl>

#include "app/text_table.h"

namespace phondeck {
namespace {
constexpr int kTextProduct = 5;
constexpr int kTextOk = 10;
constexpr int kTextCancel = 11;
constexpr int kTextYes = 12;
constexpr int kTextNo = 13;
constexpr int kTextNoHelpProgram = 3422;
constexpr int kTextHelpMissing = 3423;

QString qs(const std::string& text) { return QString::fromStdString(text); }

// Runs f on the window thread and returns its result (waiting for it).
template <typename F>
auto on_window_thread(F f) {
  if (QThread::currentThread() == qApp->thread()) return f();
  decltype(f()) result{};
  QMetaObject::invokeMethod(qApp, [&] { result = f(); }, Qt::BlockingQueuedConnection);
  return result;
}

// A text with "%s" replaced by the path (or the path appended).
std::string with_path(std::string text, const std::string& path) {
  if (const auto at = text.find("%s"); at != std::string::npos) return text.replace(at, 2, path);
  return text + " " + path;
}

QString label(int id, const char* fallback) {
  const std::string& text = tx(id);
  return text.empty() ? QString::fromLatin1(fallback) : qs(text);
}
}  // namespace

void QtPrompt::message(const std::string& text) {
  const auto show = [text] {
    QMessageBox box(QMessageBox::NoIcon, qs(tx(kTextProduct)), qs(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.button(QMessageBox::Ok)->setText(label(kTextOk, "&OK"));
    box.exec();
  };
  if (QThread::currentThread() == qApp->thread()) {
    show();
    return;
  }
  // From the port's reader thread: shown by the window thread without
  // waiting, so that a window thread closing the port (and joining the
  // reader) never waits on a reader that waits on it.
  QMetaObject::invokeMethod(qApp, show, Qt::QueuedConnection);
}

bool QtPrompt::ask_yes_no(const std::string& text) {
  return on_window_thread([&] {
    QMessageBox box(QMessageBox::Question, qs(tx(kTextProduct)), qs(text),
                    QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(label(kTextYes, "&Yes"));
    box.button(QMessageBox::No)->setText(label(kTextNo, "&No"));
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
  });
}

Prompt::Answer QtPrompt::ask_yes_no_cancel(const std::string& text) {
  return on_window_thread([&] {
    QMessageBox box(QMessageBox::Question, qs(tx(kTextProduct)), qs(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QApplication::activeWindow());
    box.button(QMessageBox::Yes)->setText(label(kTextYes, "&Yes"));
    box.button(QMessageBox::No)->setText(label(kTextNo, "&No"));
    box.button(QMessageBox::Cancel)->setText(label(kTextCancel, "&Cancel"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const int chosen = box.exec();
    return chosen == QMessageBox::Yes ? Answer::Yes : chosen == QMessageBox::No ? Answer::No : Answer::Cancel;
  });
}

QtHelpOpener::QtHelpOpener(Prompt& prompt, std::function<bool(const QUrl&)> launch)
    : prompt_(prompt), launch_(launch ? std::move(launch) : [](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

void QtHelpOpener::open(const std::string& target) {
  const QString t = qs(target);
  QUrl url;
  QString shown = t;
  if (t.startsWith(QLatin1String("http:")) || t.startsWith(QLatin1String("https:"))) {
    url = QUrl(t);
  } else {
    const qsizetype hash = t.indexOf(QLatin1Char('#'));
    shown = hash < 0 ? t : t.left(hash);
    url = QUrl::fromLocalFile(shown);
    if (hash >= 0) url.setFragment(t.mid(hash + 1));
    if (!QFileInfo::exists(shown)) {
      prompt_.message(with_path(tx(kTextHelpMissing), shown.toStdString()));
      return;
    }
  }
  if (!launch_(url)) prompt_.message(with_path(tx(kTextNoHelpProgram), shown.toStdString()));
}

}  // namespace phondeck
