#pragma once
// The black-and-white picture of the handset's graphics, and the two packings
// it travels in on the link and in short messages.
#include <cstdint>
#include <span>
#include <vector>

namespace phondeck {

class MonoBitmap {
 public:
  // Sides above this are refused by the readers; no handset picture comes near.
  static constexpr int kMaxSide = 16384;

  MonoBitmap() = default;
  // A clear picture; negative sides count as 0, sides above kMaxSide as kMaxSide.
  MonoBitmap(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool empty() const { return width_ == 0 || height_ == 0; }

  // Pixel (x, y), x from the left, y from the top; true is black (set).
  // Outside the picture every pixel reads clear.
  bool get(int x, int y) const;
  // Ignored outside the picture.
  void set(int x, int y, bool black = true);
  void clear();
  bool any() const;

  bool operator==(const MonoBitmap&) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<bool> bits_;  // row after row
};

// Group graphics, operator logos and the buffer file use 72 by 14; the startup
// graphic 84 by 48.
inline constexpr int kLogoWidth = 72;
inline constexpr int kLogoHeight = 14;
inline constexpr int kStartupWidth = 84;
inline constexpr int kStartupHeight = 48;
inline constexpr std::size_t kLogoBytes = 126;
inline constexpr std::size_t kStartupBytes = 504;

// Rows from the top, ceil(width / 8) bytes per row, leftmost pixel in the most
// significant bit; the unused low bits of a row's last byte are zero.
std::vector<std::uint8_t> packRows(const MonoBitmap& picture);
// The inverse; bytes missing at the end give clear pixels, bytes beyond the
// picture are ignored.
MonoBitmap unpackRows(std::span<const std::uint8_t> bytes, int width = kLogoWidth,
                      int height = kLogoHeight);

// Bands of eight rows from the top, one byte per column from the left, the top
// row of the band in bit 0.
std::vector<std::uint8_t> packBands(const MonoBitmap& picture);
MonoBitmap unpackBands(std::span<const std::uint8_t> bytes, int width = kStartupWidth,
                       int height = kStartupHeight);

// The 4 bytes before a row-packed picture in group, operator-logo and
// short-message forms: 0x00, width, height, 0x01 (sides taken modulo 256).
std::vector<std::uint8_t> pictureHeader(const MonoBitmap& picture);

}  // namespace phondeck
