#pragma once
// Qt's own texts (the standard buttons, file dialogs and message boxes, the
// edit fields' context menus) in the language the text table holds, from the
// system's Qt translations (qtbase_LANG.qm).
#include <QString>

#include <string_view>

namespace phondeck {

// The Qt translation catalogue for a language code: "qtbase_fr",
// "qtbase_zh_TW", "qtbase_zh_CN"; empty for English and any other code.
QString qt_translation_name(std::string_view language_code);

// The folder the catalogues are read from: Qt's own translations folder
// unless set (an empty folder restores that).
void set_qt_translation_folder(const QString& folder);
QString qt_translation_folder();

// Installs the catalogue of the active language (language().code) into the
// application, in place of the one installed before; English, or a catalogue
// that is missing, leaves Qt's texts in English. True when one is installed.
bool install_qt_translation();

}  // namespace phondeck
