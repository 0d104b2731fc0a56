#include "session/handset_export.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/file_replace.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/phonebook_family.h"
#include "media/graphics_family.h"
#include "organiser/icalendar.h"
#include "organiser/message_export.h"
#include "phonebook/phone_book.h"
#include "phonebook/phone_numbers.h"
#include "session/handset_session.h"

namespace phondeck {
namespace {

// The README's lines, one text each; 0 for an empty line.
constexpr int kReadmeLines[] = {3840, 0,    3841, 3842, 3843, 3844, 0,    3845, 3846, 3847, 3848,
                                0,    3849, 3850, 3851, 3852, 0,    3853, 3854, 3855, 0,    3856,
                                3857, 3858, 3859, 0,    3860, 3861, 3862, 3863, 0,    3864};

std::string join(const std::vector<std::string>& items, const std::string& between) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : between) + item;
  return out;
}

std::string counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Makes the folder (the owner's only) when it is missing; false with why.
bool make_folder(const std::string& dir, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path path(dir);
  if (fs::is_directory(path, ec)) return true;
  if (path.has_parent_path() && !path.parent_path().empty())
    fs::create_directories(path.parent_path(), ec);
  if (::mkdir(dir.c_str(), 0700) != 0 && !fs::is_directory(path, ec)) {
    error = "the folder " + dir + " cannot be made";
    return false;
  }
  return true;
}

// The name of the contact whose number is the same as this one, or "".
NameOfNumber names_of(const ExportRead& read) {
  return [&read](const std::string& number) -> std::string {
    // As the Messages window names them.
    const PhoneBookEntry* entry = entry_for_number(read.entries, number, read.country);
    return entry != nullptr ? shown_name(*entry) : std::string();
  };
}

ContactExportOptions contact_options(const ExportRead& read, const ExportOptions& options,
                                     bool merge) {
  ContactExportOptions out;
  out.vcard_version = options.vcard_version;
  out.country = read.country;
  out.uid_seed = read.uid_seed;
  out.group_names = read.group_names;
  out.merge_marked = merge;
  return out;
}

}  // namespace

std::string offer_text(const MergeOffer& offer, const std::vector<PhoneBookEntry>& entries) {
  std::vector<std::string> names;
  for (const std::size_t index : offer.entries) {
    if (index < entries.size()) names.push_back(entries[index].Name + " " + entries[index].Phone);
  }
  return offer.name + ": " + join(names, ", ");
}

std::string merge_question(const std::vector<MergeOffer>& offers, const std::vector<PhoneBookEntry>& entries) {
  std::string text = counted(static_cast<int>(offers.size()), "group", "groups") +
                     " of entries " + (offers.size() == 1 ? "looks" : "look") + " like one person's numbers:";
  for (const MergeOffer& offer : offers) text += "\n  " + offer_text(offer, entries);
  return text + "\nMerge each group into one contact with typed numbers?";
}

std::string export_readme() {
  std::string text;
  for (const int id : kReadmeLines) text += (id == 0 ? std::string() : tx(id)) + "\n";
  return text;
}

