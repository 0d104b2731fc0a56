#pragma once
// The save dialogs' file names: a name typed without an extension gets the
// one of the filter chosen, so the matching open dialog finds the file.
#include <QString>

class QWidget;

namespace phondeck {

// "iCalendar (*.ics)" and "cal" give "cal.ics"; a name with an extension,
// or a filter without one ("*"), leaves the name as it is.
QString with_filter_extension(const QString& path, const QString& filter);

// The save dialog with these filters (";;" between them); "" when cancelled.
// `chosen`, if given, receives the filter chosen.
QString save_file_name(QWidget* parent, const QString& caption, const QString& filters,
                       const QString& name = QString(), QString* chosen = nullptr);

}  // namespace phondeck
