#include "link/frame_layer.h"

#include <gtest/gtest.h>

#include <numeric>

#include "link_fakes.h"

namespace phondeck {
namespace {

using testing::Bytes;
using testing::handset_ack;
using testing::handset_frame;

struct RecordingEvents final : FrameEvents {
  void exchange_complete() override { ++completed; }
  void reply_arrived(const LinkFrame& frame) override {
    replies.emplace_back(frame.bytes(), frame.bytes() + frame.size());
    if (frame.type() == take) frames->acknowledge(frame.type());
  }
  void retries_exhausted() override { ++exhausted; }
  void network_details(int mcc_value, int mnc_value) override {
    mcc = mcc_value;
    mnc = mnc_value;
  }
  FrameLayer* frames = nullptr;
  int take = 0x40;  // the type the running step takes as its reply
  int completed = 0;
  int exhausted = 0;
  int mcc = -1;
  int mnc = -1;
  std::vector<Bytes> replies;
};

class FrameLayerTest : public ::testing::Test {
 protected:
  FrameLayerTest() : timer(clock), frames(port, timer, clock) {
    frames.set_events(&events);
    events.frames = &frames;
    frames.flags().link_state = LinkState::Messages;
    frames.flags().connected = 1;
  }
  void feed(const Bytes& bytes) { frames.receive(bytes.data(), bytes.size()); }
  // Whole frames written, split at the frame boundaries we know.
  static Bytes request(std::size_t count) {
    Bytes r(count);
    std::iota(r.begin(), r.end(), std::uint8_t{1});
    r[0] = 0x1E;
    return r;
  }

