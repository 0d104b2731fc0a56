#include "companion/deskpal_animation.h"

#include <algorithm>
#include <cstdlib>

namespace phondeck {
namespace {

constexpr int kTicksPerFrame = 2;
constexpr int kMaxSteps = 24;
// Closer than this the figure has arrived.
constexpr int kNearX = 7;
constexpr int kNearY = 15;

struct Sequence {
  std::array<DeskpalStep, kMaxSteps> steps{};
  int length = 0;
};

// Walking sequences use the five frames 5s..5s+4: standing, the two poses
// of one stride, the two of the other. Odd sequences come back to standing
// at the very end instead of to the middle of the second stride.
constexpr std::array<Sequence, DeskpalAnimation::kSequenceCount> make_sequences() {
  std::array<Sequence, DeskpalAnimation::kSequenceCount> all{};
  for (int s = 0; s < DeskpalAnimation::kSequenceCount; ++s) {
    Sequence& seq = all[static_cast<std::size_t>(s)];
    const int f = 5 * s;
    const std::array<int, 8> idle{40, 41, 42, 41, 40, 43, 44, 43};
    const std::array<int, 7> walk{f, f + 2, f + 1, f + 2, f + 3, f + 4, f + 3};
    for (int round = 0; round < 3; ++round) {
      if (s == DeskpalAnimation::kIdle) {
        for (int frame : idle) seq.steps[static_cast<std::size_t>(seq.length++)] = {frame, kTicksPerFrame};
      } else {
        for (int frame : walk) seq.steps[static_cast<std::size_t>(seq.length++)] = {frame, kTicksPerFrame};
      }
    }
    if (s != DeskpalAnimation::kIdle && s % 2 == 1) seq.steps[20].frame = f;
  }
  return all;
}

constexpr auto kSequences = make_sequences();

// Directions of sequences 0..7 (running) and, in the same order, 9..16
// (walking): right, up-right, up-left, up, down-right, down-left, down, left.
constexpr std::array<DeskpalPoint, 8> kDirections{{
    {1, 0}, {1, -1}, {-1, -1}, {0, -1}, {1, 1}, {-1, 1}, {0, 1}, {-1, 0}}};

// One coordinate's step: it may not pass the target in the direction of
// travel nor leave [0, high]. `stopped` is set when a limit cut the step.
int limited(int from, int delta, int target, int high, bool& stopped) {
  int to = from + delta;
  if (delta > 0 && from <= target && to > target) to = target;
  if (delta < 0 && from >= target && to < target) to = target;
  to = std::clamp(to, 0, std::max(0, high));
  if (delta != 0 && to != from + delta) stopped = true;
  return to;
}

}  // namespace

std::uint32_t RuntimeRandom::next() { return static_cast<std::uint32_t>(std::rand()); }

DeskpalAnimation::DeskpalAnimation(int screen_width, int screen_height, RandomSource& random)
    : width_(screen_width),
      height_(screen_height),
      random_(random),
      position_{screen_width / 8 - kWidth / 2, screen_height / 8 - kHeight / 2},
      target_{7 * screen_width / 8 - kWidth / 2, 7 * screen_height / 8 - kHeight / 2} {}

std::span<const DeskpalStep> DeskpalAnimation::steps(int sequence) {
  const Sequence& seq = kSequences.at(static_cast<std::size_t>(sequence));
  return {seq.steps.data(), static_cast<std::size_t>(seq.length)};
}

DeskpalPoint DeskpalAnimation::velocity(int sequence) {
  if (sequence == kIdle) return {};
  const bool run = sequence < kIdle;
  const DeskpalPoint d = kDirections.at(static_cast<std::size_t>(run ? sequence : sequence - kIdle - 1));
  return {d.x * (run ? 8 : 4), d.y * (run ? 6 : 3)};
}

bool DeskpalAnimation::tick() {
  ++counter_;
  const int frame_before = frame_;
  const DeskpalPoint position_before = position_;
  // An arrival or a sequence's end advances again at once; a screen too
  // small to tell the target's two places apart must not hold the tick.
  for (int guard = 0; guard < 8 && counter_ >= next_change_; ++guard) advance();
  return frame_ != frame_before || position_ != position_before;
}

void DeskpalAnimation::advance() {
  ++index_;
  const auto seq = steps(sequence_);
  if (index_ >= static_cast<int>(seq.size())) {
    // The end marker lasts no tick: the next sequence starts now.
    next_change_ = counter_;
    index_ = -1;
    sequence_ = kIdle;
    if (!one_in_four()) choose_next_sequence();
    return;
  }
  const DeskpalStep& step = seq[static_cast<std::size_t>(index_)];
  next_change_ = counter_ + step.ticks;
  frame_ = step.frame;
  if (dragging_) return;
  if (std::abs(position_.x - target_.x) > kNearX || std::abs(position_.y - target_.y) > kNearY) {
    move_one_step();
    return;
  }
  sequence_ = kIdle;
  index_ = -1;
  next_change_ = counter_;
  target_jumps();
}

void DeskpalAnimation::choose_next_sequence() {
  const bool right = position_.x < target_.x;
  const bool down = position_.y < target_.y;
  const bool far_x = std::abs(position_.x - target_.x) > kNearX;
  const bool far_y = std::abs(position_.y - target_.y) > kNearY;
  int walk = 0;
  int run = 0;
  // Far in both directions: diagonally three times out of four.
  if (far_x && (!far_y || one_in_four())) {
    walk = right ? 9 : 16;
    run = right ? 0 : 7;
  } else if (far_x) {
    walk = right ? (down ? 13 : 10) : (down ? 14 : 11);
    run = right ? (down ? 4 : 1) : (down ? 5 : 2);
  } else {
    walk = down ? 15 : 12;
    run = down ? 6 : 3;
  }
  sequence_ = one_in_two() ? walk : run;
}

void DeskpalAnimation::move_one_step() {
  const DeskpalPoint v = velocity(sequence_);
  bool stopped = false;
  position_.x = limited(position_.x, v.x, target_.x, width_ - kWidth, stopped);
  position_.y = limited(position_.y, v.y, target_.y, height_ - kHeight, stopped);
  // A limit ends the sequence after this frame.
  if (stopped) index_ = static_cast<int>(steps(sequence_).size()) - 1;
}

void DeskpalAnimation::target_jumps() {
  const DeskpalPoint old = target_;
  target_.x = old.x < (width_ - kWidth) / 2 ? 7 * width_ / 8 - kWidth / 2 : width_ / 8 - kWidth / 2;
  target_.y = old.y < (height_ - kHeight) / 2 ? 7 * height_ / 8 - kHeight / 2 : height_ / 8 - kHeight / 2;
  if (one_in_two()) {
    if (one_in_two()) {
      target_.x = old.x;
    } else {
      target_.y = old.y;
    }
  }
}

void DeskpalAnimation::start_drag() { dragging_ = true; }

void DeskpalAnimation::drag_to(DeskpalPoint position) {
  position_.x = std::clamp(position.x, 0, std::max(0, width_ - kWidth));
  position_.y = std::clamp(position.y, 0, std::max(0, height_ - kHeight));
}

void DeskpalAnimation::drop() {
  dragging_ = false;
  sequence_ = kIdle;
  index_ = -1;
  next_change_ = counter_;
}

}  // namespace phondeck
