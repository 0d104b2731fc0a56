#pragma once
// What a drag between the program's lists carries. Entries dragged from a
// phone-book list say which list they come from (the entries themselves are
// the source list's selection); messages dragged from the message list carry
// their sender's number and name.
#include <QByteArray>
#include <QMimeData>
#include <QFile>
#include <QString>
#include <QUrl>

#include <optional>
#include <string>
#include <vector>

#include "phonebook/phone_book.h"
#include "phonebook/phone_book_files.h"

namespace phondeck {

inline const QString kEntriesMime = QStringLiteral("application/x-phondeck-entries");
inline const QString kMessagesMime = QStringLiteral("application/x-phondeck-messages");

enum class DragSource { LeftPane, RightPane, ThirdList };

inline void set_entries_source(QMimeData& mime, DragSource source) {
  mime.setData(kEntriesMime, QByteArray::number(static_cast<int>(source)));
}

inline std::optional<DragSource> entries_source(const QMimeData& mime) {
  if (!mime.hasFormat(kEntriesMime)) return std::nullopt;
  bool ok = false;
  const int value = mime.data(kEntriesMime).toInt(&ok);
  if (!ok || value < 0 || value > static_cast<int>(DragSource::ThirdList)) return std::nullopt;
  return static_cast<DragSource>(value);
}

// One message a line: number, a tab, name (UTF-8).
inline void set_messages(QMimeData& mime, const std::vector<MessageContact>& messages) {
  QByteArray data;
  for (const MessageContact& m : messages) {
    data += QByteArray::fromStdString(m.number) + '\t' + QByteArray::fromStdString(m.name) + '\n';
  }
  mime.setData(kMessagesMime, data);
}

inline std::vector<MessageContact> messages_of(const QMimeData& mime) {
  std::vector<MessageContact> out;
  for (const QByteArray& line : mime.data(kMessagesMime).split('\n')) {
    if (line.isEmpty()) continue;
    const qsizetype tab = line.indexOf('\t');
    MessageContact m;
    m.number = (tab < 0 ? line : line.left(tab)).toStdString();
    if (tab >= 0) m.name = line.mid(tab + 1).toStdString();
    out.push_back(std::move(m));
  }
  return out;
}

// The local phone-book files (.vcf, .vcard, .csv) a drag from a file manager
// carries, as file-system paths.
inline std::vector<std::string> phone_book_files(const QMimeData& mime) {
  std::vector<std::string> out;
  for (const QUrl& url : mime.urls()) {
    if (!url.isLocalFile()) continue;
    std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
    if (contact_format_of(path)) out.push_back(std::move(path));
  }
  return out;
}

}  // namespace phondeck