  testing::FakeClock clock;
  testing::VirtualTimer timer;
  testing::FakePort port;
  RecordingEvents events;
  FrameLayer frames;
};

// XOR over the even and over the odd offsets of a finished frame is 0 when
// both checksums are right.
void expect_checksums_balance(const Bytes& frame) {
  std::uint8_t even = 0;
  std::uint8_t odd = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) (i % 2 == 0 ? even : odd) ^= frame[i];
  EXPECT_EQ(even, 0);
  EXPECT_EQ(odd, 0);
}

TEST_F(FrameLayerTest, EvenAndOddRequestsArePaddedAndChecksummed) {
  const Bytes even = request(12);
  frames.send_message(even.data(), even.size(), 1);
  ASSERT_EQ(port.written.size(), 14u);
  EXPECT_TRUE(std::equal(even.begin(), even.end(), port.written.begin()));
  expect_checksums_balance(port.written);
  EXPECT_TRUE(timer.running());
  EXPECT_EQ(frames.flags().ack_received, 0);
  EXPECT_EQ(frames.flags().reply_count, 0);

  port.clear_log();
  const Bytes odd = request(13);
  frames.send_message(odd.data(), odd.size(), 0);
  ASSERT_EQ(port.written.size(), 16u);
  EXPECT_EQ(port.written[13], 0x00);
  expect_checksums_balance(port.written);
  EXPECT_EQ(frames.flags().reply_count, 1);
  EXPECT_EQ(Bytes(frames.retransmission_copy().begin(), frames.retransmission_copy().end()), port.written);
}

TEST_F(FrameLayerTest, WritesGoOutInPiecesOfEightWithTheLinesSetBeforeEach) {
  const Bytes r = request(12);
  frames.send_message(r.data(), r.size(), 1);
  const std::vector<std::string> expected{"DTR+", "RTS-", "W8", "DTR+", "RTS-", "W6"};
  EXPECT_EQ(port.events, expected);
}

TEST_F(FrameLayerTest, SequenceCounterWrapsAfter47AndRestartsOnReset) {
  std::vector<int> sent;
  for (int i = 0; i < 13; ++i) sent.push_back(frames.next_sequence());
  EXPECT_EQ(sent.front(), 0x42);
  EXPECT_EQ(sent[5], 0x47);
  EXPECT_EQ(sent[6], 0x40);
  EXPECT_EQ(sent[12], 0x46);
  frames.reset();
  EXPECT_EQ(frames.next_sequence(), 0x42);
}

TEST_F(FrameLayerTest, RequestBuilderAddsTrailerAndSequence) {
  const std::uint8_t payload[] = {0x00, 0x01, 0x00, 0x01};
  frames.send_request(0x04, payload, 1);
  const Bytes head(port.written.begin(), port.written.begin() + 12);
  EXPECT_EQ(head, (Bytes{0x1E, 0x00, 0x0C, 0x04, 0x00, 0x06, 0x00, 0x01, 0x00, 0x01, 0x01, 0x42}));
  frames.set_media(0);
  port.clear_log();
  frames.send_request(0x04, payload, 1);
  EXPECT_EQ(port.written[0], 0x1C);
  EXPECT_EQ(port.written[11], 0x43);
}

TEST_F(FrameLayerTest, AcknowledgementMasksTheSequenceExceptForDA) {
  feed(handset_frame(0x0A, {0x00, 0x01, 0x00, 0x20, 0x45}));
  EXPECT_EQ(port.written, (Bytes{0x1E, 0x00, 0x0C, 0x7F, 0x00, 0x02, 0x0A, 0x05, 0x18, 0x78}));
  EXPECT_TRUE(events.replies.empty());

  port.clear_log();
  feed(handset_frame(0xDA, {0x00, 0x01, 0x00, 0x46}));
  ASSERT_EQ(port.written.size(), 10u);
  EXPECT_EQ(port.written[6], 0xDA);
  EXPECT_EQ(port.written[7], 0x46);
}

TEST_F(FrameLayerTest, RetransmitsTheSameBytesTwiceThenEndsTheStep) {
  const Bytes r = request(12);
  frames.send_message(r.data(), r.size(), 1);
  const Bytes first = port.written;
  for (int i = 0; i < 2; ++i) {
    frames.flags().ack_received = 1;
    port.clear_log();
    frames.retransmit();
    EXPECT_EQ(port.written, first);
    EXPECT_EQ(frames.flags().ack_received, 0);
  }
  port.clear_log();
  frames.retransmit();
  EXPECT_TRUE(port.written.empty());
  EXPECT_EQ(events.exhausted, 1);
}

TEST_F(FrameLayerTest, SyncBurstsOfTheCableSettings) {
  struct Case {
    int setting;
    std::size_t bytes;
    std::size_t pauses;
  };
  for (const Case c : {Case{0, 256, 3}, Case{1, 256, 0}, Case{2, 512, 0}, Case{3, 32, 0}, Case{4, 128, 2},
                       Case{5, 256, 1}, Case{6, 256, 2}, Case{7, 0, 0}, Case{-1, 0, 0}}) {
    port.clear_log();
    clock.slept.clear();
    frames.sync_burst(c.setting);
    EXPECT_EQ(port.written.size(), c.bytes) << "setting " << c.setting;
    EXPECT_EQ(clock.slept.size(), c.pauses) << "setting " << c.setting;
    EXPECT_TRUE(std::all_of(port.written.begin(), port.written.end(), [](std::uint8_t b) { return b == 0x55; }));
  }
  EXPECT_FALSE(timer.running());
}

TEST_F(FrameLayerTest, ScanResynchronisesOnALaterIdentifier) {
  Bytes stream{0x33, 0x1E, 0x05};
  const Bytes reply = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x43});
  stream.insert(stream.end(), reply.begin(), reply.end());
  feed(stream);
  ASSERT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(events.replies[0], reply);
  EXPECT_EQ(frames.fill_count(), 0u);
}

TEST_F(FrameLayerTest, FrameArrivingByteByByteIsAssembled) {
  const Bytes reply = handset_frame(0x03, {0x00, 0x01, 0x00, 0x08, 0x02, 0x10, 0x05, 0x01, 0x44});
  for (std::uint8_t b : reply) feed({b});
  ASSERT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(events.replies[0], reply);
}

