// Faults of the virtual handset: each kind shows, and a seed repeats a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "pc_side.h"
#include "sim/faults.h"
#include "sim/handset.h"

namespace phondeck::sim {
namespace {

using namespace testing;

const Bytes kPoll{0x00, 0x01, 0x00, 0x01};

// A scripted PC: forty polls, each acknowledged when its reply comes back,
// with time moving on between them. Returns everything the handset sent.
struct ScriptRun {
  Bytes stream;
  std::vector<Bytes> pieces;
  HandsetStats stats;
  bool hung_up = false;
};

ScriptRun script(const FaultOptions& faults, HandsetOptions options = {.need_wake = false}) {
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, HandsetState::demo(*find_model("6150")), options, faults);
  handset.attach(&line);
  std::uint8_t sequence = 0x42;
  for (int i = 0; i < 40; ++i) {
    const Bytes request = pc_request(0x04, kPoll, sequence);
    handset.receive(request.data(), request.size());
    sequence = sequence == 0x47 ? 0x40 : sequence + 1;
    for (int t = 0; t < 30; ++t) {
      clock.now += 10;
      handset.poll();
    }
    for (const SeenFrame& f : line.frames()) {
      if (f.type == 0x04 && f.checksum_ok) {
        const Bytes ack = pc_ack(0x04, f.sequence());
        handset.receive(ack.data(), ack.size());
      }
    }
    clock.now += 500;
    handset.poll();
  }
  return {line.stream, line.pieces, handset.stats(), line.hung_up};
}

int replies(const Bytes& stream) {
  int n = 0;
  for (const SeenFrame& f : frames_in(stream)) n += f.type == 0x04 && f.checksum_ok;
  return n;
}

TEST(HandsetFaults, SameSeedSameRunOtherSeedOtherRun) {
  const ScriptRun clean = script({});
  EXPECT_EQ(clean.stats.requests, 40);
  EXPECT_EQ(replies(clean.stream), 40);
  EXPECT_EQ(clean.stats.retransmits, 0);
  FaultOptions faults{.seed = 11, .drop_in = 0.2, .drop_out = 0.2, .corrupt = 0.1, .duplicate = 0.1,
                      .delay_ms = 200, .stray = 0.2, .piece_max = 5};
  const ScriptRun a = script(faults);
  const ScriptRun b = script(faults);
  EXPECT_EQ(a.stream, b.stream);
  EXPECT_EQ(a.pieces, b.pieces);
  faults.seed = 12;
  EXPECT_NE(script(faults).stream, a.stream);
}

TEST(HandsetFaults, LossesEitherWay) {
  const ScriptRun in = script({.drop_in = 0.3});
  EXPECT_GT(in.stats.dropped_in, 0);
  EXPECT_EQ(in.stats.requests + in.stats.dropped_in, in.stats.frames_in - in.stats.acks_in);
  EXPECT_LT(in.stats.requests, 40);

  const ScriptRun out = script({.drop_out = 0.3});
  EXPECT_GT(out.stats.dropped_out, 0);
  EXPECT_EQ(out.stats.requests, 40);
  EXPECT_GT(out.stats.retransmits, 0);  // lost replies go again

  EXPECT_EQ(script({.drop_in = 1.0}).stream.size(), 0u);
}

TEST(HandsetFaults, CorruptedChecksumsEitherWay) {
  const ScriptRun run = script({.corrupt = 0.3});
  EXPECT_GT(run.stats.corrupted, 0);
  EXPECT_GT(run.stats.bad_checksums, 0);  // some of the PC's frames counted as broken
  int broken = 0;
  for (const SeenFrame& f : frames_in(run.stream)) broken += !f.checksum_ok;
  EXPECT_GT(broken, 0);
}

TEST(HandsetFaults, DuplicatesCarryTheSameSequence) {
  const ScriptRun run = script({.duplicate = 1.0});
  const auto frames = frames_in(run.stream);
  ASSERT_GE(frames.size(), 4u);
  EXPECT_EQ(frames[0].data, frames[1].data);  // the acknowledgement, twice
  EXPECT_EQ(frames[2].data, frames[3].data);  // the reply, twice
  EXPECT_EQ(frames[2].type, 0x04);
}

TEST(HandsetFaults, StrayBytesComeBetweenFramesOnly) {
  const ScriptRun run = script({.stray = 1.0});
  EXPECT_GT(run.stats.stray, 0);
  EXPECT_EQ(replies(run.stream), 40);
  EXPECT_GT(run.stream.size(), script({}).stream.size());
}

TEST(HandsetFaults, PiecesAreSmallAndKeepTheOrder) {
  const ScriptRun run = script({.piece_max = 3});
  for (const Bytes& piece : run.pieces) {
    EXPECT_GE(piece.size(), 1u);
    EXPECT_LE(piece.size(), 3u);
  }
  EXPECT_EQ(run.stream, script({}).stream);
}

TEST(HandsetFaults, RepliesWaitUpToTheDelayAfterTheAcknowledgement) {
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, HandsetState::demo(*find_model("6110")), {.need_wake = false},
                  {.delay_ms = 3000});
  handset.attach(&line);
  std::vector<int> waits;
  std::uint8_t sequence = 0x42;
  for (int i = 0; i < 10; ++i) {
    line.clear();
    const Bytes request = pc_request(0x04, kPoll, sequence++);
    handset.receive(request.data(), request.size());
    ASSERT_EQ(line.frames().size(), 1u);  // acknowledged at once
    int waited = 0;
    while (line.frames().size() < 2 && waited <= 3000) {
      clock.now += 10;
      waited += 10;
      handset.poll();
    }
    ASSERT_EQ(line.frames().size(), 2u);
    waits.push_back(waited);
    const Bytes ack = pc_ack(0x04, line.frames()[1].sequence());
    handset.receive(ack.data(), ack.size());
  }
  EXPECT_GT(*std::max_element(waits.begin(), waits.end()), 1000);
  EXPECT_LE(*std::max_element(waits.begin(), waits.end()), 3010);
  EXPECT_NE(*std::min_element(waits.begin(), waits.end()), *std::max_element(waits.begin(), waits.end()));
}

