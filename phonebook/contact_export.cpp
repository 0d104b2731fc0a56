#include "phonebook/contact_export.h"

#include <algorithm>
#include <map>
#include <optional>

#include "phonebook/contact_names.h"
#include "phonebook/contact_record.h"
#include "phonebook/phone_numbers.h"
#include "phonebook/value_tables.h"
#include "phonebook/vcard_lines.h"

namespace phondeck {

namespace {

constexpr int kFirstCallRegister = 3;  // Dialled, Received, Missed
constexpr int kNoGroup = 5;

// The index of a Type text that is one of the table's texts, or -1.
int known_memory(const std::string& type) {
  for (int i = 0; i < kMemoryTypeCount; ++i) {
    if (type_text(i) == type) return i;
  }
  return -1;
}

int known_group(const std::string& group) {
  for (int i = 0; i < kGroupCount; ++i) {
    if (group_text(i) == group) return i;
  }
  return -1;
}

std::string shown_name(const PhoneBookEntry& e) { return clean_field(e.UNICODE.empty() ? e.Name : e.UNICODE); }

// The number as the handset stores it (separators a file brought left out).
std::string stored_number(const PhoneBookEntry& e) {
  const CleanNumber clean = clean_number(e.Phone);
  return clean.valid ? clean.number : clean_field(e.Phone);
}

// Entries of one name and one number.
struct Unit {
  std::vector<std::size_t> entries;
  std::string name;
  std::string number;
  std::optional<MarkedName> marker;
  int group = -1;  // the index of its marker group in the plan's offers, or -1
};

void add_category(std::vector<std::string>& categories, const std::string& category) {
  if (category.empty()) return;
  if (std::find(categories.begin(), categories.end(), category) == categories.end()) {
    categories.push_back(category);
  }
}

void add_number(std::vector<ContactNumber>& numbers, ContactNumber number, const std::string& country) {
  for (ContactNumber& have : numbers) {
    if (!same_number(have.number, number.number, country)) continue;
    if (have.type.empty()) have.type = number.type;
    return;
  }
  numbers.push_back(std::move(number));
}

// One contact of the units, named `name`; markers count when `typed`.
ExportContact contact_of(const std::vector<const Unit*>& units, const std::string& name, bool typed,
                         const std::vector<PhoneBookEntry>& entries, const ContactExportOptions& options) {
  ExportContact c;
  c.formatted = name;
  const Unit& first = *units.front();
  // A marked entry taken alone keeps its marker in the name ("Bob H"), so
  // that an address book tells it from the others.
  const PersonName person = split_person_name(name);
  c.given = person.given;
  c.family = person.family;
  c.uid = entry_uid(entries[first.entries.front()], options.uid_seed);
  for (const Unit* u : units) {
    const std::string marker = typed && u->marker ? u->marker->type : std::string();
    add_number(c.numbers,
               ContactNumber{international_number(u->number, options.country),
                             number_type(u->number, options.country, marker)},
               options.country);
    for (std::size_t i : u->entries) {
      add_category(c.categories, entry_category(entries[i], options.group_names));
      c.entries.push_back(i);
    }
  }
  std::sort(c.entries.begin(), c.entries.end());
  return c;
}

// "+" and digits only: a number a tel: URI holds as it is.
bool e164_form(const std::string& number) {
  return number.size() > 1 && number[0] == '+' &&
         std::all_of(number.begin() + 1, number.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
}

std::string type_in_version(const std::string& type, int version) {
  if (version != 4) return type;
  std::string out = type;
  for (char& ch : out) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::string entry_uid(const PhoneBookEntry& entry, const std::string& uid_seed) {
  const int memory = known_memory(entry.Type);
  std::string key = uid_seed + '\x1F' + (memory >= 0 ? std::to_string(memory) : "t:" + entry.Type) + '\x1F';
  const std::string pos = clean_field(entry.Pos);
  key += pos;
  if (pos.empty()) key += '\x1F' + shown_name(entry) + '\x1F' + stored_number(entry);
  return uid_of(key);
}

std::string entry_category(const PhoneBookEntry& entry, const std::array<std::string, 5>& group_names) {
  const int group = known_group(entry.Group);
  if (group == kNoGroup) return {};
  if (group >= 0 && group < static_cast<int>(group_names.size()) &&
      !group_names[static_cast<std::size_t>(group)].empty()) {
    return clean_field(group_names[static_cast<std::size_t>(group)]);
  }
  return clean_field(entry.Group);
}

std::string number_type(const std::string& number, const std::string& country, const std::string& marker_type) {
  if (!marker_type.empty()) return marker_type;
  return mobile_number(number, country) ? "CELL" : "";
}

ContactPlan plan_contacts(const std::vector<PhoneBookEntry>& entries, const ContactExportOptions& options) {
  ContactPlan plan;
  std::vector<Unit> units;
  std::map<std::string, std::vector<std::size_t>> units_named;  // name -> its units
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PhoneBookEntry& e = entries[i];
    const int memory = known_memory(e.Type);
    const std::string name = shown_name(e);
    const std::string number = stored_number(e);
    if (!e.Time.empty() || memory >= kFirstCallRegister) {
      plan.left_out.push_back({i, LeftOutReason::CallRegister});
    } else if (name.empty()) {
      plan.left_out.push_back({i, LeftOutReason::NoName});
    } else if (number.empty()) {
      plan.left_out.push_back({i, LeftOutReason::NoNumber});
    } else {
      std::vector<std::size_t>& named = units_named[name];
      const auto same = std::find_if(named.begin(), named.end(), [&](std::size_t k) {
        return same_number(units[k].number, number, options.country);
      });
      if (same != named.end()) {
        units[*same].entries.push_back(i);
        ++plan.merged_duplicates;
      } else {
        named.push_back(units.size());
        units.push_back(Unit{{i}, name, number, marked_name(name)});
      }
    }
  }

  // Marker groups: two or more units of one base name, one of them marked.
  std::map<std::string, std::vector<std::size_t>> by_base;
  std::vector<std::string> bases;  // in order of first appearance
  for (std::size_t k = 0; k < units.size(); ++k) {
    const std::string base = units[k].marker ? units[k].marker->base : units[k].name;
    auto [at, added] = by_base.try_emplace(base);
    if (added) bases.push_back(base);
    at->second.push_back(k);
  }
  for (const std::string& base : bases) {
    const std::vector<std::size_t>& members = by_base[base];
    const bool any_marked = std::any_of(members.begin(), members.end(), [&](std::size_t k) {
      return units[k].marker.has_value();
    });
    if (members.size() < 2 || !any_marked) continue;
    MergeOffer offer{base, {}};
    for (std::size_t k : members) {
      units[k].group = static_cast<int>(plan.offers.size());
      offer.entries.insert(offer.entries.end(), units[k].entries.begin(), units[k].entries.end());
    }
    std::sort(offer.entries.begin(), offer.entries.end());
    plan.offers.push_back(std::move(offer));
  }

  std::vector<bool> done(plan.offers.size(), false);
  for (const Unit& u : units) {
    if (options.merge_marked && u.group >= 0) {
      const auto g = static_cast<std::size_t>(u.group);
      if (done[g]) continue;
      done[g] = true;
      std::vector<const Unit*> members;
      for (const Unit& other : units) {
        if (other.group == u.group) members.push_back(&other);
      }
      plan.contacts.push_back(contact_of(members, plan.offers[g].name, true, entries, options));
      continue;
    }
    // A single-letter marker counts only beside another entry of the base name.
    const bool typed = u.marker && (!u.marker->letter || u.group >= 0);
    plan.contacts.push_back(contact_of({&u}, u.name, typed, entries, options));
  }
  return plan;
}

std::string write_contacts_vcf(const ContactPlan& plan, const ContactExportOptions& options) {
  const bool four = options.vcard_version == 4;
  std::string out;
  for (const ExportContact& c : plan.contacts) {
    put_vcard_line(out, "BEGIN:VCARD");
    put_vcard_line(out, four ? "VERSION:4.0" : "VERSION:3.0");
    put_vcard_line(out, "UID:" + std::string(four ? "urn:uuid:" : "") + vcard_escape(c.uid));
    put_vcard_line(out, "FN:" + vcard_escape(c.formatted));
    put_vcard_line(out, "N:" + vcard_escape(c.family) + ";" + vcard_escape(c.given) + ";;;");
    for (const ContactNumber& n : c.numbers) {
      const std::string type = n.type.empty() ? "" : ";TYPE=" + type_in_version(n.type, options.vcard_version);
      if (four && e164_form(n.number)) {
        put_vcard_line(out, "TEL;VALUE=uri" + type + ":tel:" + n.number);
      } else {
        put_vcard_line(out, "TEL" + type + ":" + vcard_escape(n.number));
      }
    }
    if (!c.categories.empty()) {
      std::string line = "CATEGORIES:";
      for (std::size_t k = 0; k < c.categories.size(); ++k) {
        if (k) line.push_back(',');
        line += vcard_escape(c.categories[k]);
      }
      put_vcard_line(out, line);
    }
    put_vcard_line(out, "END:VCARD");
  }
  return out;
}

}  // namespace phondeck
