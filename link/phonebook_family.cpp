#include "link/phonebook_family.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "link/phonebook_names.h"
#include "phonebook/phone_book.h"
#include "phonebook/phone_book_list.h"
#include "phonebook/value_tables.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypePhoneBook = kMsgPhoneBook;
constexpr int kSubMemoryStatus = 0x08;
constexpr int kSubEntry = 0x02;
constexpr int kSubWritten = 0x05;
constexpr int kSubReadError = 0x03;
constexpr int kTextReadProcessing = 3002;
constexpr int kTextReadCompleted = 3003;
constexpr int kTextWriteProcessing = 3004;
constexpr int kTextWriteCompleted = 3005;
constexpr int kTextNotEnoughMemory = 3404;
constexpr int kTextSureFirstRecord = 3202;
constexpr int kTextFailed = 3504;
constexpr int kTextMore = 3627;
constexpr int kTextWriteAllProcessing = 3631;
constexpr int kTextWriteAllCompleted = 3632;
constexpr int kTextReplaceBook = 3633;
constexpr int kTextWriteAllCount = 3634;
constexpr int kTextNotWritten = 3635;
constexpr int kTextNameTooLong = 3636;
constexpr int kTextNumberTooLong = 3637;
constexpr int kTextInvalidLocation = 3638;
constexpr int kTextSamePosition = 3639;
constexpr int kTextImportTookNothing = 3640;
constexpr int kTextImportLeftOut = 3641;
// Refused entries named in the closing message; the rest are counted.
constexpr std::size_t kListedRefusals = 20;
// A position is one byte on the wire.
constexpr int kLastPosition = 255;
// A write request is one frame: its data, trailer included, fits a length byte.
constexpr std::size_t kMaxRequestData = 255;

std::uint8_t wire_memory(int index) { return static_cast<std::uint8_t>(index + 2); }

// Models beginning with "5" keep their phone book on the SIM only.
int first_memory(const OperationEngine& engine) { return engine.info().model_lacks_features() ? 1 : 0; }

