// The virtual handset's link behaviour: waking, acknowledgements, repeats,
// its own sequence numbers, multi-frame messages and retransmission.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "pc_side.h"
#include "sim/handset.h"

namespace phondeck::sim {
namespace {

using namespace testing;

const Bytes kPoll{0x00, 0x01, 0x00, 0x01};
const Bytes kResync{0x00, 0x01, 0x00, 0x03};
const Bytes kIdentify{0x00, 0x01, 0x00, 0x10};

class HandsetLinkTest : public ::testing::Test {
 protected:
  void make(HandsetOptions options = {}, FaultOptions faults = {}, const char* model = "6110") {
    handset_ = std::make_unique<Handset>(clock_, HandsetState::demo(*find_model(model)), options, faults);
    handset_->attach(&line_);
  }
  void send(const Bytes& bytes) { handset_->receive(bytes.data(), bytes.size()); }
  void advance(std::int64_t ms) {
    clock_.now += ms;
    handset_->poll();
  }
  std::vector<SeenFrame> messages() const {
    std::vector<SeenFrame> out;
    for (const SeenFrame& f : line_.frames()) {
      if (f.type != 0x7F) out.push_back(f);
    }
    return out;
  }

  FakeClock clock_{1000};
  RecordingLine line_;
  std::unique_ptr<Handset> handset_;
};

TEST_F(HandsetLinkTest, SleepsUntilTheWakeUpBurst) {
  make();
  send(pc_request(0x04, kPoll, 0x42));
  EXPECT_TRUE(line_.stream.empty());
  EXPECT_EQ(handset_->stats().asleep, 1);
  send(Bytes(15, 0x55));
  EXPECT_FALSE(handset_->awake());
  send(Bytes(1, 0x55));  // sixteen in a row, across two batches
  EXPECT_TRUE(handset_->awake());
  send(pc_request(0x04, kPoll, 0x42));
  ASSERT_EQ(line_.frames().size(), 2u);
}

TEST_F(HandsetLinkTest, AcknowledgesThenRepliesWithItsOwnSequence) {
  make();
  send(wake_burst());
  send(pc_request(0x04, kPoll, 0x43));
  const auto frames = line_.frames();
  ASSERT_EQ(frames.size(), 2u);
  // The acknowledgement: type and the sequence byte's low nibble.
  const Bytes ack{0x1E, 0x0C, 0x00, 0x7F, 0x00, 0x02, 0x04, 0x03};
  ASSERT_GE(line_.stream.size(), 10u);
  EXPECT_EQ(Bytes(line_.stream.begin(), line_.stream.begin() + 8), ack);
  EXPECT_TRUE(frames[0].checksum_ok);
  // The reply: signal at data byte 5, battery at 8, one frame, sequence 0x40.
  const SeenFrame& reply = frames[1];
  EXPECT_EQ(reply.type, 0x04);
  EXPECT_TRUE(reply.checksum_ok);
  ASSERT_EQ(reply.data.size(), 11u);
  EXPECT_EQ(reply.data[5], 3);
  EXPECT_EQ(reply.data[8], 4);
  EXPECT_EQ(reply.data[9], 0x01);
  EXPECT_EQ(reply.sequence(), 0x40);

  // Further replies count on: 0x41 ... 0x47, then 0x40 again.
  std::uint8_t pc_sequence = 0x44;
  std::vector<std::uint8_t> seen;
  for (int i = 0; i < 8; ++i) {
    send(pc_ack(0x04, messages().back().sequence()));
    send(pc_request(0x04, kResync, pc_sequence));
    pc_sequence = pc_sequence == 0x47 ? 0x40 : pc_sequence + 1;
    seen.push_back(messages().back().sequence());
  }
  EXPECT_EQ(seen, (std::vector<std::uint8_t>{0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x40}));
}

TEST_F(HandsetLinkTest, RepeatedRequestIsAcknowledgedAgainAndDropped) {
  make({.need_wake = false});
  const Bytes request = pc_request(0x04, kPoll, 0x45);
  send(request);
  send(request);
  EXPECT_EQ(handset_->stats().repeats, 1);
  EXPECT_EQ(handset_->stats().acks_out, 2);
  EXPECT_EQ(messages().size(), 1u);
  // A wake-up burst starts a new session: the same byte is a new request.
  send(pc_ack(0x04, messages()[0].sequence()));
  send(wake_burst());
  send(request);
  EXPECT_EQ(messages().size(), 2u);
}

// Requests other PC software sends that the handset has no answer for (a
// ringing tone's name, a profile feature beyond the ten, the accessory
// greeting) are acknowledged and left unanswered; the trace says which.
TEST_F(HandsetLinkTest, RequestWithoutAnswerIsAcknowledgedAndTracedAsUnanswered) {
  make({.need_wake = false});
  std::vector<std::string> trace;
  handset_->set_trace([&trace](const TraceEvent& event) {
    trace.push_back(std::string(1, "RUS"[event.kind]) + std::to_string(event.type));
  });
  struct Case {
    std::uint8_t type;
    Bytes payload;
    bool answered;
  };
  const Case cases[] = {
      {0x40, {0x00, 0x01, 0x9E, 0x00}, false},
      {0x05, {0x00, 0x01, 0x00, 0x13, 0x01, 0x00, 0x21}, false},
      {0x64, {0x00, 0x01, 0x00, 0x12, 0x35, 0x35, 0x35}, false},
      {0x05, {0x00, 0x01, 0x00, 0x13, 0x01, 0x00, 0x03}, true},
  };
  std::uint8_t sequence = 0x40;
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    trace.clear();
    const std::size_t before = line_.frames().size();
    send(pc_request(c.type, c.payload, sequence++));
    const auto frames = line_.frames();
    ASSERT_EQ(frames.size() - before, c.answered ? 2u : 1u);
    EXPECT_EQ(frames[before].type, 0x7F);
    const std::string type = std::to_string(c.type);
    EXPECT_EQ(trace, (std::vector<std::string>{"R" + type, (c.answered ? "S" : "U") + type}));
    if (c.answered) send(pc_ack(c.type, frames.back().sequence()));
  }
  EXPECT_EQ(handset_->stats().unhandled, 3);
}

TEST_F(HandsetLinkTest, BadChecksumsAndForeignFramesAreIgnored) {
  make({.need_wake = false});
  Bytes bad = pc_request(0x04, kPoll, 0x42);
  bad.back() ^= 0x01;
  send(bad);
  EXPECT_TRUE(line_.stream.empty());
  EXPECT_EQ(handset_->stats().bad_checksums, 1);
  // A frame addressed to the PC (an echo of the handset's own) is not its own.
  Bytes echo = pc_request(0x04, kPoll, 0x42);
  std::swap(echo[1], echo[2]);
  send(echo);
  EXPECT_TRUE(line_.stream.empty());
  // Noise, a stray identifier and a broken frame do not hide the good frame after them.
  Bytes stream{0x00, 0x1E, 0x05, 0x1E, 0x00, 0x0C};
  const Bytes good = pc_request(0x04, kPoll, 0x43);
  stream.insert(stream.end(), good.begin(), good.end());
  for (std::uint8_t b : stream) send(Bytes{b});  // byte by byte
  // The stray header claims more bytes than follow; once the line has been
  // quiet for a while the handset looks again and finds the request.
  EXPECT_TRUE(messages().empty());
  advance(100);
  EXPECT_EQ(messages().size(), 1u);
}

TEST_F(HandsetLinkTest, UnacknowledgedReplyIsRetransmittedThenAbandoned) {
  make({.need_wake = false, .retransmit_ms = 1000, .max_sends = 3});
  send(pc_request(0x04, kPoll, 0x42));
  ASSERT_EQ(messages().size(), 1u);
  advance(999);
  EXPECT_EQ(messages().size(), 1u);
  advance(1);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1].data, messages()[0].data);  // the same bytes, same sequence
  advance(1000);
  EXPECT_EQ(messages().size(), 3u);
  advance(1000);
  advance(5000);
  EXPECT_EQ(messages().size(), 3u);
  EXPECT_EQ(handset_->stats().retransmits, 2);
  EXPECT_EQ(handset_->stats().given_up, 1);
  EXPECT_EQ(handset_->outstanding(), 0u);
}

