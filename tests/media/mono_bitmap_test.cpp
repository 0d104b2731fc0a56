// Monochrome pictures: pixel access and the row and band packings.
#include <gtest/gtest.h>

#include <vector>

#include "media/mono_bitmap.h"

namespace phondeck {
namespace {

// The set pixels of a picture, for compact comparisons.
std::vector<std::pair<int, int>> setPixels(const MonoBitmap& picture) {
  std::vector<std::pair<int, int>> pixels;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (picture.get(x, y)) pixels.emplace_back(x, y);
  return pixels;
}

using Pixels = std::vector<std::pair<int, int>>;

TEST(MonoBitmap, AccessOutsideThePictureIsHarmless) {
  MonoBitmap picture(3, 2);
  picture.set(-1, 0);
  picture.set(3, 0);
  picture.set(0, 2);
  EXPECT_FALSE(picture.any());
  picture.set(2, 1);
  EXPECT_TRUE(picture.get(2, 1));
  EXPECT_FALSE(picture.get(3, 1));
  EXPECT_FALSE(picture.get(2, -1));
  EXPECT_TRUE(MonoBitmap(-5, 4).empty());
  EXPECT_EQ(MonoBitmap(MonoBitmap::kMaxSide + 1, 1).width(), MonoBitmap::kMaxSide);
}

TEST(RowPacking, SingleBytesSetSinglePixels) {
  std::vector<std::uint8_t> bytes(kLogoBytes, 0);
  bytes[0] = 0x80;
  EXPECT_EQ(setPixels(unpackRows(bytes)), (Pixels{{0, 0}}));
  bytes[0] = 0;
  bytes[8] = 0x01;
  EXPECT_EQ(setPixels(unpackRows(bytes)), (Pixels{{71, 0}}));
  bytes[8] = 0;
  bytes[125] = 0x01;
  EXPECT_EQ(setPixels(unpackRows(bytes)), (Pixels{{71, 13}}));
  bytes[125] = 0;
  bytes[9] = 0x40;
  EXPECT_EQ(setPixels(unpackRows(bytes)), (Pixels{{1, 1}}));
}

TEST(RowPacking, RoundTripAndOddWidths) {
  MonoBitmap logo(kLogoWidth, kLogoHeight);
  for (int i = 0; i < 40; ++i) logo.set((i * 37) % 72, (i * 5) % 14);
  const auto bytes = packRows(logo);
  ASSERT_EQ(bytes.size(), kLogoBytes);
  EXPECT_EQ(unpackRows(bytes), logo);

  // A width that is not a multiple of 8 leaves the low bits of each row's last byte zero.
  MonoBitmap odd(10, 2);
  for (int x = 0; x < 10; ++x) odd.set(x, 1);
  EXPECT_EQ(packRows(odd), (std::vector<std::uint8_t>{0x00, 0x00, 0xFF, 0xC0}));
  EXPECT_EQ(unpackRows(std::vector<std::uint8_t>{0x00, 0x3F, 0xFF, 0xFF}, 10, 2), odd);
}

TEST(RowPacking, ShortInputGivesClearPixels) {
  const std::vector<std::uint8_t> bytes(9, 0xFF);  // only the first row
  const MonoBitmap logo = unpackRows(bytes);
  EXPECT_EQ(logo.width(), 72);
  EXPECT_EQ(logo.height(), 14);
  EXPECT_EQ(setPixels(logo).size(), 72u);
  EXPECT_FALSE(logo.get(0, 1));
  EXPECT_FALSE(unpackRows({}).any());
}

TEST(BandPacking, SingleBytesSetSinglePixels) {
  std::vector<std::uint8_t> bytes(kStartupBytes, 0);
  auto only = [&](std::size_t index, std::uint8_t value) {
    std::fill(bytes.begin(), bytes.end(), 0);
    bytes[index] = value;
    return setPixels(unpackBands(bytes));
  };
  EXPECT_EQ(only(0, 0x01), (Pixels{{0, 0}}));
  EXPECT_EQ(only(0, 0x80), (Pixels{{0, 7}}));
  EXPECT_EQ(only(84, 0x01), (Pixels{{0, 8}}));
  EXPECT_EQ(only(503, 0x80), (Pixels{{83, 47}}));
  EXPECT_EQ(only(85, 0x02), (Pixels{{1, 9}}));
}

TEST(BandPacking, RoundTripAndCorners) {
  MonoBitmap startup(kStartupWidth, kStartupHeight);
  startup.set(0, 0);
  startup.set(83, 47);
  auto bytes = packBands(startup);
  ASSERT_EQ(bytes.size(), kStartupBytes);
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[503], 0x80);
  for (int i = 0; i < 300; ++i) startup.set((i * 29) % 84, (i * 7) % 48);
  EXPECT_EQ(unpackBands(packBands(startup)), startup);
  // Missing bands are clear.
  bytes.assign(84, 0xFF);
  const MonoBitmap first = unpackBands(bytes);
  EXPECT_TRUE(first.get(83, 7));
  EXPECT_FALSE(first.get(0, 8));
}

TEST(PictureHeader, CarriesTheSides) {
  EXPECT_EQ(pictureHeader(MonoBitmap(72, 14)), (std::vector<std::uint8_t>{0x00, 0x48, 0x0E, 0x01}));
  EXPECT_EQ(pictureHeader(MonoBitmap(84, 48)), (std::vector<std::uint8_t>{0x00, 0x54, 0x30, 0x01}));
}

}  // namespace
}  // namespace phondeck