std::string fill(std::string text, const std::string& mark, const std::string& value) {
  if (const auto at = text.find(mark); at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

// How an entry is named in messages: its name, else its UNICODE name, else its number.
std::string label(const PhoneBookEntry& e) {
  if (!e.Name.empty()) return e.Name;
  if (!e.UNICODE.empty()) return e.UNICODE;
  return e.Phone;
}

std::string refusal_reason(int code) {
  switch (code) {
    case kRefusedNameTooLong: return tx(kTextNameTooLong);
    case kRefusedNumberTooLong: return tx(kTextNumberTooLong);
    case kRefusedMemoryFull: return tx(kTextNotEnoughMemory);
    case kRefusedInvalidLocation: return tx(kTextInvalidLocation);
    default: {
      char code_text[16];
      std::snprintf(code_text, sizeof code_text, " (0x%02X)", code & 0xFF);
      return tx(kTextFailed) + code_text;
    }
  }
}

std::string written_count(int written, std::size_t total) {
  return fill(fill(tx(kTextWriteAllCount), "%1", std::to_string(written)), "%2", std::to_string(total));
}

std::array<int, 2> capacities(OperationEngine& engine) {
  return {engine.memory()[0].capacity, engine.memory()[1].capacity};
}

Operation write_all_operation(bool replace) {
  Operation write;
  write.family = LinkState::PhoneBook;
  write.step = static_cast<int>(PhoneBookFamily::Step::WriteAll);
  OperationParams params;
  PhoneBookParams(params).set_replace(replace);
  write.params = params;
  return write;
}

std::string same_position_text(const PhoneBookEntry& a, const PhoneBookEntry& b) {
  std::string text = fill(fill(tx(kTextSamePosition), "%1", label(a)), "%2", label(b));
  return fill(fill(text, "%3", type_text(entry_memory(a))), "%4", a.Pos);
}

// The contacts an import left out, one a line, the first kListedRefusals of them.
std::string left_out_lines(const ImportNote& note) {
  std::string why;
  for (std::size_t k = 0; k < note.left_out.size() && k < kListedRefusals; ++k) why += "\n" + note.left_out[k];
  if (note.left_out.size() > kListedRefusals) {
    why += "\n... " + std::to_string(note.left_out.size() - kListedRefusals) + " more";
  }
  return why;
}

}  // namespace

int entry_memory(const PhoneBookEntry& entry) { return type_index(entry.Type) == kMemorySim ? 1 : 0; }

int entry_position(const PhoneBookEntry& entry, int capacity) {
  const std::string& text = entry.Pos;
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return 0;
  const auto last = text.find_last_not_of(' ');
  int value = 0;
  const char* begin = text.data() + first;
  const char* end = text.data() + last + 1;
  const auto [at, error] = std::from_chars(begin, end, value);
  if (error != std::errc{} || at != end) return 0;
  return value >= 1 && value <= std::min(capacity, kLastPosition) ? value : 0;
}

std::optional<std::pair<std::size_t, std::size_t>> duplicate_position(const std::vector<PhoneBookEntry>& entries,
                                                                      std::array<int, 2> capacity) {
  std::array<std::array<std::size_t, kLastPosition + 1>, 2> first{};
  for (auto& memory : first) memory.fill(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int memory = entry_memory(entries[i]);
    const int position = entry_position(entries[i], capacity[static_cast<std::size_t>(memory)]);
    if (position == 0) continue;
    std::size_t& seen = first[static_cast<std::size_t>(memory)][static_cast<std::size_t>(position)];
    if (seen != entries.size()) return std::make_pair(seen, i);
    seen = i;
  }
  return std::nullopt;
}

bool start_memory_status(OperationEngine& engine) {
  Operation status;
  status.family = LinkState::PhoneBook;
  status.step = static_cast<int>(PhoneBookFamily::Step::MemoryStatus);
  OperationParams params;
  PhoneBookParams(params).set_memory(first_memory(engine));
  status.params = params;
  return engine.start(status, 0);
}

bool start_phone_book_read(OperationEngine& engine, StartOptions options) {
  Operation read;
  read.family = LinkState::PhoneBook;
  read.step = static_cast<int>(PhoneBookFamily::Step::Read);
  OperationParams params;
  PhoneBookParams p(params);
  // Models beginning with "5" have no phone memory: the read starts at the SIM.
  p.set_memory(first_memory(engine));
  p.set_location(1);
  p.set_count(0);
  read.params = params;
  return engine.guard_without_confirmation(read.with(std::move(options)));
}

bool start_clear_then_write(OperationEngine& engine, StartOptions options) {
  Operation write;
  write.family = LinkState::PhoneBook;
  write.step = static_cast<int>(PhoneBookFamily::Step::Write);
  return engine.guard_with_confirmation(write.with(std::move(options)));
}

std::optional<std::string> write_all_refusal(OperationEngine& engine, const PhoneBookList& list, bool replace) {
  if (const auto same = duplicate_position(list.entries(), capacities(engine))) {
    return same_position_text(list.entry(same->first), list.entry(same->second));
  }
  const std::optional<ImportNote>& note = list.import_note();
  if (replace && note && list.empty() && note->taken == 0) {
    return fill(tx(kTextImportTookNothing), "%1", note->source) + left_out_lines(*note);
  }
  return std::nullopt;
}

std::optional<std::string> write_all_left_out_question(const PhoneBookList& list) {
  const std::optional<ImportNote>& note = list.import_note();
  if (!note || note->left_out.empty()) return std::nullopt;
  std::string text = fill(tx(kTextImportLeftOut), "%1", std::to_string(note->left_out.size()));
  text = fill(fill(text, "%2", note->source), "%3", std::to_string(list.size()));
  return text + left_out_lines(*note);
}

std::string write_all_replace_question() { return tx(kTextReplaceBook); }

std::string clear_then_write_question() { return tx(kTextSureFirstRecord); }

bool start_write_all(OperationEngine& engine, const PhoneBookList& list, bool replace, StartOptions options,
                     bool left_out_accepted) {
  Operation write = write_all_operation(replace);
  write.with(std::move(options));
  const LinkState state = engine.state();
  // The guard says why a link that is not ready refuses.
  if (state != LinkState::Idle && state != LinkState::StatusPoll) return engine.guard_with_confirmation(write);
  if (auto why = write_all_refusal(engine, list, replace)) return engine.refuse(write.done, Refusal::BadInput, *why);
  if (replace && write_all_left_out_question(list) && !left_out_accepted) {
    return engine.refuse(write.done, Refusal::UserSaidNo);
  }
  return engine.guard_with_confirmation(write);
}

void PhoneBookFamily::send_phase(OperationEngine& engine) {
  PhoneBookParams p(engine.params());
  const Step step = engine.step_as<Step>();
  switch (step) {
    case Step::MemoryStatus: {
      if (p.memory() == 1 && first_memory(engine) == 1) {
        // No phone memory: nothing can be read from it or written to it.
        engine.memory()[0] = MemoryStatus{0, 0, 0};
        book_.memory().capacity[0] = 0;
      }
      const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x07, wire_memory(p.memory()), 0x01};
      engine.frames().send_request(kTypePhoneBook, request, 1);
      return;
    }
    case Step::Read:
      engine.open_exchange(Step::ReadStatus);
      return;
    case Step::ReadStatus:
      engine.progress_done();
      engine.status_text_id(kTextReadProcessing);
      engine.push(LinkState::PhoneBook, static_cast<int>(Step::ReadEntry));
      start_memory_status(engine);
      return;
    case Step::ReadEntry:
      send_next_read(engine);
      return;
    case Step::Write:
      engine.progress_done();
      engine.status_text_id(kTextWriteProcessing);
      engine.open_exchange(Step::WriteEntry);
      return;
    case Step::WriteEntry:
      send_write(engine);
      return;
    case Step::WriteAll:
      write_all_begin(engine);
      return;
    default:
      break;
  }
  if (step < Step::WriteAll || step > Step::WriteAllClear) return;
  if (!write_all_) {
    // Nothing left to go on with.
    engine.finish();
    return;
  }
  switch (step) {
    case Step::WriteAllStatus:
      engine.push(LinkState::PhoneBook, static_cast<int>(Step::WriteAllPlan));
      start_memory_status(engine);
      return;
    case Step::WriteAllPlan:
      write_all_plan(engine);
      return;
    case Step::WriteAllProbe:
      write_all_probe(engine);
      return;
    case Step::WriteAllEntry:
      write_all_next(engine);
      return;
    case Step::WriteAllCount:
      engine.push(LinkState::PhoneBook, static_cast<int>(Step::WriteAllSweep));
      start_memory_status(engine);
      return;
    case Step::WriteAllSweep:
      write_all_sweep(engine);
      return;
    case Step::WriteAllClear: {
      // Written empty: no name, no number.
      const int memory = write_all_->sweeping;
      const std::array<std::uint8_t, 9> request{
          0x00, 0x01, 0x00, 0x04, wire_memory(memory),
          static_cast<std::uint8_t>(write_all_->cursor[static_cast<std::size_t>(memory)]), 0x00, 0x00, 0x00};
      engine.frames().send_request(kTypePhoneBook, request, 1);
      return;
    }
    default:
      return;
  }
}

void PhoneBookFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypePhoneBook) return;
  const int sub = frame.sub_type();
  switch (engine.step_as<Step>()) {
    case Step::MemoryStatus:
      if (sub == kSubMemoryStatus) store_memory_status(engine, frame);
      return;
    case Step::ReadEntry:
      if (sub == kSubEntry) store_entry(engine, frame);
      return;
    case Step::WriteEntry:
      if (sub != kSubWritten) return;
      {
        PhoneBookParams p(engine.params());
        p.set_count(p.count() + 1);
      }
      engine.result().entries = 1;
      engine.progress_advance();
      engine.frames().acknowledge(kTypePhoneBook);
      engine.finish(kTextWriteCompleted);
      return;
    case Step::WriteAllProbe:
    case Step::WriteAllEntry:
    case Step::WriteAllSweep:
    case Step::WriteAllClear:
      if (write_all_) write_all_reply(engine, frame);
      return;
    default:
      return;
  }
}

void PhoneBookFamily::link_reset() { book_.memory().reset_capacities(); }

void PhoneBookFamily::store_memory_status(OperationEngine& engine, const LinkFrame& frame) {
  PhoneBookParams p(engine.params());
  const int index = p.memory();
  MemoryStatus& memory = engine.memory()[static_cast<std::size_t>(index)];
  memory.free = static_cast<std::uint8_t>(std::max(frame.data(5), 0));
  memory.used = static_cast<std::uint8_t>(std::max(frame.data(6), 0));
  memory.capacity = static_cast<std::uint8_t>(memory.free + memory.used);
  book_.memory().capacity[static_cast<std::size_t>(index)] = memory.capacity;
  if (index == 0) {
    p.set_memory(1);
    engine.frames().acknowledge(kTypePhoneBook);
    return;
  }
  engine.frames().acknowledge(kTypePhoneBook);
  engine.set_end();
}