TEST_F(HandsetLinkTest, AcknowledgedReplyIsNotSentAgain) {
  make({.need_wake = false});
  send(pc_request(0x04, kPoll, 0x42));
  const std::uint8_t sequence = messages()[0].sequence();
  send(pc_ack(0x04, sequence ^ 0x01));  // not this frame's acknowledgement
  EXPECT_EQ(handset_->outstanding(), 1u);
  send(pc_ack(0x04, sequence));
  EXPECT_EQ(handset_->outstanding(), 0u);
  advance(10000);
  EXPECT_EQ(messages().size(), 1u);
}

TEST_F(HandsetLinkTest, LongReplySplitsIntoFramesEachWaitingForItsAck) {
  make({.need_wake = false, .frame_payload = 10});
  send(pc_request(0x64, kIdentify, 0x60));
  ASSERT_EQ(messages().size(), 1u);  // only the first frame before its ack
  Bytes joined;
  std::vector<std::uint8_t> remaining;
  for (int i = 0; i < 10 && handset_->outstanding() > 0; ++i) {
    const SeenFrame f = messages().back();
    remaining.push_back(f.data[f.data.size() - 2]);
    joined.insert(joined.end(), f.data.begin(), f.data.end() - 2);
    send(pc_ack(0x64, f.sequence()));
  }
  EXPECT_EQ(remaining, (std::vector<std::uint8_t>{6, 5, 4, 3, 2, 1}));
  ASSERT_EQ(joined.size(), 54u);
  const std::string imei(joined.begin() + 9, joined.begin() + 24);
  EXPECT_EQ(imei, handset_->state().imei);
}

