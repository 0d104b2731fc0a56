#pragma once
// File > Export and File > Import of a phone-book list as vCard or CSV, and
// the import of files dropped onto a pane: the questions (several numbers per
// contact, replace or append), the free positions for entries whose file
// gives none, and the report of skipped contacts. The window asks for the
// file names; everything else happens here.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "phonebook/contact_export.h"
#include "phonebook/contact_record.h"
#include "phonebook/phone_book.h"

namespace phondeck {

class Prompt;

enum class ContactFormat { VCard, Csv };

// The format a file name's extension (.vcf, .vcard, .csv; any case) stands
// for.
std::optional<ContactFormat> contact_format_of(std::string_view path);

// Texts of the commands.
inline constexpr int kTextImport = 102;          // "&Import..."
inline constexpr int kTextExport = 103;          // "&Export..."
inline constexpr int kTextPhoneBookFiles = 3620; // file dialog filter name
inline constexpr int kTextReplaceList = 3621;
inline constexpr int kTextOnePerNumber = 3622;
inline constexpr int kTextNoEntries = 3623;
inline constexpr int kTextImportReport = 3624;   // %1 imported, %2 skipped
inline constexpr int kTextNoNumber = 3625;
inline constexpr int kTextBadNumber = 3626;
inline constexpr int kTextMoreSkipped = 3627;    // %1 more
inline constexpr int kTextAccessError = 3402;

class PhoneBookFiles {
 public:
  PhoneBookFiles(PhoneBook& book, Prompt& prompt) : book_(book), prompt_(prompt) {}

  // Imported entries whose file gives no position keep none (an empty Pos),
  // so that Write All gives them the handset's free positions, instead of
  // the first ones the list leaves free.
  void leave_positions_to_handset() { assign_positions_ = false; }

  // The country (numbers in international form), UID seed and caller-group
  // names the vCard export writes with (write_vcards); by default none, and
  // numbers stay as the handset holds them. The CSV export always writes the
  // handset's numbers, as its re-import gives back what the file holds.
  void set_vcard_options(ContactExportOptions options) { vcard_options_ = std::move(options); }
  const ContactExportOptions& vcard_options() const { return vcard_options_; }

  // Writes the active list into the file: a new file that replaces the old
  // one only when it is complete. On failure shows the file-access message
  // and leaves the old file as it was.
  bool export_active(const std::string& path, ContactFormat format);
  std::string export_text(ContactFormat format) const;

  // Imports the files, in order, into the list of `side`: asks whether a
  // contact with several numbers gives one entry per number (when a file has
  // such a contact) and, for the first file that brings entries into a list
  // that has some, whether they replace the list. Appends, or inserts before
  // entry `before`. The new entries become the list's selection. Returns the
  // number of entries added. The list's import note says what was taken and
  // left out.
  std::size_t import_files(ListSide side, const std::vector<std::string>& paths,
                           std::optional<std::size_t> before = std::nullopt);
  // The same for a file's bytes; the format is guessed from them when not
  // given.
  std::size_t import_text(ListSide side, std::string_view bytes,
                          std::optional<ContactFormat> format,
                          std::optional<std::size_t> before = std::nullopt);

 private:
  std::size_t import_one(ListSide side, std::string_view bytes,
                         std::optional<ContactFormat> format, std::optional<std::size_t>& before,
                         bool ask_replace, ImportNote& note);
  void assign_free_positions(const PhoneBookList& list, std::vector<PhoneBookEntry>& entries);
  void report(std::size_t imported, const std::vector<SkippedContact>& skipped);

  PhoneBook& book_;
  Prompt& prompt_;
  bool assign_positions_ = true;
  ContactExportOptions vcard_options_;
};

}  // namespace phondeck