void PhoneBookFamily::send_next_read(OperationEngine& engine) {
  PhoneBookParams p(engine.params());
  const MemoryTable& memory = engine.memory();
  engine.progress_max(memory[0].used + memory[1].used);
  auto current = [&]() -> const MemoryStatus& { return memory[static_cast<std::size_t>(p.memory())]; };
  if (p.count() >= current().used || p.location() > current().capacity) {
    if (p.memory() == 0) {
      p.set_memory(1);
      p.set_location(1);
      p.set_count(0);
    }
    if (p.count() >= current().used) {
      book_.active().mark_kept();  // the list is the handset's phone book
      book_.active().set_import_note(std::nullopt);
      if (refresh_) refresh_();
      engine.finish(kTextReadCompleted);
      return;
    }
  }
  const std::array<std::uint8_t, 8> request{
      0x00, 0x01, 0x00, 0x01, wire_memory(p.memory()), static_cast<std::uint8_t>(p.location()), 0x00, 0x01};
  engine.frames().send_request(kTypePhoneBook, request, 1);
}

void PhoneBookFamily::store_entry(OperationEngine& engine, const LinkFrame& frame) {
  EntryReply reply;
  // A reply too short for the lengths it states is not taken (nor
  // acknowledged): the handset sends it again.
  if (!parse_entry_reply({frame.data(), frame.data_length()}, reply)) return;
  PhoneBookParams p(engine.params());
  const int memory = p.memory();
  if (!reply.empty()) {
    const DecodedName name = decode_entry_name(reply.name, engine.info().name_length_limit);
    const int group = engine.info().model_lacks_features() ? 5 : reply.group;
    PhoneBookList& list = book_.active();
    PhoneBook::add_entry(list, name.name, name.unicode, reply.number, type_text(memory),
                         std::to_string(p.location()), group_text(group), write_as_text(static_cast<int>(name.write_as)),
                         std::string());
    PhoneBookEntry& added = list.entry(list.size() - 1);
    added.handset_name = PhoneBookEntry::HandsetName{reply.name, added.Name, added.UNICODE, added.WriteAs};
    engine.progress_advance();
    p.set_count(p.count() + 1);
    ++engine.result().entries;
  }
  p.set_location(p.location() + 1);
  engine.frames().acknowledge(kTypePhoneBook);
}

void PhoneBookFamily::send_write(OperationEngine& engine) {
  const PhoneBookList& list = book_.active();
  engine.progress_max(static_cast<int>(list.size()));
  if (list.size() == 0) {
    engine.finish(kTextWriteCompleted);
    return;
  }
  const PhoneBookEntry& entry = list.entry(0);
  // Only the two phone-book memories can be written; any other type text
  // counts as the phone memory.
  const int memory = type_index(entry.Type) == kMemorySim ? 1 : 0;
  if (engine.memory()[static_cast<std::size_t>(memory)].capacity == 0) {
    // Nothing can be written there: end the operation rather than leave the
    // link busy, and say so.
    engine.result().message = tx(kTextNotEnoughMemory);
    engine.finish_failed(-1, kTextWriteCompleted);
    return;
  }
  send_entry(engine, entry, memory, 1);
}

