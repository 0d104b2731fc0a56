#include "link/link_log.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/phone_link.h"
#include "link/serial_port.h"
#include "link_fakes.h"

namespace phondeck {
namespace {

using testing::Bytes;
using testing::handset_ack;
using testing::handset_frame;
using testing::pc_request;

std::string hex(const Bytes& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out = "  |";
  for (const std::uint8_t b : bytes) {
    out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

// A family that takes every reply of type 0x03 as its answer.
class TakeReplies final : public FamilyHandler {
 public:
  void send_phase(OperationEngine&) override {}
  void reply_phase(OperationEngine& engine, const LinkFrame& frame) override {
    if (frame.type() == 0x03) engine.frames().acknowledge(frame.type());
  }
};

class LinkLogTest : public ::testing::Test {
 protected:
  LinkLogTest() : clock(1000), timer(clock) {
    auto fake = std::make_unique<testing::FakePort>();
    port = fake.get();
    link = std::make_unique<PhoneLink>(std::move(fake), timer, clock, prompt, observer);
    link->engine().register_family(LinkState::PhoneBook, &family);
    LinkFlags& flags = link->frames().flags();
    flags.link_state = LinkState::PhoneBook;
    flags.connected = 1;
  }
  void feed(const Bytes& bytes) { link->frames().receive(bytes.data(), bytes.size()); }

  testing::FakeClock clock;
  testing::VirtualTimer timer;
  testing::ScriptedPrompt prompt;
  testing::RecordingObserver observer;
  testing::FakePort* port = nullptr;
  TakeReplies family;
  std::unique_ptr<PhoneLink> link;
};

// Each kind of entry, made the way the link makes it, and the lines it gives:
// the time since the log began, the direction, what it is, the bytes.
TEST_F(LinkLogTest, EachKindOfEntryGivesItsLine) {
  const Bytes status_request = pc_request(0x03, {0x00, 0x01, 0x00, 0x07, 0x02}, 0x42);
  const Bytes entry_reply = handset_frame(0x03, {0x00, 0x01, 0x00, 0x08, 0x02, 0xC0, 0x08, 0x01, 0x41});
  const Bytes ack_of_reply = testing::pc_ack(0x03, 0x41);
  Bytes broken = handset_frame(0x03, {0x00, 0x01, 0x00, 0x02, 0x02, 0x01, 0x00, 0x01, 0x43});
  broken.back() ^= 0x01;
  const Bytes unknown = handset_frame(0x99, {0x00, 0x01, 0x00, 0x2A, 0x01, 0x44});
  const Bytes later = handset_frame(0x14, {0x10, 0x11, 0x12, 0x13, 0x01, 0x05});
  const Bytes cut = Bytes(entry_reply.begin(), entry_reply.begin() + 8);

  struct Row {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> lines;
  };
  const std::vector<Row> rows{
      {"request", [&] { link->frames().send_request(0x03, std::span(status_request).subspan(6, 5), 1); },
       {"        5 ms  PC>   0x03 phone book / 0x07 memory status seq 0x42" + hex(status_request)}},
      {"handset's acknowledgement", [&] { feed(handset_ack(0x03, 0x42)); },
       {"        5 ms  <HS   ack of 0x03 phone book seq 0x02" + hex(handset_ack(0x03, 0x42))}},
      {"reply and our acknowledgement", [&] { feed(entry_reply); },
       {"        5 ms  <HS   0x03 phone book / 0x08 memory status seq 0x41" + hex(entry_reply),
        "        5 ms  PC>   ack of 0x03 phone book seq 0x01" + hex(ack_of_reply)}},
      {"repeat", [&] { feed(entry_reply); },
       {"        5 ms  <HS   repeat, acknowledged again: 0x03 phone book / 0x08 memory status seq 0x41" +
            hex(entry_reply),
        "        5 ms  PC>   ack of 0x03 phone book seq 0x01" + hex(ack_of_reply)}},
      {"retransmission", [&] { link->frames().retransmit(); },
       {"        5 ms  PC>   resend 1: 0x03 phone book / 0x07 memory status seq 0x42" + hex(status_request)}},
      {"bad checksum", [&] { feed(broken); },
       {"        5 ms  <HS   broken, dropped: 0x03 phone book / 0x02 entry seq 0x43" + hex(broken)}},
      {"echo of our own frame", [&] { feed(status_request); },
       {"        5 ms  <HS   echo: 0x03 phone book / 0x07 memory status seq 0x42" + hex(status_request)}},
      {"unknown type and sub-type", [&] { feed(unknown); },
       {"        5 ms  <HS   0x99 / 0x2A seq 0x44" + hex(unknown)}},
      {"later frame of a message: no sub-type", [&] { feed(later); },
       {"        5 ms  <HS   0x14 message memory, later frame seq 0x05" + hex(later)}},
      {"frame cut short", [&] { link->log().frame(TapKind::Received, cut); },
       {"        5 ms  <HS   0x03 phone book, cut short (8 of 18 bytes)" + hex(cut)}},
      {"fragment", [&] { link->log().frame(TapKind::Broken, std::span(cut).first(3)); },
       {"        5 ms  <HS   broken, dropped: fragment of 3 bytes" + hex(Bytes(cut.begin(), cut.begin() + 3))}},
      {"wake-up burst", [&] { link->frames().sync_burst(3); }, {"        5 ms  PC>   wake-up, 32 bytes of 0x55"}},
      {"line error", [&] { link->Comm1Error(12); }, {"        5 ms  port  line error: flags 12, parity, framing"}},
      {"three time-outs: sent afresh", [&] { link->frames().retransmit(), link->frames().retransmit(); },
       {"        5 ms  PC>   resend 2: wake-up, 32 bytes of 0x55",
        "        5 ms  link  no answer to 2 retransmissions: the step is sent afresh"}},
      {"reset", [&] { link->engine().reset(); }, {"        5 ms  link  reset: Disconnected"}},
      {"frame while the link is down", [&] { feed(unknown); },
       {"        5 ms  <HS   not connected, dropped: 0x99 / 0x2A seq 0x44" + hex(unknown)}},
  };
  clock.now += 5;
  for (const Row& row : rows) {
    std::uint64_t seen = link->log().recorded();
    row.act();
    EXPECT_EQ(link->log().lines_since(seen), row.lines) << row.what;
  }
  EXPECT_EQ(link->log().last_error(), "flags 12, parity, framing");
}

// The ring keeps the last 2,000 entries; a reader that remembers how many it
// saw gets only what came since, and Copy Diagnostics' frames skip events.
TEST_F(LinkLogTest, RingKeepsTheLastTwoThousand) {
  LinkLog& log = link->log();
  std::vector<std::string> sink;
  log.add_sink([&sink](const std::string& line) { sink.push_back(line); });
  const Bytes frame = handset_ack(0x04, 0x01);
  for (int i = 0; i < 2005; ++i) {
    if (i % 2 == 0) {
      log.event(TapKind::Engine, "event " + std::to_string(i));
    } else {
      log.frame(TapKind::Received, frame);
    }
  }
  EXPECT_EQ(log.size(), LinkLog::kKept);
  EXPECT_EQ(sink.size(), 2005u);
  const std::vector<std::string> kept = log.lines();
  ASSERT_EQ(kept.size(), LinkLog::kKept);
  // Entries 5 .. 2004 are kept: a frame, then event 6.
  EXPECT_EQ(kept[1], "        0 ms  link  event 6");
  EXPECT_EQ(kept.back(), "        0 ms  link  event 2004");
  EXPECT_EQ(kept.back(), sink.back());

  std::uint64_t seen = 2002;
  EXPECT_EQ(log.lines_since(seen).size(), 3u);
  EXPECT_EQ(seen, 2005u);
  const std::vector<std::string> frames = log.frame_lines(50);
  ASSERT_EQ(frames.size(), 50u);
  EXPECT_NE(frames.back().find("ack of 0x04 status"), std::string::npos);

  log.clear();
  EXPECT_EQ(log.size(), 0u);
  EXPECT_TRUE(log.lines().empty());
  EXPECT_TRUE(log.last_error().empty());
}

// The serial port tells the log of its failures (the first line, without the
// advice that follows it for the user).
TEST(LinkLogSerialPort, OpenFailureIsLoggedAsThePortError) {
  testing::FakeClock clock(50);
  testing::ScriptedPrompt prompt;
  struct NoSink final : WindowMessageSink {
    void post(int, std::uint32_t) override {}
  } sink;
  LinkLog log(clock);
  SerialPort port(prompt, sink);
  port.set_tap(&log);
  port.set_device("/nonexistent/ttyUSB9");
  EXPECT_EQ(port.open(), 1);
  const std::vector<std::string> lines = log.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "        0 ms  port  error: ERROR: Serial 10 (2) No such file or directory: /nonexistent/ttyUSB9");
  EXPECT_EQ(log.last_error(), "ERROR: Serial 10 (2) No such file or directory: /nonexistent/ttyUSB9");
}

}  // namespace
}  // namespace phondeck
