#pragma once
// Export for a new phone: the phone book of both memories, the messages of
// every folder and the calendar read one part after another, then written
// into a folder as the files other phones and programs import (contacts.vcf,
// messages.xml, messages.mbox, calendar.ics) with a README.txt on how to
// import each. Entries that look like one person's numbers are merged only
// when the user says so.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "organiser/calendar_list.h"
#include "organiser/message_store.h"
#include "phonebook/contact_export.h"
#include "phonebook/entry.h"
#include "session/handset_backup.h"

namespace phondeck {

// Where the country of the numbers came from.
enum class CountrySource { Network, Option, Locale, None };

struct ExportOptions {
  int vcard_version = 3;  // 3 or 4
  std::string country;    // ISO 3166 alpha-2; given, it wins over the handset's network
  // Whether the entries offered as one contact are merged; nullopt: the
  // prompt is asked when there are any.
  std::optional<bool> merge;
  std::int64_t now_ms = 0;  // the messages file's backup time, ms since 1970
};

// What the parts read.
struct ExportRead {
  std::vector<PhoneBookEntry> entries;  // the phone memory's, then the SIM's
  int phone_entries = 0;
  int sim_entries = 0;
  std::array<std::string, 5> group_names{};  // empty when the model has no caller groups
  MessageStore messages;
  std::vector<CalendarEvent> events;
  bool has_calendar = false;
  bool asked_network = false;  // the network code was asked of the handset
  int mcc = 0;
  std::string country;
  CountrySource country_source = CountrySource::None;
  std::string uid_seed;  // the handset's IMEI: the same UIDs on every export
};

struct ExportCounts {
  int entries = 0;            // phone-book entries read
  int contacts_unmerged = 0;  // contacts with no offer taken
  int contacts = 0;           // contacts written
  int merged_duplicates = 0;  // the same name and number in both memories
  int left_out = 0;           // entries without a name or a number, or calls
  int offers = 0;             // groups of entries offered as one contact
  bool offers_merged = false;
  int messages = 0;
  int events = 0;
};

struct ExportResult {
  bool read = false;                // every part was read
  bool complete = false;            // and every file written
  std::string stopped;              // the part that stopped the export, or the file that failed
  std::vector<std::string> absent;  // parts the model does not have
  std::string dir;
  std::vector<std::string> written;  // file names written into dir, in order
  ExportCounts counts;
  std::string country;
  CountrySource country_source = CountrySource::None;
  std::vector<MergeOffer> offers;
  // The files' texts (for an upload to a server as well).
  std::string vcf;
  std::string ics;
  // How the read ended: done with the entries, messages and notes read; or
  // the result of the part's operation that stopped it.
  OperationResult ended;
  std::string summary() const;
};

// The files of an export, in the order they are written (README.txt last).
inline constexpr const char* kExportContacts = "contacts.vcf";
inline constexpr const char* kExportMessagesXml = "messages.xml";
inline constexpr const char* kExportMessagesMbox = "messages.mbox";
inline constexpr const char* kExportCalendar = "calendar.ics";
inline constexpr const char* kExportReadme = "README.txt";

// "Bob: Bob H 5550101, Bob W 5550102" for one offer of these entries.
std::string offer_text(const MergeOffer& offer, const std::vector<PhoneBookEntry>& entries);
// The question that lists every offer.
std::string merge_question(const std::vector<MergeOffer>& offers, const std::vector<PhoneBookEntry>& entries);
// How to import each file, in the texts' language.
std::string export_readme();

class HandsetExport {
 public:
  HandsetExport(HandsetSession& session, Prompt& prompt, OperationRunner runner)
      : session_(session), prompt_(prompt), run_(std::move(runner)) {}
  void set_part_listener(PartListener listener) { on_part_ = std::move(listener); }

  // Reads the parts: the network code when the handset has not reported it,
  // the caller groups, the phone book, the messages and the calendar (those
  // the model has). nullopt with the part in `stopped` when one fails, and
  // in `ended` the result of its operation (done with the counts read
  // otherwise).
  std::optional<ExportRead> read(const ExportOptions& options, std::string& stopped, OperationResult& ended);

  // The contacts as they would be written, with or without the offers taken.
  static ContactPlan plan(const ExportRead& read, const ExportOptions& options, bool merge);

  // Writes the files into `dir` (made 0700 when missing; nothing written when
  // `dir` is empty: the texts only, for an upload). Each file 0600.
  ExportResult write(const std::string& dir, const ExportRead& read, const ExportOptions& options,
                     bool merge);

  // read(), the merge asked of the prompt when the options leave it open and
  // there are offers, then write(). Nothing is written unless every part was read.
  ExportResult run(const std::string& dir, const ExportOptions& options);

 private:
  void tell(int index, int count, const std::string& title) {
    if (on_part_) on_part_(index, count, title);
  }

  HandsetSession& session_;
  Prompt& prompt_;
  OperationRunner run_;
  PartListener on_part_;
};

}  // namespace phondeck