void PhoneBookFamily::send_entry(OperationEngine& engine, const PhoneBookEntry& entry, int memory, int location) {
  const int group = std::clamp(group_index(entry.Group), 0, 5);
  NameToEncode in;
  in.name = entry.Name;
  in.unicode = entry.UNICODE;
  in.write_as = static_cast<WriteAs>(std::clamp(write_as_index(entry.WriteAs), 0, 4));
  in.group = group;
  in.memory = memory;
  in.limit = engine.info().name_length_limit;
  in.model = engine.info().model;
  in.multibyte = config().MultiByte != 0;
  if (const auto* bytes = entry.unchanged_handset_name()) in.handset_bytes = *bytes;
  const std::vector<std::uint8_t> name = encode_name(in);

  std::vector<std::uint8_t> payload{0x00, 0x01, 0x00, 0x04, wire_memory(memory), static_cast<std::uint8_t>(location),
                                    static_cast<std::uint8_t>(name.size())};
  payload.insert(payload.end(), name.begin(), name.end());
  // The number is cut so that the request stays one frame.
  const std::size_t room = kMaxRequestData - payload.size() - 2 /*M, group*/ - 2 /*trailer*/;
  const std::size_t number_length = std::min(entry.Phone.size(), room);
  payload.push_back(static_cast<std::uint8_t>(number_length));
  payload.insert(payload.end(), entry.Phone.begin(), entry.Phone.begin() + static_cast<long>(number_length));
  payload.push_back(static_cast<std::uint8_t>(group));
  engine.frames().send_request(kTypePhoneBook, payload, 1);
}

// ---- Write All ----

void PhoneBookFamily::end_write_all(OperationEngine& engine, const std::string& status) {
  engine.status_text(status);
  engine.finish();
}

void PhoneBookFamily::write_all_begin(OperationEngine& engine) {
  WriteAll w;
  w.replace = PhoneBookParams(engine.params()).replace();
  const PhoneBookList& list = book_.active();
  for (std::size_t i = 0; i < list.size(); ++i) {
    WriteAllItem item;
    item.index = i;
    item.entry = list.entry(i);
    item.memory = entry_memory(item.entry);
    w.items.push_back(std::move(item));
  }
  write_all_ = std::move(w);
  engine.progress_done();
  engine.status_text_id(kTextWriteAllProcessing);
  engine.open_exchange(Step::WriteAllStatus);
}

void PhoneBookFamily::write_all_plan(OperationEngine& engine) {
  WriteAll& w = *write_all_;
  const std::array<int, 2> capacity = capacities(engine);
  std::vector<PhoneBookEntry> entries;
  for (const WriteAllItem& item : w.items) entries.push_back(item.entry);
  if (const auto same = duplicate_position(entries, capacity)) {
    // Only a memory grown since the start can make this so: still nothing is written.
    OperationResult& result = engine.result();
    result.ending = Ending::Refused;
    result.refusal = Refusal::BadInput;
    result.message = same_position_text(entries[same->first], entries[same->second]);
    write_all_.reset();
    end_write_all(engine, written_count(0, entries.size()));
    return;
  }
  w.next = 0;
  w.cursor = {1, 1};
  w.to_clear = {0, 0};
  w.counted = false;
  w.written = 0;
  engine.progress_max(static_cast<int>(w.items.size()));
  for (WriteAllItem& item : w.items) {
    item.outcome = WriteAllItem::Outcome::Pending;
    item.reason.clear();
    item.code = -1;
    item.position = entry_position(item.entry, capacity[static_cast<std::size_t>(item.memory)]);
    item.from_list = item.position != 0;
    if (capacity[static_cast<std::size_t>(item.memory)] == 0) refuse_item(engine, item, tx(kTextNotEnoughMemory));
  }
  engine.set_step(Step::WriteAllProbe);
  write_all_probe(engine);
}

bool PhoneBookFamily::position_taken(int memory, int position) const {
  for (const WriteAllItem& item : write_all_->items) {
    if (item.memory == memory && item.position == position &&
        (item.from_list || item.outcome != WriteAllItem::Outcome::Refused)) {
      return true;
    }
  }
  return false;
}

void PhoneBookFamily::refuse_item(OperationEngine& engine, WriteAllItem& item, std::string reason, int code) {
  item.outcome = WriteAllItem::Outcome::Refused;
  item.reason = std::move(reason);
  item.code = code;
  engine.progress_advance();
}

