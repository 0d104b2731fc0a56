#pragma once
// The file dialogs of File > Import and File > Export.
#include <QWidget>

#include "phonebook/phone_book.h"
#include "phonebook/phone_book_files.h"

namespace phondeck {

// Asks for vCard or CSV files and imports them into the list of `side`.
void import_with_dialog(QWidget* parent, PhoneBookFiles& files, ListSide side);
// Asks for a file name and its format, then exports the active list; true
// when it was written, with the file's path in `written` (if given).
bool export_with_dialog(QWidget* parent, PhoneBookFiles& files, std::string* written = nullptr);

}  // namespace phondeck
