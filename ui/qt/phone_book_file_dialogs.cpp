#include "ui/qt/phone_book_file_dialogs.h"

#include <QFile>
#include <QFileDialog>

#include "app/text_table.h"

namespace phondeck {

namespace {
const QString kVCardFilter = QStringLiteral("vCard (*.vcf *.vcard)");
const QString kCsvFilter = QStringLiteral("CSV (*.csv)");

QString caption(int text_id) { return QString::fromStdString(window_title(tx(text_id))); }
}  // namespace

void import_with_dialog(QWidget* parent, PhoneBookFiles& files, ListSide side) {
  const QString all = QString::fromStdString(tx(kTextPhoneBookFiles)) +
                      QStringLiteral(" (*.vcf *.vcard *.csv)");
  const QStringList chosen = QFileDialog::getOpenFileNames(
      parent, caption(kTextImport), QString(), all + QStringLiteral(";;") + kVCardFilter +
                                                   QStringLiteral(";;") + kCsvFilter);
  std::vector<std::string> paths;
  for (const QString& name : chosen) paths.push_back(QFile::encodeName(name).toStdString());
  if (!paths.empty()) files.import_files(side, paths);
}

bool export_with_dialog(QWidget* parent, PhoneBookFiles& files, std::string* written) {
  QFileDialog dialog(parent, caption(kTextExport));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters({kVCardFilter, kCsvFilter});
  dialog.setDefaultSuffix(QStringLiteral("vcf"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(filter == kCsvFilter ? QStringLiteral("csv") : QStringLiteral("vcf"));
  });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  const std::string path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  const ContactFormat format = contact_format_of(path).value_or(
      dialog.selectedNameFilter() == kCsvFilter ? ContactFormat::Csv : ContactFormat::VCard);
  if (!files.export_active(path, format)) return false;
  if (written != nullptr) *written = path;
  return true;
}

}  // namespace phondeck
