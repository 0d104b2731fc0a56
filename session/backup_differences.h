#pragma once
// What differs between a backup's part and the handset's, item by item,
// with what each side holds in words ("off" and "on, 07:30" for the diary
// alarm; the lines of a contact or a note that differ).
#include <string>
#include <string_view>
#include <vector>

#include "session/backup_files.h"

namespace phondeck {

struct Difference {
  enum class Kind {
    Differs,         // both hold it, otherwise
    NotOnHandset,    // the backup holds it, the handset not
    OnHandsetOnly,   // the handset holds it, the backup not
    KeptOtherwise,   // a message with the same number and text, in another folder, status or time
  };
  Kind kind = Kind::Differs;
  std::string label;
  std::string handset;  // what the handset holds of it, "" when nothing
  std::string backup;   // what the backup holds of it
  // "differs: diary alarm (handset: off; backup: on, 07:30)".
  std::string text() const;
  bool operator==(const Difference&) const = default;
};

// "differs", "not on the handset", "on the handset only", "kept otherwise".
std::string kind_text(Difference::Kind kind);

// What differs between the file (`wanted`) and the handset (`held`). For
// messages only the backup's messages count; one the handset holds with the
// same number and text but in another folder, status or time is kept
// otherwise.
std::vector<Difference> part_differences(BackupPart part, const BackupFiles& wanted, const BackupFiles& held);

// The differences as lines, each its text().
std::vector<std::string> difference_lines(const std::vector<Difference>& differences);

// A vCard or iCalendar text value as the user reads it: "\," "\;" "\\" and
// "\n" undone.
std::string unescaped_text(std::string_view value);

}  // namespace phondeck