TEST_F(FrameLayerTest, EchoesBadChecksumsAndDisconnectedLinkAreDropped) {
  feed(handset_frame(0x40, {0x00, 0x01, 0x7E, 0x43}, 0x1E, 0x00));  // our own echo
  Bytes corrupt = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x44});
  corrupt.back() ^= 0x01;
  feed(corrupt);
  feed(handset_frame(0x40, {0x00, 0x42}));  // length 2 never passes the test
  EXPECT_TRUE(events.replies.empty());
  EXPECT_TRUE(port.written.empty());

  frames.flags().link_state = LinkState::Disconnected;
  feed(handset_frame(0x40, {0x00, 0x01, 0x7E, 0x45}));
  EXPECT_TRUE(events.replies.empty());
  EXPECT_TRUE(port.written.empty());
}

TEST_F(FrameLayerTest, GoodCopyOfACorruptedFrameIsNotTakenForARepeat) {
  const Bytes good = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x44});
  Bytes corrupt = good;
  corrupt[corrupt.size() - 2] ^= 0x10;
  feed(corrupt);
  feed(good);
  ASSERT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(frames.last_sequence(), 0x44);
}

TEST_F(FrameLayerTest, RepeatIsAcknowledgedAgainButNotPassedOn) {
  const Bytes reply = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x44});
  feed(reply);
  ASSERT_EQ(events.replies.size(), 1u);
  port.clear_log();
  feed(reply);
  EXPECT_EQ(events.replies.size(), 1u);
  ASSERT_EQ(port.written.size(), 10u);
  EXPECT_EQ(port.written[6], 0x40);
  EXPECT_EQ(port.written[7], 0x04);
}

TEST_F(FrameLayerTest, NotConnectedDropsWithoutAcknowledging) {
  frames.flags().connected = 0;
  feed(handset_frame(0x0D, {0x00, 0x01, 0x00, 0x42}));
  EXPECT_TRUE(port.written.empty());
  EXPECT_FALSE(timer.running());
}

TEST_F(FrameLayerTest, HandsetAcknowledgementCompletesOnlyOnce) {
  // A request that awaits no reply (type 0x04, sequence 0x0C) is completed
  // by its own acknowledgement only, not by a late one of another request.
  const Bytes r = request(12);
  frames.send_message(r.data(), r.size(), 0);
  feed(handset_ack(0x40, 0x42));
  feed(handset_ack(0x04, 0x0B));
  EXPECT_EQ(events.completed, 0);
  feed(handset_ack(0x04, 0x0C));
  EXPECT_EQ(events.completed, 1);
  feed(handset_ack(0x04, 0x0C));
  EXPECT_EQ(events.completed, 1);
}

TEST_F(FrameLayerTest, ReplyBeforeAcknowledgementCompletesWhenTheAckArrives) {
  const Bytes r = request(12);
  frames.send_message(r.data(), r.size(), 1);
  feed(handset_frame(0x40, {0x00, 0x01, 0x7E, 0x45}));
  EXPECT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(events.completed, 0);
  feed(handset_ack(0x40, 0x42));
  EXPECT_EQ(events.completed, 1);
}

TEST_F(FrameLayerTest, OnlyAReplyTheStepTakesAnswersTheRequest) {
  // A message the step ignores leaves the request waiting for its answer;
  // else the step would go out again while the handset still owes it.
  const Bytes r = request(12);
  frames.send_message(r.data(), r.size(), 1);
  feed(handset_ack(0x40, 0x42));
  feed(handset_frame(0x41, {0x00, 0x01, 0x7E, 0x45}));
  EXPECT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(events.completed, 0);
  EXPECT_EQ(frames.flags().reply_count, 0);
  feed(handset_frame(0x40, {0x00, 0x01, 0x7E, 0x46}));
  EXPECT_EQ(events.completed, 1);
}

