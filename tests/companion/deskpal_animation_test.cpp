// Deskpal's walk step by step, with scripted random numbers: the low two bits
// 0 mean "one in four", the low bit 1 means "one in two".
#include "companion/deskpal_animation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "companion_support.h"

namespace phondeck {
namespace {

using companiontest::ScriptedRandom;
using P = DeskpalPoint;

}  // namespace

void PrintTo(const DeskpalPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

void ticks(DeskpalAnimation& a, int n) {
  for (int i = 0; i < n; ++i) a.tick();
}

// Drops the figure at `p`; the idle sequence then runs 24 frames of two
// ticks and its end, at the 49th tick, chooses the next sequence, whose first
// step follows in the same tick.
void drop_at(DeskpalAnimation& a, P p) {
  a.start_drag();
  a.drag_to(p);
  a.drop();
}
constexpr int kIdleEnds = 49;

TEST(DeskpalAnimationTest, SequencesWalkTheirFiveFramesAndIdleHasTwentyFour) {
  using testing::ElementsAre;
  auto frames = [](int s) {
    std::vector<int> out;
    for (const DeskpalStep& step : DeskpalAnimation::steps(s)) {
      EXPECT_EQ(step.ticks, 2);
      out.push_back(step.frame);
    }
    return out;
  };
  EXPECT_THAT(frames(0), ElementsAre(0, 2, 1, 2, 3, 4, 3, 0, 2, 1, 2, 3, 4, 3, 0, 2, 1, 2, 3, 4, 3));
  EXPECT_THAT(frames(8), ElementsAre(40, 41, 42, 41, 40, 43, 44, 43, 40, 41, 42, 41, 40, 43, 44, 43, 40, 41, 42, 41,
                                     40, 43, 44, 43));
  for (int s = 0; s < DeskpalAnimation::kSequenceCount; ++s) {
    const std::vector<int> f = frames(s);
    ASSERT_EQ(f.size(), s == 8 ? 24u : 21u) << s;
    for (int frame : f) {
      EXPECT_TRUE(frame >= 5 * s && frame < 5 * s + 5) << s;
    }
    if (s != 8) {
      EXPECT_EQ(f.back(), s % 2 == 1 ? 5 * s : 5 * s + 3) << s;
    }
  }
}

TEST(DeskpalAnimationTest, TheEndOfASequenceHeadsForTheTarget) {
  // 1024 x 768: the target stays at (880, 640) throughout.
  struct Row {
    const char* name;
    P from;
    std::deque<std::uint32_t> draws;
    int sequence;
    P first_step;
  };
  const std::vector<Row> rows{
      {"one time in four it stays idle", {100, 630}, {4}, 8, {100, 630}},
      {"level: walks right", {100, 630}, {1, 1}, 9, {104, 630}},
      {"level: runs right", {100, 630}, {1, 0}, 0, {108, 630}},
      {"level from the right: runs left", {990, 650}, {1, 0}, 7, {982, 650}},
      {"above left: walks down-right", {100, 100}, {1, 1, 1}, 13, {104, 103}},
      {"above left, one in four: runs level", {100, 100}, {1, 0, 0}, 0, {108, 100}},
      {"below right: runs up-left", {990, 700}, {1, 1, 0}, 2, {982, 694}},
      {"above right: walks down-left", {990, 100}, {3, 2, 1}, 14, {986, 103}},
      {"within 7 px: runs down", {885, 100}, {1, 0}, 6, {885, 106}},
      {"within 7 px, below: walks up", {873, 704}, {1, 1}, 12, {873, 701}},
  };
  {
    ScriptedRandom random;
    const DeskpalAnimation a(1920, 1080, random);
    EXPECT_EQ(a.position(), (P{224, 103}));
    EXPECT_EQ(a.target(), (P{1664, 913}));
  }
  for (const Row& r : rows) {
    ScriptedRandom random;
    DeskpalAnimation a(1024, 768, random);
    EXPECT_EQ(a.position(), (P{112, 64}));
    EXPECT_EQ(a.frame(), 40);
    drop_at(a, r.from);
    ticks(a, kIdleEnds - 1);
    EXPECT_EQ(a.position(), r.from) << r.name;
    random.then(r.draws);
    ticks(a, 1);
    EXPECT_TRUE(random.used_up()) << r.name;
    EXPECT_EQ(a.sequence(), r.sequence) << r.name;
    EXPECT_EQ(a.index(), 0) << r.name;
    EXPECT_EQ(a.position(), r.first_step) << r.name;
    EXPECT_EQ(a.target(), (P{880, 640})) << r.name;
    // Within 7 px horizontally it only ever moves vertically.
    if (DeskpalAnimation::velocity(r.sequence).x == 0) {
      for (int i = 0; i < 40; ++i) {
        a.tick();
        ASSERT_EQ(a.position().x, r.from.x) << r.name;
      }
    }
  }
}

TEST(DeskpalAnimationTest, ALimitCutsTheStepAndEndsTheSequence) {
  struct Row {
    const char* name;
    int w;
    P from;
    std::deque<std::uint32_t> draws;
    int sequence;
    std::vector<int> xs;  // after each step
  };
  const std::vector<Row> rows{
      // Within 7 px of the target's x but still far above it: running on
      // down-right, x stops at the target's.
      {"the target's x", 1024, {850, 500}, {1, 1, 0}, 4, {858, 866, 874, 880}},
      // Target (40, 640) lies beyond the screen's right limit, 64 - 32.
      {"the screen's right edge", 64, {20, 630}, {1, 0}, 0, {28, 32}},
  };
  for (const Row& r : rows) {
    ScriptedRandom random;
    DeskpalAnimation a(r.w, 768, random);
    drop_at(a, r.from);
    ticks(a, kIdleEnds - 1);
    random.then(r.draws);
    for (std::size_t i = 0; i < r.xs.size(); ++i) {
      ticks(a, i == 0 ? 1 : 2);
      EXPECT_EQ(a.sequence(), r.sequence) << r.name;
      EXPECT_EQ(a.position().x, r.xs[i]) << r.name << " step " << i;
      EXPECT_EQ(a.index(), i + 1 == r.xs.size() ? 20 : static_cast<int>(i)) << r.name << " step " << i;
    }
    // The sequence's end chooses anew at the next frame change.
    const int drawn = random.drawn;
    ticks(a, 2);
    EXPECT_GT(random.drawn, drawn) << r.name;
  }
}

TEST(DeskpalAnimationTest, ArrivingSendsTheTargetToTheOppositeSide) {
  struct Row {
    const char* name;
    std::deque<std::uint32_t> jump;
    P target;
  };
  const std::vector<Row> rows{
      {"both coordinates", {0}, {112, 64}},
      {"keeps its x", {1, 1}, {880, 64}},
      {"keeps its y", {1, 0}, {112, 640}},
  };
  for (const Row& r : rows) {
    ScriptedRandom random;
    DeskpalAnimation a(1024, 768, random);
    drop_at(a, {860, 640});
    ticks(a, kIdleEnds - 1);
    random.then({1, 0});  // run right: 868, 876, and 876 is near enough
    ticks(a, 3);
    ASSERT_EQ(a.position(), (P{876, 640})) << r.name;
    random.then(r.jump);
    ticks(a, 2);
    EXPECT_TRUE(random.used_up()) << r.name;
    EXPECT_EQ(a.target(), r.target) << r.name;
    EXPECT_EQ(a.sequence(), DeskpalAnimation::kIdle) << r.name;
    EXPECT_EQ(a.index(), 0) << r.name;
    EXPECT_EQ(a.frame(), 40) << r.name;
    EXPECT_EQ(a.position(), (P{876, 640})) << r.name;
  }
}

TEST(DeskpalAnimationTest, DraggingHoldsTheWalkAndTheDropIdlesAtOnce) {
  ScriptedRandom random;  // 1 for ever: walking, diagonally
  DeskpalAnimation a(1024, 768, random);
  ticks(a, kIdleEnds + 10);
  ASSERT_EQ(a.sequence(), 13);
  a.start_drag();
  a.drag_to({500, 300});
  std::set<int> frames;
  for (int i = 0; i < 10; ++i) {
    a.tick();
    frames.insert(a.frame());
    EXPECT_EQ(a.position(), (P{500, 300}));
  }
  EXPECT_GT(frames.size(), 1u);  // the figure still walks on the spot
  a.drag_to({-50, 5000});
  EXPECT_EQ(a.position(), (P{0, 704}));
  a.drop();
  a.tick();
  EXPECT_EQ(a.sequence(), DeskpalAnimation::kIdle);
  EXPECT_EQ(a.index(), 0);
  EXPECT_EQ(a.frame(), 40);
}

// A long walk with ordinary random numbers stays on the screen, keeps the
// target at its four places and keeps arriving.
TEST(DeskpalAnimationTest, ALongWalkKeepsArriving) {
  class Lcg final : public RandomSource {
   public:
    std::uint32_t next() override { return (state = state * 1103515245u + 12345u) >> 16; }
    std::uint32_t state = 7;
  } random;
  DeskpalAnimation a(1024, 768, random);
  int jumps = 0;
  P target = a.target();
  for (int i = 0; i < 20 * 60 * 20; ++i) {
    a.tick();
    ASSERT_TRUE(a.position().x >= 0 && a.position().x <= 992 && a.position().y >= 0 && a.position().y <= 704);
    ASSERT_TRUE((a.target().x == 112 || a.target().x == 880) && (a.target().y == 64 || a.target().y == 640));
    if (a.target() != target) ++jumps;
    target = a.target();
  }
  EXPECT_GE(jumps, 5);
}

}  // namespace
}  // namespace phondeck