TEST_F(HandsetLinkTest, MultiFrameRequestIsJoinedBeforeItIsHandled) {
  make({.need_wake = false});
  send(pc_frame(0x04, {0x00, 0x01, 0x02, 0x42}));  // first half, two frames to come
  EXPECT_TRUE(messages().empty());
  send(pc_frame(0x04, {0x00, 0x01, 0x01, 0x43}));  // the rest: 0x00 0x01 after 0x00 0x01
  EXPECT_EQ(handset_->stats().requests, 1);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].data[5], 3);  // answered as the status poll it forms
}

TEST_F(HandsetLinkTest, EchoRepeatsEveryByteFirst) {
  make({.echo = true, .need_wake = false});
  const Bytes request = pc_request(0x04, kPoll, 0x42);
  const Bytes noise{0x55, 0x55, 0x12};
  send(noise);
  send(request);
  Bytes expected = noise;
  expected.insert(expected.end(), request.begin(), request.end());
  ASSERT_GE(line_.stream.size(), expected.size());
  EXPECT_EQ(Bytes(line_.stream.begin(), line_.stream.begin() + static_cast<long>(expected.size())), expected);
}

TEST_F(HandsetLinkTest, InfraredUsesItsOwnIdentifier) {
  make({.frame_id = kInfraredFrameId, .need_wake = false});
  send(pc_request(0x04, kPoll, 0x42));  // a cable frame: not heard
  EXPECT_TRUE(line_.stream.empty());
  send(pc_request(0x04, kPoll, 0x42, 0x1C));
  EXPECT_EQ(line_.frames(0x1C).size(), 2u);
}

TEST_F(HandsetLinkTest, UnsolicitedNetworkDetailsCarryTheNetworkCode) {
  make({.need_wake = false, .network_every_ms = 5000});
  advance(4999);
  EXPECT_TRUE(line_.stream.empty());
  advance(1);
  ASSERT_EQ(messages().size(), 1u);
  const SeenFrame f = messages()[0];
  EXPECT_EQ(f.type, 0x0A);
  EXPECT_EQ(f.data[3], 0x71);
  EXPECT_EQ(f.data[14], 0x64);  // MCC 466, MNC 01
  EXPECT_EQ(f.data[15], 0xF6);
  EXPECT_EQ(f.data[16], 0x10);
  send(pc_ack(0x0A, f.sequence()));
  advance(5000);
  EXPECT_EQ(messages().size(), 2u);
}

TEST_F(HandsetLinkTest, NoticesComeInTurnEachKindOnce) {
  make({.need_wake = false, .notices_every_ms = 100});
  for (std::size_t i = 0; i < unsolicited_kinds().size(); ++i) {
    advance(100);
    const SeenFrame f = messages().back();
    send(pc_ack(f.type, f.sequence()));
  }
  const auto seen = messages();
  ASSERT_EQ(seen.size(), unsolicited_kinds().size());
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].type, unsolicited_kinds()[i].type);
    EXPECT_EQ(seen[i].data[3], unsolicited_kinds()[i].sub_type);
  }
  EXPECT_EQ(handset_->stats().retransmits, 0);
}

}  // namespace
}  // namespace phondeck::sim
