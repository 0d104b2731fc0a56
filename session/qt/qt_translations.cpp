#include "session/qt/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "app/language.h"

namespace phondeck {
namespace {

QString& folder_override() {
  static QString folder;
  return folder;
}

// The catalogue installed now; removed before the next is installed.
std::unique_ptr<QTranslator>& installed() {
  static std::unique_ptr<QTranslator> translator;
  return translator;
}

}  // namespace

QString qt_translation_name(std::string_view language_code) {
  if (language_code == "fr") return QStringLiteral("qtbase_fr");
  if (language_code == "zh_tw") return QStringLiteral("qtbase_zh_TW");
  if (language_code == "zh_cn") return QStringLiteral("qtbase_zh_CN");
  return {};
}

void set_qt_translation_folder(const QString& folder) { folder_override() = folder; }

QString qt_translation_folder() {
  if (!folder_override().isEmpty()) return folder_override();
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool install_qt_translation() {
  if (installed()) {
    QCoreApplication::removeTranslator(installed().get());
    installed().reset();
  }
  const QString name = qt_translation_name(language().code);
  if (name.isEmpty() || QCoreApplication::instance() == nullptr) return false;
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(name, qt_translation_folder())) return false;
  QCoreApplication::installTranslator(translator.get());
  installed() = std::move(translator);
  return true;
}

}  // namespace phondeck