TEST_F(FrameLayerTest, UnsolicitedMessagesAreAnsweredHereAndRestartTheTimer) {
  // Network details: MCC 466, MNC 1 from the bytes 0x64 0xF6 0x10.
  Bytes details(18, 0x00);
  details[1] = 0x01;
  details[3] = 0x71;
  details[14] = 0x64;
  details[15] = 0xF6;
  details[16] = 0x10;
  details[17] = 0x41;
  feed(handset_frame(0x0A, details));
  EXPECT_EQ(events.mcc, 466);
  EXPECT_EQ(events.mnc, 1);
  EXPECT_TRUE(timer.running());
  EXPECT_EQ(port.written.size(), 10u);

  // 0x13 with sub-type 0x65 is answered here only while idle.
  frames.flags().link_state = LinkState::Idle;
  feed(handset_frame(0x13, {0x00, 0x01, 0x00, 0x65, 0x42}));
  EXPECT_TRUE(events.replies.empty());
  frames.flags().link_state = LinkState::Media;
  feed(handset_frame(0x13, {0x00, 0x01, 0x00, 0x65, 0x43}));
  EXPECT_EQ(events.replies.size(), 1u);
  // 0x02 answered only for sub-type 0x10.
  feed(handset_frame(0x02, {0x00, 0x01, 0x00, 0x10, 0x44}));
  EXPECT_EQ(events.replies.size(), 1u);
  feed(handset_frame(0x02, {0x00, 0x01, 0x00, 0x11, 0x45}));
  EXPECT_EQ(events.replies.size(), 2u);
}

// What a noisy line does to the frames in the byte stream, and which frames
// the scan still finds: a broken frame never takes a good one after it.
TEST_F(FrameLayerTest, ABrokenFrameDoesNotTakeTheNextGoodFrameWithIt) {
  const Bytes a = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x43});
  const Bytes b = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x44});
  const Bytes ack = handset_ack(0x40, 0x42);
  auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  auto without = [](Bytes f, std::size_t at) {
    f.erase(f.begin() + static_cast<long>(at));
    return f;
  };
  auto with_extra = [](Bytes f, std::size_t at, std::uint8_t extra) {
    f.insert(f.begin() + static_cast<long>(at), extra);
    return f;
  };
  auto flipped = [](Bytes f, std::size_t at, std::uint8_t mask) {
    f[at] ^= mask;
    return f;
  };
  struct Case {
    const char* what;
    Bytes stream;
    std::vector<Bytes> replies;
  };
  const std::vector<Case> cases{
      {"two good frames", join({a, b}), {a, b}},
      {"stray bytes and a false start between them", join({a, {0x33, 0x1E, 0x05}, b}), {a, b}},
      {"a data byte lost", join({without(a, 7), b}), {b}},
      {"checksum 2 lost", join({without(a, a.size() - 1), b}), {b}},
      {"a byte inserted", join({with_extra(a, 8, 0x1E), b}), {b}},
      {"a bit flipped in a data byte", join({flipped(a, 8, 0x04), b}), {b}},
      {"a length that runs on past the next frame", join({flipped(a, 5, 0x40), b}), {b}},
      {"a lost byte, then the handset's own retransmission", join({without(a, 9), a}), {a}},
      {"an acknowledgement one byte short before the reply", join({without(ack, 6), a}), {a}},
      {"a burst that looks like a frame header", join({{0x1E, 0x0C, 0x00, 0x40, 0x00, 0xF0, 0x12}, a, b}), {a, b}},
      {"both broken, then good", join({without(a, 3), flipped(b, 10, 0x80), a}), {a}},
  };
  for (const Case& c : cases) {
    FrameLayer layer(port, timer, clock);
    layer.set_events(&events);
    events.frames = &layer;
    events.replies.clear();
    layer.flags().link_state = LinkState::Messages;
    layer.flags().connected = 1;
    layer.receive(c.stream.data(), c.stream.size());
    EXPECT_EQ(events.replies, c.replies) << c.what;
    EXPECT_EQ(layer.fill_count(), 0u) << c.what;
  }
  events.frames = &frames;
}

// A link reset in the middle of a frame leaves the scan waiting for a
// length it no longer knows; the next good frame is still found.
TEST_F(FrameLayerTest, AFrameCutShortByAResetDoesNotSwallowTheNextOnes) {
  const Bytes a = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x43});
  const Bytes b = handset_frame(0x40, {0x00, 0x01, 0x7E, 0x44});
  feed(Bytes(a.begin(), a.begin() + 8));
  frames.reset();
  feed(b);
  ASSERT_EQ(events.replies.size(), 1u);
  EXPECT_EQ(events.replies[0], b);
}

}  // namespace
}  // namespace phondeck