std::string ExportResult::summary() const {
  std::vector<std::string> lines;
  if (!read) return "Export not written: " + stopped;
  const ExportCounts& n = counts;
  std::string contacts = "Contacts: " + counted(n.entries, "entry", "entries") + " read, " +
                         counted(n.contacts, "contact", "contacts");
  std::vector<std::string> merges;
  if (n.merged_duplicates > 0) {
    merges.push_back(counted(n.merged_duplicates, "entry", "entries") +
                     " in both memories taken once");
  }
  if (n.offers > 0) {
    merges.push_back(counted(n.offers, "group", "groups") + " of one person's numbers " +
                     (n.offers_merged ? "merged" : "left apart"));
  }
  if (n.left_out > 0) {
    merges.push_back(counted(n.left_out, "entry", "entries") + " without a name or number left out");
  }
  if (!merges.empty()) contacts += " (" + join(merges, "; ") + ")";
  lines.push_back(contacts);
  lines.push_back("Messages: " + std::to_string(n.messages));
  if (std::ranges::find(absent, std::string("calendar")) == absent.end()) {
    lines.push_back("Calendar: " + counted(n.events, "event", "events"));
  }
  static const char* const sources[] = {"the handset's network", "the country given",
                                        "this computer's locale", "unknown"};
  lines.push_back("Numbers in international form for " +
                  (country.empty() ? std::string("no country") : country) + " (from " +
                  sources[static_cast<int>(country_source)] + ")");
  if (n.offers > 0 && !n.offers_merged) {
    lines.push_back("Not merged: " + counted(n.offers, "group", "groups") +
                    " offered as one contact each (merged only when asked)");
  }
  if (!absent.empty()) lines.push_back("Not on this model: " + join(absent, ", "));
  if (complete) {
    lines.push_back(dir.empty() ? "Export complete"
                                : "Export complete: " + join(written, ", ") + " in " + dir);
  } else {
    lines.push_back("Export incomplete: " + stopped);
    if (!written.empty())
      lines.push_back("Written: " + join(written, ", ") + " (the rest is missing)");
  }
  return join(lines, "\n");
}

std::optional<ExportRead> HandsetExport::read(const ExportOptions& options, std::string& stopped,
                                              OperationResult& ended) {
  KeptLists kept(session_);
  ExportRead out;
  const HandsetInfo& info = session_.info();
  out.uid_seed = info.imei;
  out.has_calendar = part_on_model(BackupPart::Calendar, info);
  const bool has_groups = part_on_model(BackupPart::Groups, info);
  std::vector<BackupPart> parts;
  if (has_groups) parts.push_back(BackupPart::Groups);
  parts.push_back(BackupPart::PhoneBook);
  parts.push_back(BackupPart::Messages);
  if (out.has_calendar) parts.push_back(BackupPart::Calendar);
  out.asked_network = info.mcc == 0;
  const int count = static_cast<int>(parts.size()) + (out.asked_network ? 1 : 0);
  int index = 0;
  if (out.asked_network) {
    // A handset out of coverage reports no network: the country comes from
    // the options or the locale then.
    tell(index++, count, "network code");
    OperationEngine& engine = session_.engine();
    GraphicsFamily& graphics = session_.media().graphics();
    // Its result is not needed: what it reports goes into the handset's
    // information, and a lost link stops the part after it.
    if (session_.state() != LinkState::Disconnected) {
      run_([&](StartOptions o) { return start_network_code_read(engine, graphics, std::move(o)); });
    }
  }
  ended = OperationResult{};
  for (BackupPart part : parts) {
    tell(index++, count, part_title(part));
    const OperationResult read = read_part_records(session_, run_, part);
    if (!read.done()) {
      stopped = "the " + part_title(part) + " could not be read (" + why_not_done(read) + ")";
      ended = read;
      return std::nullopt;
    }
    switch (part) {
      case BackupPart::Groups:
        for (int i = 0; i < kCallerGroups; ++i) {
          out.group_names.at(static_cast<std::size_t>(i)) =
              session_.media().caller_groups().at(i).display_name();
        }
        break;
      case BackupPart::PhoneBook:
        out.entries = session_.book().active().entries();
        ended.entries = static_cast<int>(out.entries.size());
        for (const PhoneBookEntry& entry : out.entries)
          ++(entry_memory(entry) == 1 ? out.sim_entries : out.phone_entries);
        break;
      case BackupPart::Messages:
        out.messages = session_.organiser().messages().store;
        ended.messages = static_cast<int>(out.messages.size());
        break;
      case BackupPart::Calendar: {
        CalendarList sorted = session_.organiser().calendar().list();
        sorted.sort_and_collapse();
        out.events = sorted.events();
        ended.notes = static_cast<int>(out.events.size());
        break;
      }
      default:
        break;
    }
  }
  // The handset reports its network after it acknowledged the request,
  // while the other parts are read.
  // A country the user gave wins: a handset abroad is on a visited network.
  out.mcc = info.mcc;
  if (!options.country.empty()) {
    out.country = options.country;
    out.country_source = CountrySource::Option;
  }
  if (out.country.empty() && out.mcc != 0) {
    out.country = country_of_mcc(out.mcc);
    out.country_source = CountrySource::Network;
  }
  if (out.country.empty()) {
    out.country = country_of_locale();
    out.country_source = out.country.empty() ? CountrySource::None : CountrySource::Locale;
  }
  tell(count, count, {});
  return out;
}

