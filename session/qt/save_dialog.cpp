#include "session/qt/save_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace phondeck {

QString with_filter_extension(const QString& path, const QString& filter) {
  if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
  static const QRegularExpression first_pattern(QStringLiteral(R"(\*\.([A-Za-z0-9]+))"));
  const QRegularExpressionMatch match = first_pattern.match(filter);
  return match.hasMatch() ? path + QLatin1Char('.') + match.captured(1) : path;
}

QString save_file_name(QWidget* parent, const QString& caption, const QString& filters, const QString& name,
                       QString* chosen) {
  QString filter;
  const QString path = QFileDialog::getSaveFileName(parent, caption, name, filters, &filter);
  if (chosen != nullptr) *chosen = filter;
  return with_filter_extension(path, filter.isEmpty() ? filters.section(QStringLiteral(";;"), 0, 0) : filter);
}

}  // namespace phondeck
