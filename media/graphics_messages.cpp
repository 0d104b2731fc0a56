#include "media/graphics_messages.h"

#include <algorithm>

namespace phondeck {
namespace {

// The picture cut or padded to the given size.
MonoBitmap fitted(const MonoBitmap& picture, int width, int height) {
  if (picture.width() == width && picture.height() == height) return picture;
  MonoBitmap out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) out.set(x, y, picture.get(x, y));
  }
  return out;
}

void append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Header and row-packed bytes of a 72 x 14 picture.
void append_logo(std::vector<std::uint8_t>& out, const MonoBitmap& picture) {
  const MonoBitmap logo = fitted(picture, kLogoWidth, kLogoHeight);
  append(out, pictureHeader(logo));
  append(out, packRows(logo));
}

int digit(int value) { return value >= 0 && value <= 9 ? value : 0; }

}  // namespace

std::vector<std::uint8_t> group_graphic_message(const MonoBitmap& picture) {
  std::vector<std::uint8_t> out{0x06, 0x05, 0x04, kPortGroupGraphic >> 8, kPortGroupGraphic & 0xFF, 0x00, 0x00};
  append_logo(out, picture);
  return out;
}

std::array<std::uint8_t, 3> network_code_bytes(int mcc, int mnc) {
  mcc = std::max(mcc, 0) % 1000;
  mnc = std::max(mnc, 0) % 100;
  const int d1 = mcc / 100;
  const int d2 = mcc / 10 % 10;
  const int d3 = mcc % 10;
  const int m1 = mnc / 10;
  const int m2 = mnc % 10;
  return {static_cast<std::uint8_t>(d2 << 4 | d1), static_cast<std::uint8_t>(0xF0 | d3),
          static_cast<std::uint8_t>(m2 << 4 | m1)};
}

void network_code_from_bytes(std::span<const std::uint8_t, 3> bytes, int& mcc, int& mnc) {
  mcc = digit(bytes[0] & 0x0F) * 100 + digit(bytes[0] >> 4) * 10 + digit(bytes[1] & 0x0F);
  mnc = digit(bytes[2] & 0x0F) * 10 + digit(bytes[2] >> 4);
}

std::vector<std::uint8_t> operator_logo_data(const MonoBitmap& picture, int mcc, int mnc) {
  std::vector<std::uint8_t> out{0x00, 0x30, 0x00};
  append(out, network_code_bytes(mcc, mnc));
  out.push_back(0x00);
  out.push_back(0x82);  // the picture header and the picture
  append_logo(out, picture);
  return out;
}

std::vector<std::uint8_t> startup_graphic_data(const MonoBitmap& picture) {
  std::vector<std::uint8_t> out{0x00, 0x18, 0x01, 0x01, kStartupHeight, kStartupWidth};
  append(out, packBands(fitted(picture, kStartupWidth, kStartupHeight)));
  return out;
}

std::vector<std::vector<std::uint8_t>> operator_logo_sms_parts(const MonoBitmap& picture, int mcc, int mnc,
                                                               std::uint8_t reference) {
  std::vector<std::uint8_t> logo{0x30};  // Smart Messaging version
  append(logo, network_code_bytes(mcc, mnc));
  logo.push_back(0x0A);
  append_logo(logo, picture);

  constexpr std::uint8_t kParts = 2;
  constexpr std::size_t kHeader = 12;  // length byte and both elements
  constexpr std::size_t kRoom = 140 - kHeader;
  std::vector<std::vector<std::uint8_t>> parts;
  for (std::uint8_t k = 0; k < kParts; ++k) {
    std::vector<std::uint8_t> part{
        kHeader - 1, 0x05, 0x04, kPortOperatorLogo >> 8, kPortOperatorLogo & 0xFF, 0x00, 0x00,
        0x00,        0x03, reference, kParts, static_cast<std::uint8_t>(k + 1)};
    const std::size_t from = std::min<std::size_t>(k * kRoom, logo.size());
    const std::size_t to = k + 1 == kParts ? logo.size() : std::min(from + kRoom, logo.size());
    part.insert(part.end(), logo.begin() + static_cast<long>(from), logo.begin() + static_cast<long>(to));
    parts.push_back(std::move(part));
  }
  return parts;
}

}  // namespace phondeck
