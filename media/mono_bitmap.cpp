// The monochrome picture and its row and band packings.
#include "media/mono_bitmap.h"

#include <algorithm>

namespace phondeck {

MonoBitmap::MonoBitmap(int width, int height)
    : width_(std::clamp(width, 0, kMaxSide)), height_(std::clamp(height, 0, kMaxSide)) {
  if (width_ == 0 || height_ == 0) width_ = height_ = 0;
  bits_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), false);
}

bool MonoBitmap::get(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x)];
}

void MonoBitmap::set(int x, int y, bool black) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
        static_cast<std::size_t>(x)] = black;
}

void MonoBitmap::clear() { std::fill(bits_.begin(), bits_.end(), false); }

bool MonoBitmap::any() const { return std::find(bits_.begin(), bits_.end(), true) != bits_.end(); }

std::vector<std::uint8_t> packRows(const MonoBitmap& picture) {
  const int rowBytes = (picture.width() + 7) / 8;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(rowBytes) *
                                  static_cast<std::size_t>(picture.height()));
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.get(x, y))
        bytes[static_cast<std::size_t>(y * rowBytes + x / 8)] |=
            static_cast<std::uint8_t>(0x80 >> (x % 8));
  return bytes;
}

MonoBitmap unpackRows(std::span<const std::uint8_t> bytes, int width, int height) {
  MonoBitmap picture(width, height);
  const std::size_t rowBytes = static_cast<std::size_t>((picture.width() + 7) / 8);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * rowBytes + static_cast<std::size_t>(x / 8);
      if (i < bytes.size() && (bytes[i] & (0x80 >> (x % 8)))) picture.set(x, y);
    }
  return picture;
}

std::vector<std::uint8_t> packBands(const MonoBitmap& picture) {
  const int bands = (picture.height() + 7) / 8;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(bands) *
                                  static_cast<std::size_t>(picture.width()));
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.get(x, y))
        bytes[static_cast<std::size_t>((y / 8) * picture.width() + x)] |=
            static_cast<std::uint8_t>(1 << (y % 8));
  return bytes;
}

MonoBitmap unpackBands(std::span<const std::uint8_t> bytes, int width, int height) {
  MonoBitmap picture(width, height);
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const std::size_t i = static_cast<std::size_t>(y / 8) * static_cast<std::size_t>(picture.width()) +
                            static_cast<std::size_t>(x);
      if (i < bytes.size() && (bytes[i] & (1 << (y % 8)))) picture.set(x, y);
    }
  return picture;
}

std::vector<std::uint8_t> pictureHeader(const MonoBitmap& picture) {
  return {0x00, static_cast<std::uint8_t>(picture.width() & 0xFF),
          static_cast<std::uint8_t>(picture.height() & 0xFF), 0x01};
}

}  // namespace phondeck
