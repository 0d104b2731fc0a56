#pragma once
// Deskpal's walk: 17 frame sequences driven by a 50 ms tick, a figure that
// heads for an invisible target and a target that jumps to the opposite side
// of the screen whenever the figure arrives. Coordinates are those of the
// screen area the figure lives in: (0, 0) is its top-left corner.
#include <array>
#include <cstdint>
#include <span>

namespace phondeck {

// The random numbers the walk draws; tests script them.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual std::uint32_t next() = 0;
};

// The C runtime's generator, unseeded as the walk has always been.
class RuntimeRandom final : public RandomSource {
 public:
  std::uint32_t next() override;
};

struct DeskpalPoint {
  int x = 0;
  int y = 0;
  bool operator==(const DeskpalPoint&) const = default;
};

// One entry of a sequence: the frame to show and for how many ticks.
struct DeskpalStep {
  int frame;
  int ticks;
};

class DeskpalAnimation {
 public:
  static constexpr int kWidth = 32;
  static constexpr int kHeight = 64;
  static constexpr int kFrameCount = 85;
  static constexpr int kSequenceCount = 17;
  static constexpr int kIdle = 8;
  static constexpr int kTickMs = 50;

  DeskpalAnimation(int screen_width, int screen_height, RandomSource& random);

  // One 50 ms tick. True when the frame or the position changed.
  bool tick();

  // Dragging: the window follows the pointer and reports each position;
  // the walk pauses until the drop, after which it idles from the next tick.
  void start_drag();
  void drag_to(DeskpalPoint position);
  void drop();

  int frame() const { return frame_; }
  DeskpalPoint position() const { return position_; }
  DeskpalPoint target() const { return target_; }
  int sequence() const { return sequence_; }
  int index() const { return index_; }
  bool dragging() const { return dragging_; }

  // Sequence s without its end marker.
  static std::span<const DeskpalStep> steps(int sequence);
  // Step of one frame change in sequence s, in pixels.
  static DeskpalPoint velocity(int sequence);

 private:
  void advance();
  void choose_next_sequence();
  void move_one_step();
  void target_jumps();
  bool one_in_four() { return (random_.next() & 3u) == 0; }
  bool one_in_two() { return (random_.next() & 1u) == 1; }

  int width_;
  int height_;
  RandomSource& random_;
  DeskpalPoint position_;
  DeskpalPoint target_;
  int sequence_ = kIdle;
  int index_ = -1;
  long long counter_ = 0;
  long long next_change_ = 1;
  int frame_ = 40;
  bool dragging_ = false;
};

}  // namespace phondeck