void PhoneBookFamily::send_read(OperationEngine& engine, int memory, int location) {
  const std::array<std::uint8_t, 8> request{
      0x00, 0x01, 0x00, 0x01, wire_memory(memory), static_cast<std::uint8_t>(location), 0x00, 0x01};
  engine.frames().send_request(kTypePhoneBook, request, 1);
}

// Entries without a position of their own take the free positions of their
// memory in turn: those the list does not use and, unless the rest of the
// memory is to be cleared anyway, that the handset reads as empty.
void PhoneBookFamily::write_all_probe(OperationEngine& engine) {
  WriteAll& w = *write_all_;
  for (WriteAllItem& item : w.items) {
    if (item.outcome != WriteAllItem::Outcome::Pending || item.position != 0) continue;
    const auto m = static_cast<std::size_t>(item.memory);
    const MemoryStatus& status = engine.memory()[m];
    const int last = std::min<int>(status.capacity, kLastPosition);
    int& candidate = w.cursor[m];
    while (candidate <= last && position_taken(item.memory, candidate)) ++candidate;
    if (candidate > last) {
      refuse_item(engine, item, tx(kTextNotEnoughMemory));
      continue;
    }
    if (!w.replace && status.used != 0) {
      send_read(engine, item.memory, candidate);
      return;
    }
    item.position = candidate++;
  }
  engine.set_step(Step::WriteAllEntry);
  write_all_next(engine);
}

void PhoneBookFamily::write_all_next(OperationEngine& engine) {
  WriteAll& w = *write_all_;
  while (w.next < w.items.size() && w.items[w.next].outcome != WriteAllItem::Outcome::Pending) ++w.next;
  if (w.next < w.items.size()) {
    const WriteAllItem& item = w.items[w.next];
    send_entry(engine, item.entry, item.memory, item.position);
    return;
  }
  if (w.replace) {
    engine.set_step(Step::WriteAllCount);
    send_phase(engine);
    return;
  }
  write_all_finish(engine);
}

// The handset's entries at positions the write did not use are cleared: as
// many as its used count says there are beyond those written.
void PhoneBookFamily::write_all_sweep(OperationEngine& engine) {
  WriteAll& w = *write_all_;
  if (!w.counted) {
    w.counted = true;
    w.cursor = {1, 1};
    for (std::size_t m = 0; m < 2; ++m) {
      const int written = static_cast<int>(std::count_if(w.items.begin(), w.items.end(), [m](const WriteAllItem& i) {
        return i.memory == static_cast<int>(m) && i.outcome == WriteAllItem::Outcome::Written;
      }));
      w.to_clear[m] = std::max(0, engine.memory()[m].used - written);
    }
  }
  for (int m = 0; m < 2; ++m) {
    const auto index = static_cast<std::size_t>(m);
    if (w.to_clear[index] <= 0) continue;
    const int last = std::min<int>(engine.memory()[index].capacity, kLastPosition);
    int& candidate = w.cursor[index];
    while (candidate <= last && position_taken(m, candidate)) ++candidate;
    if (candidate > last) {
      w.to_clear[index] = 0;
      continue;
    }
    w.sweeping = m;
    send_read(engine, m, candidate);
    return;
  }
  write_all_finish(engine);
}

