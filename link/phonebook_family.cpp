#include "link/phonebook_family.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/message_types.h"
#include "link/operation_engine.h"
#include "link/phonebook_names.h"
#include "phonebook/phone_book.h"
#include "phonebook/value_tables.h"

namespace phondeck {
namespace {

constexpr std::uint8_t kTypePhoneBook = kMsgPhoneBook;
constexpr int kSubMemoryStatus = 0x08;
constexpr int kSubEntry = 0x02;
constexpr int kSubWritten = 0x05;
constexpr int kTextReadProcessing = 3002;
constexpr int kTextReadCompleted = 3003;
constexpr int kTextWriteProcessing = 3004;
constexpr int kTextWriteCompleted = 3005;
constexpr int kTextNotEnoughMemory = 3404;
// A write request is one frame: its data, trailer included, fits a length byte.
constexpr std::size_t kMaxRequestData = 255;

std::uint8_t wire_memory(int index) { return static_cast<std::uint8_t>(index + 2); }

// Models beginning with "5" keep their phone book on the SIM only.
int first_memory(const OperationEngine& engine) { return engine.info().model_lacks_features() ? 1 : 0; }

}  // namespace

bool start_memory_status(OperationEngine& engine) {
  Operation status;
  status.family = LinkState::PhoneBook;
  status.step = PhoneBookFamily::kStepMemoryStatus;
  OperationParams params;
  PhoneBookParams(params).set_memory(first_memory(engine));
  status.params = params;
  return engine.start(status, 0);
}

bool start_phone_book_read(OperationEngine& engine) {
  Operation read;
  read.family = LinkState::PhoneBook;
  read.step = PhoneBookFamily::kStepRead;
  OperationParams params;
  PhoneBookParams p(params);
  // Models beginning with "5" have no phone memory: the read starts at the SIM.
  p.set_memory(first_memory(engine));
  p.set_location(1);
  p.set_count(0);
  read.params = params;
  return engine.guard_without_confirmation(read);
}

bool start_clear_then_write(OperationEngine& engine) {
  Operation write;
  write.family = LinkState::PhoneBook;
  write.step = PhoneBookFamily::kStepWrite;
  return engine.clear_then_write_command(write);
}

void PhoneBookFamily::send_phase(OperationEngine& engine) {
  PhoneBookParams p(engine.params());
  switch (engine.step()) {
    case kStepMemoryStatus: {
      if (p.memory() == 1 && first_memory(engine) == 1) {
        // No phone memory: nothing can be read from it or written to it.
        engine.memory()[0] = MemoryStatus{0, 0, 0};
        book_.memory().capacity[0] = 0;
      }
      const std::array<std::uint8_t, 6> request{0x00, 0x01, 0x00, 0x07, wire_memory(p.memory()), 0x01};
      engine.frames().send_request(kTypePhoneBook, request, 1);
      return;
    }
    case kStepRead:
      engine.push(LinkState::PhoneBook, kStepReadStatus);
      engine.start_resynchronise();
      return;
    case kStepReadStatus:
      engine.progress_done();
      engine.status_text_id(kTextReadProcessing);
      engine.push(LinkState::PhoneBook, kStepReadEntry);
      start_memory_status(engine);
      return;
    case kStepReadEntry:
      send_next_read(engine);
      return;
    case kStepWrite:
      engine.progress_done();
      engine.status_text_id(kTextWriteProcessing);
      engine.push(LinkState::PhoneBook, kStepWriteEntry);
      engine.start_resynchronise();
      return;
    case kStepWriteEntry:
      send_write(engine);
      return;
    default:
      return;
  }
}

void PhoneBookFamily::reply_phase(OperationEngine& engine, const LinkFrame& frame) {
  if (frame.type() != kTypePhoneBook) return;
  const int sub = frame.sub_type();
  switch (engine.step()) {
    case kStepMemoryStatus:
      if (sub == kSubMemoryStatus) store_memory_status(engine, frame);
      return;
    case kStepReadEntry:
      if (sub == kSubEntry) store_entry(engine, frame);
      return;
    case kStepWriteEntry:
      if (sub != kSubWritten) return;
      {
        PhoneBookParams p(engine.params());
        p.set_count(p.count() + 1);
      }
      engine.progress_advance();
      engine.frames().acknowledge(kTypePhoneBook);
      finish(engine, kTextWriteCompleted);
      return;
    default:
      return;
  }
}

void PhoneBookFamily::link_reset() { book_.memory().reset_capacities(); }

void PhoneBookFamily::finish(OperationEngine& engine, int text_id) {
  engine.status_text_id(text_id);
  engine.progress_done();
  engine.set_end();
  engine.step_end();
}

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
      finish(engine, kTextReadCompleted);
      if (refresh_) refresh_();
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
  }
  p.set_location(p.location() + 1);
  engine.frames().acknowledge(kTypePhoneBook);
}

void PhoneBookFamily::send_write(OperationEngine& engine) {
  const PhoneBookList& list = book_.active();
  engine.progress_max(static_cast<int>(list.size()));
  if (list.size() == 0) {
    finish(engine, kTextWriteCompleted);
    return;
  }
  const PhoneBookEntry& entry = list.entry(0);
  // Only the two phone-book memories can be written; any other type text
  // counts as the phone memory.
  const int memory = type_index(entry.Type) == kMemorySim ? 1 : 0;
  if (engine.memory()[static_cast<std::size_t>(memory)].capacity == 0) {
    // Nothing can be written there: end the operation rather than leave the
    // link busy, then say so.
    finish(engine, kTextWriteCompleted);
    engine.prompt().message(tx(kTextNotEnoughMemory));
    return;
  }
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

  std::vector<std::uint8_t> payload{0x00, 0x01, 0x00, 0x04, wire_memory(memory), 0x01,
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

}  // namespace phondeck
