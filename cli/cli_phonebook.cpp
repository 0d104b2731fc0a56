#include "cli/cli_phonebook.h"

#include <cstddef>
#include <optional>
#include <string>

#include "link/phonebook_family.h"
#include "link/phonebook_questions.h"
#include "phonebook/phone_book_files.h"
#include "phonebook/value_tables.h"

namespace phondeck::cli {

int phonebook_read(Context& c) {
  std::optional<int> memory;
  if (c.inv.has("--memory")) {
    const std::string m = c.inv.value("--memory");
    if (m != "phone" && m != "sim") return usage(c, "--memory is phone or sim");
    memory = m == "phone" ? kMemoryPhone : kMemorySim;
  }
  std::optional<ContactFormat> format;
  const std::string file = c.inv.value("-o");
  if (c.inv.has("-o")) {
    format = contact_format_of(file);
    if (!format) return usage(c, "-o needs a .vcf or .csv file");
  }
  CliSession* s = c.connected();
  if (s == nullptr) return kExitFailed;
  OperationEngine& engine = s->engine();
  // The entries the handset holds, from the connect's memory status.
  const int held = memory ? engine.memory()[static_cast<std::size_t>(*memory)].used
                          : engine.memory()[0].used + engine.memory()[1].used;
  const OperationResult result =
      s->run_operation([&](StartOptions options) { return start_phone_book_read(engine, std::move(options)); });
  const bool complete = result.done();
  PhoneBookList& list = s->session().book().active();
  // A read the link cut short keeps what it read: written out as it would
  // have been, said to be partial, and the exit status says so.
  if (!complete && (list.empty() || result.ending != Ending::LinkLost)) return kExitFailed;
  if (memory) {
    for (std::size_t i = list.size(); i-- > 0;) {
      if (type_index(list.entry(i).Type) != *memory) list.remove(i);
    }
  }
  const std::string partial = complete ? std::string()
                                       : "the read stopped: " + std::to_string(list.size()) +
                                             (held > 0 ? " of " + std::to_string(held) : std::string()) +
                                             " entries read";
  if (format) {
    if (!PhoneBookFiles(s->session().book(), s->prompt()).export_active(file, *format)) return kExitFailed;
    if (!complete) {
      s->fail(partial + "; " + file + " holds them (partial)");
      return kExitFailed;
    }
    c.out.summary(std::to_string(list.size()) + " entries written to " + file);
    return kExitOk;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    const PhoneBookEntry& e = list.entry(i);
    Record r;
    r["memory"] = type_index(e.Type) == kMemorySim ? "sim" : "phone";
    r["position"] = number_in(e.Pos, 0, 1 << 20).value_or(0);
    // A name the handset holds in UCS-2 has only its multi-byte text.
    r["name"] = e.Name.empty() ? e.UNICODE : e.Name;
    r["number"] = e.Phone;
    r["group"] = e.Group;
    c.out.row(r);
  }
  if (!complete) {
    s->fail(partial + " (partial)");
    return kExitFailed;
  }
  return kExitOk;
}

int phonebook_write(Context& c) {
  const std::string file = c.inv.operands.at(0);
  const std::optional<ContactFormat> format = contact_format_of(file);
  if (!format) return usage(c, "FILE is a .vcf or .csv file");
  CliSession& s = c.handset();
  PhoneBook& book = s.session().book();
  PhoneBookFiles files(book, s.prompt());
  files.leave_positions_to_handset();
  // Unreadable, or no entries: said already.
  if (files.import_files(book.active_side(), {file}) == 0) return kExitFailed;
  if (!s.connect()) return kExitFailed;
  const bool replace = c.inv.has("--replace");
  const OperationResult result = s.run_operation([&](StartOptions options) {
    const WriteAllAnswers answers = ask_write_all(s.engine(), s.prompt(), book.active(), replace);
    return start_write_all(s.engine(), book.active(), answers, std::move(options.done));
  });
  // Entries the handset refused were named in the message box.
  if (!result.done_whole()) return kExitFailed;
  c.out.summary(std::to_string(result.entries) + " entries written to the handset");
  return kExitOk;
}

}  // namespace phondeck::cli
