#pragma once
// Deskpal's figure, drawn in code: a little handset on legs with its face on
// the display. 85 frames of 32 x 64 pixels: five per walking sequence
// (standing, then the two poses of each stride) in the sequence's direction
// and speed, and the idle cycle (frames 40..44: blink, then a wave).
#include <array>
#include <cstdint>
#include <vector>

namespace phondeck {

struct DeskpalFrame {
  static constexpr int kWidth = 32;
  static constexpr int kHeight = 64;
  // 0xAARRGGBB, row by row; alpha is 0 or 255 (the outline is the mask).
  std::array<std::uint32_t, kWidth * kHeight> pixels{};

  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kWidth + x)]; }
  bool opaque(int x, int y) const { return (at(x, y) >> 24) != 0; }
  int opaque_count() const;
};

// All 85 frames, in frame order.
std::vector<DeskpalFrame> draw_deskpal_frames();

}  // namespace phondeck