void PhoneBookFamily::write_all_reply(OperationEngine& engine, const LinkFrame& frame) {
  WriteAll& w = *write_all_;
  const int sub = frame.sub_type();
  switch (engine.step_as<Step>()) {
    case Step::WriteAllProbe:
    case Step::WriteAllSweep: {
      bool empty = false;
      bool unreadable = false;  // nothing more is taken from this memory
      if (sub == kSubEntry) {
        EntryReply reply;
        if (!parse_entry_reply({frame.data(), frame.data_length()}, reply)) return;
        empty = reply.empty();
      } else if (sub == kSubReadError) {
        empty = frame.data(4) == kRefusedInvalidLocation;  // "empty or invalid location"
        unreadable = !empty;
      } else {
        return;
      }
      engine.frames().acknowledge(kTypePhoneBook);
      if (engine.step_as<Step>() == Step::WriteAllProbe) {
        // The reply is for the first entry still without a position.
        for (WriteAllItem& item : w.items) {
          if (item.outcome != WriteAllItem::Outcome::Pending || item.position != 0) continue;
          int& candidate = w.cursor[static_cast<std::size_t>(item.memory)];
          if (unreadable) {
            candidate = kLastPosition + 1;
          } else if (empty) {
            item.position = candidate++;
          } else {
            ++candidate;
          }
          break;
        }
        return;
      }
      const auto m = static_cast<std::size_t>(w.sweeping);
      if (unreadable) {
        w.to_clear[m] = 0;
      } else if (empty) {
        ++w.cursor[m];
      } else {
        engine.set_step(Step::WriteAllClear);
      }
      return;
    }
    case Step::WriteAllEntry: {
      if (sub != kSubWritten && sub != kPhoneBookWriteRefused) return;
      engine.frames().acknowledge(kTypePhoneBook);
      if (w.next >= w.items.size()) return;
      WriteAllItem& item = w.items[w.next++];
      if (sub == kSubWritten) {
        item.outcome = WriteAllItem::Outcome::Written;
        ++w.written;
        engine.progress_advance();
      } else {
        refuse_item(engine, item, refusal_reason(frame.data(4)), frame.data(4));
      }
      return;
    }
    case Step::WriteAllClear: {
      if (sub != kSubWritten && sub != kPhoneBookWriteRefused) return;
      engine.frames().acknowledge(kTypePhoneBook);
      const auto m = static_cast<std::size_t>(w.sweeping);
      // A location the handset will not clear is left as it is.
      if (sub == kSubWritten) --w.to_clear[m];
      ++w.cursor[m];
      engine.set_step(Step::WriteAllSweep);
      return;
    }
    default:
      return;
  }
}

void PhoneBookFamily::write_all_finish(OperationEngine& engine) {
  const WriteAll w = std::move(*write_all_);
  write_all_.reset();
  // Entries placed at free positions take them, unless changed meanwhile.
  PhoneBookList& list = book_.active();
  bool placed = false;
  std::string refused;
  int refusals = 0;
  int first_code = -1;
  for (const WriteAllItem& item : w.items) {
    if (item.outcome == WriteAllItem::Outcome::Refused) {
      if (static_cast<std::size_t>(refusals++) < kListedRefusals) refused += "\n" + label(item.entry) + ": " + item.reason;
      if (first_code < 0) first_code = item.code;
      continue;
    }
    if (item.from_list || item.index >= list.size() || !(list.entry(item.index) == item.entry)) continue;
    list.entry(item.index).Pos = std::to_string(item.position);
    placed = true;
  }
  // "(Completed)" only when every entry is in the handset; the list is then kept there.
  const bool all_written = w.written == static_cast<int>(w.items.size());
  if (all_written) {
    list.mark_kept();
    list.set_import_note(std::nullopt);
  }
  if (placed && refresh_) refresh_();
  OperationResult& result = engine.result();
  result.entries = w.written;
  result.refused_items = refusals;
  if (refusals > 0) {
    if (static_cast<std::size_t>(refusals) > kListedRefusals) {
      refused += "\n" + fill(tx(kTextMore), "%1", std::to_string(refusals - static_cast<int>(kListedRefusals)));
    }
    result.message = written_count(w.written, w.items.size()) + "\n" + tx(kTextNotWritten) + refused;
  }
  const std::string status = all_written ? tx(kTextWriteAllCompleted) : written_count(w.written, w.items.size());
  // Nothing written, every entry refused: the write failed, with the handset's first reason.
  if (w.written == 0 && refusals > 0) {
    engine.status_text(status);
    engine.finish_failed(first_code);
    return;
  }
  end_write_all(engine, status);
}

void PhoneBookFamily::operation_abandoned(OperationResult& lost) {
  if (!write_all_) return;
  const WriteAll w = std::move(*write_all_);
  write_all_.reset();
  // The list stays as it was: the positions taken are not known to hold the entries.
  lost.entries = w.written;
  lost.refused_items = static_cast<int>(std::count_if(w.items.begin(), w.items.end(), [](const WriteAllItem& item) {
    return item.outcome == WriteAllItem::Outcome::Refused;
  }));
  lost.message = written_count(w.written, w.items.size());
}

}  // namespace phondeck