TEST(HandsetFaults, SilenceForATimeAndForGood) {
  const Bytes request = pc_request(0x04, kPoll, 0x42);
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, HandsetState::demo(*find_model("6110")), {.need_wake = false},
                  {.silent_at_ms = 1000, .silent_for_ms = 2000});
  handset.attach(&line);
  clock.now += 1500;
  handset.receive(request.data(), request.size());
  EXPECT_TRUE(handset.silent());
  EXPECT_TRUE(line.stream.empty());
  ASSERT_TRUE(handset.next_due_ms().has_value());
  EXPECT_EQ(*handset.next_due_ms(), 1000 + 3000);  // the end of the silence
  clock.now += 1500;
  handset.receive(request.data(), request.size());
  EXPECT_EQ(line.frames().size(), 2u);

  Handset mute(clock, HandsetState::demo(*find_model("6110")), {.need_wake = false}, {.silent_at_ms = 0});
  RecordingLine quiet;
  mute.attach(&quiet);
  clock.now += 100000;
  mute.receive(request.data(), request.size());
  EXPECT_TRUE(quiet.stream.empty());
  EXPECT_FALSE(mute.next_due_ms().has_value());
}

TEST(HandsetFaults, HangsUpAtItsTime) {
  FakeClock clock{1000};
  RecordingLine line;
  Handset handset(clock, HandsetState::demo(*find_model("6110")), {.need_wake = false},
                  {.hang_up_at_ms = 500});
  handset.attach(&line);
  EXPECT_EQ(*handset.next_due_ms(), clock.now + 500);
  clock.now += 499;
  handset.poll();
  EXPECT_FALSE(line.hung_up);
  clock.now += 1;
  handset.poll();
  EXPECT_TRUE(line.hung_up);
  const Bytes request = pc_request(0x04, kPoll, 0x42);
  handset.receive(request.data(), request.size());
  EXPECT_TRUE(line.stream.empty());
}