ContactPlan HandsetExport::plan(const ExportRead& read, const ExportOptions& options, bool merge) {
  return plan_contacts(read.entries, contact_options(read, options, merge));
}

ExportResult HandsetExport::write(const std::string& dir, const ExportRead& read,
                                  const ExportOptions& options, bool merge) {
  ExportResult result;
  result.read = true;
  result.dir = dir;
  result.country = read.country;
  result.country_source = read.country_source;
  if (!part_on_model(BackupPart::Groups, session_.info()))
    result.absent.push_back(part_title(BackupPart::Groups));
  if (!read.has_calendar) result.absent.push_back(part_title(BackupPart::Calendar));

  const ContactExportOptions contact_opts = contact_options(read, options, merge);
  const ContactPlan unmerged = plan_contacts(read.entries, contact_options(read, options, false));
  const ContactPlan chosen = merge ? plan_contacts(read.entries, contact_opts) : unmerged;
  result.offers = unmerged.offers;
  ExportCounts& n = result.counts;
  n.entries = static_cast<int>(read.entries.size());
  n.contacts_unmerged = static_cast<int>(unmerged.contacts.size());
  n.contacts = static_cast<int>(chosen.contacts.size());
  n.merged_duplicates = unmerged.merged_duplicates;
  n.left_out = static_cast<int>(unmerged.left_out.size());
  n.offers = static_cast<int>(unmerged.offers.size());
  n.offers_merged = merge && n.offers > 0;
  n.messages = exported_message_count(read.messages);
  n.events = static_cast<int>(read.events.size());

  result.vcf = write_contacts_vcf(chosen, contact_opts);
  const NameOfNumber names = names_of(read);
  std::vector<std::pair<const char*, std::string>> files;
  files.emplace_back(kExportContacts, result.vcf);
  files.emplace_back(kExportMessagesXml,
                     write_sms_backup_xml(read.messages, names, options.now_ms));
  files.emplace_back(kExportMessagesMbox,
                     write_messages_mbox(read.messages, names, options.now_ms));
  if (read.has_calendar) {
    IcalendarOptions ical;
    ical.stamp_from_start = true;
    ical.time_zone = local_time_zone_id();
    ical.uid_seed = read.uid_seed;
    result.ics = export_icalendar(read.events, ical);
    files.emplace_back(kExportCalendar, result.ics);
  }
  files.emplace_back(kExportReadme, export_readme());
  if (dir.empty()) {
    result.complete = true;
    return result;
  }
  std::string error;
  if (!make_folder(dir, error)) {
    result.stopped = error;
    return result;
  }
  for (const auto& [name, text] : files) {
    const std::string path = (std::filesystem::path(dir) / name).string();
    if (!replace_file(path, path + ".tmp", text.data(), text.size(), FileAccess::Owner)) {
      result.stopped = std::string(name) + " could not be written";
      return result;
    }
    result.written.emplace_back(name);
  }
  result.complete = true;
  return result;
}

ExportResult HandsetExport::run(const std::string& dir, const ExportOptions& options) {
  std::string stopped;
  OperationResult ended;
  const std::optional<ExportRead> read = this->read(options, stopped, ended);
  if (!read) {
    ExportResult result;
    result.stopped = stopped;
    result.ended = ended;
    return result;
  }
  bool merge = options.merge.value_or(false);
  if (!options.merge) {
    const ContactPlan offered = plan(*read, options, false);
    if (!offered.offers.empty()) merge = prompt_.ask_yes_no(merge_question(offered.offers, read->entries));
  }
  ExportResult result = write(dir, *read, options, merge);
  result.ended = ended;
  return result;
}

}  // namespace phondeck