TEST(HandsetFaults, ByteNoiseHitsSingleBytesBothWaysAtItsRate) {
  // The rate: 60000 bytes at 1 % each and 0.2 % bursts.
  const FaultOptions rates{.noise = 0.01, .burst = 0.002};
  FaultDice dice(5);
  const Bytes line(60000, 0xA5);
  Bytes out;
  ByteNoiseCount n;
  add_byte_noise(rates, dice, line.data(), line.size(), out, n);
  for (const int count : {n.flipped, n.lost, n.inserted}) {
    EXPECT_GT(count, 480);
    EXPECT_LT(count, 720);
  }
  EXPECT_GT(n.bursts, 80);
  EXPECT_LT(n.bursts, 160);
  const long garbage = static_cast<long>(out.size()) - 60000 + n.lost - n.inserted;
  EXPECT_GE(garbage, 8L * n.bursts);
  EXPECT_LE(garbage, 40L * n.bursts);
  const long changed = std::count_if(out.begin(), out.end(), [](std::uint8_t b) { return b != 0xA5; });
  EXPECT_GE(changed, n.flipped);

  // On the line both ways: broken requests and broken replies, and the
  // handset still answers the intact ones; a seed repeats its run.
  const FaultOptions faults{.seed = 3, .noise = 0.01, .burst = 0.002};
  const ScriptRun run = script(faults);
  EXPECT_GT(run.stats.bad_checksums, 0);
  int broken = 0;
  for (const SeenFrame& f : frames_in(run.stream)) broken += !f.checksum_ok;
  EXPECT_GT(broken, 0);
  EXPECT_GT(replies(run.stream), 10);
  EXPECT_EQ(script(faults).stream, run.stream);
}

TEST(HandsetFaults, OnlyFramesChangedPastBothChecksumsCountAsUnseen) {
  const Bytes sent = build_frame(kCableFrameId, 0x40, Bytes{0x00, 0x01, 0x20, 0x21, 0x01, 0x42});
  Bytes once = sent;
  once[8] ^= 0x40;
  Bytes twice = once;
  twice[10] ^= 0x40;  // the same bit again at an even offset: both checksums hold
  Bytes apart = once;
  apart[9] ^= 0x40;   // at an odd offset: caught
  EXPECT_EQ(frames_changed_unseen(sent, sent, kCableFrameId), 0);
  EXPECT_EQ(frames_changed_unseen(sent, once, kCableFrameId), 0);
  EXPECT_EQ(frames_changed_unseen(sent, apart, kCableFrameId), 0);
  EXPECT_EQ(frames_changed_unseen(sent, twice, kCableFrameId), 1);
}

TEST(FaultText, ParsesEveryKindAndRejectsNonsense) {
  FaultOptions f;
  std::string error;
  ASSERT_TRUE(parse_faults("drop=0.2,corrupt=0.05,dup=0.1,delay=300,stray=0.5,pieces=3,gap=2,"
                           "silent=5000:2000,hangup=20000,noise=0.005,burst=0.001,seed=7",
                           f, error))
      << error;
  EXPECT_DOUBLE_EQ(f.drop_in, 0.2);
  EXPECT_DOUBLE_EQ(f.drop_out, 0.2);
  EXPECT_DOUBLE_EQ(f.corrupt, 0.05);
  EXPECT_DOUBLE_EQ(f.duplicate, 0.1);
  EXPECT_EQ(f.delay_ms, 300);
  EXPECT_DOUBLE_EQ(f.stray, 0.5);
  EXPECT_EQ(f.piece_max, 3);
  EXPECT_EQ(f.piece_gap_ms, 2);
  EXPECT_EQ(f.silent_at_ms, 5000);
  EXPECT_EQ(f.silent_for_ms, 2000);
  EXPECT_EQ(f.hang_up_at_ms, 20000);
  EXPECT_DOUBLE_EQ(f.noise, 0.005);
  EXPECT_DOUBLE_EQ(f.burst, 0.001);
  EXPECT_EQ(f.seed, 7u);
  EXPECT_TRUE(f.any());
  EXPECT_TRUE((FaultOptions{.burst = 0.1}).any());

  FaultOptions g;
  ASSERT_TRUE(parse_faults("drop_out=0.5,silent=100", g, error));
  EXPECT_DOUBLE_EQ(g.drop_in, 0.0);
  EXPECT_EQ(g.silent_for_ms, 0);  // for good
  EXPECT_TRUE(parse_faults("", g, error));

  for (const char* bad : {"drop=1.5", "drop=-0.1", "drop=x", "delay=-3", "colour=red", "pieces", "silent=a:b", "noise=0.5"}) {
    FaultOptions h;
    EXPECT_FALSE(parse_faults(bad, h, error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace phondeck::sim
