// Our Windows bitmap reader and writer, including hostile headers.
#include <gtest/gtest.h>

#include "bitmap_builder.h"
#include "media/windows_bitmap.h"

namespace phondeck {
namespace {

using bmptest::BitmapSpec;
using bmptest::buildBitmap;
using bmptest::put32;
using bmptest::Rgb;

// A diagonal-ish pattern: pixel (x, y) is dark when (x + 2y) % 3 == 0.
bool dark(int x, int y) { return (x + 2 * y) % 3 == 0; }

void expectPattern(const std::optional<MonoBitmap>& picture, int width, int height) {
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->width(), width);
  ASSERT_EQ(picture->height(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) EXPECT_EQ(picture->get(x, y), dark(x, y)) << x << "," << y;
}

TEST(WindowsBitmap, EveryDepthBothDirections) {
  struct Case {
    int bitCount;
    bool masks;
    std::uint32_t white, black;
  };
  const Case cases[] = {
      {1, false, 1, 0},        {4, false, 9, 3},          {8, false, 200, 17},
      {16, false, 0x7FFF, 0x7FFE}, {16, true, 0xFFFF, 0xF7FF}, {24, false, 0xFFFFFF, 0xFFFFFE},
      {32, false, 0x00FFFFFF, 0xFFFEFFFF}, {32, true, 0xFFFFFF00, 0xFFFFFE00},
  };
  for (const Case& c : cases) {
    for (bool topDown : {false, true}) {
      BitmapSpec spec;
      spec.width = 13;  // rows need padding at every depth
      spec.height = 5;
      spec.topDown = topDown;
      spec.bitCount = c.bitCount;
      spec.masks = c.masks;
      if (c.bitCount <= 8) {
        spec.palette.assign(std::size_t{1} << c.bitCount, Rgb{10, 10, 10});
        spec.palette[c.white] = Rgb{255, 255, 255};
        spec.palette[c.black] = Rgb{255, 255, 254};  // near-white is still set
      }
      SCOPED_TRACE(std::to_string(c.bitCount) + (topDown ? " top-down" : " bottom-up"));
      expectPattern(decodeWindowsBitmap(buildBitmap(
                        spec, [&](int x, int y) { return dark(x, y) ? c.black : c.white; })),
                    13, 5);
    }
  }
}

TEST(WindowsBitmap, OldHeaderAndShortPalettes) {
  BitmapSpec spec;
  spec.coreHeader = true;
  spec.bitCount = 8;
  spec.width = 7;
  spec.palette = {Rgb{0, 0, 0}, Rgb{255, 255, 255}};  // only two of 256 entries
  expectPattern(decodeWindowsBitmap(buildBitmap(spec, [](int x, int y) { return dark(x, y) ? 0u : 1u; })),
                7, 3);
  // An index past the palette is not white.
  spec.coreHeader = false;
  const auto picture = decodeWindowsBitmap(buildBitmap(spec, [](int, int) { return 77u; }));
  ASSERT_TRUE(picture.has_value());
  EXPECT_TRUE(picture->get(6, 2));
}

TEST(WindowsBitmap, LastRowWithoutPaddingIsAccepted) {
  BitmapSpec spec;
  spec.width = 3;  // 9 bytes per row, 3 of padding
  auto bytes = buildBitmap(spec, [](int x, int y) { return dark(x, y) ? 0u : 0xFFFFFFu; });
  bytes.resize(bytes.size() - 3);
  expectPattern(decodeWindowsBitmap(bytes), 3, 3);
  bytes.pop_back();
  EXPECT_FALSE(decodeWindowsBitmap(bytes).has_value());
}

TEST(WindowsBitmap, HostileHeadersAreRefused) {
  BitmapSpec spec;
  const auto good = buildBitmap(spec, [](int, int) { return 0u; });
  ASSERT_TRUE(decodeWindowsBitmap(good).has_value());
  auto with = [&](std::size_t at, std::uint32_t value) {
    auto bytes = good;
    put32(bytes, at, value);
    return decodeWindowsBitmap(bytes).has_value();
  };
  EXPECT_FALSE(with(18, 0));                   // zero width
  EXPECT_FALSE(with(18, 0xFFFFFFFF));          // negative width
  EXPECT_FALSE(with(18, 0x7FFFFFFF));          // huge width
  EXPECT_FALSE(with(22, 0));                   // zero height
  EXPECT_FALSE(with(22, 0x80000000));          // the most negative height
  EXPECT_FALSE(with(22, 100000));              // beyond the largest side
  EXPECT_FALSE(with(22, 10000));               // more rows than the file holds
  EXPECT_FALSE(with(22, static_cast<std::uint32_t>(-100000)));
  EXPECT_FALSE(with(10, 1000));                // pixel offset past the end
  EXPECT_FALSE(with(10, 20));                  // pixel offset inside the header
  EXPECT_FALSE(with(14, 30));                  // unknown header size
  EXPECT_FALSE(with(14, 0xFFFFFFF0));          // header size past the end
  EXPECT_FALSE(with(30, 1));                   // run-length compressed
  EXPECT_FALSE(with(30, 3));                   // masks on 24 bits
  EXPECT_FALSE(with(26, 0x00030002));          // 2 planes, 3 bits
  EXPECT_FALSE(with(26, 0x00020001));          // 2 bits per pixel
  EXPECT_FALSE(with(26, 0x00000001));          // 0 bits per pixel

  for (std::size_t size = 0; size < good.size(); ++size)
    EXPECT_FALSE(decodeWindowsBitmap(std::span(good.data(), size)).has_value()) << size;
  EXPECT_FALSE(looksLikeWindowsBitmap(std::vector<std::uint8_t>{'B'}));
  EXPECT_FALSE(decodeWindowsBitmap(std::vector<std::uint8_t>{'P', 'K', 3, 4}).has_value());
}

// A 4 x 2 bitmap of 4 or 8 bits whose pixels are the given run-length stream;
// palette entry 1 is white, every other black.
std::vector<std::uint8_t> runLengthBitmap(int bitCount, const std::vector<std::uint8_t>& stream, bool topDown = false) {
  BitmapSpec spec;
  spec.bitCount = bitCount;
  spec.height = 2;
  spec.topDown = topDown;
  spec.palette.assign(std::size_t{1} << bitCount, Rgb{0, 0, 0});
  spec.palette[1] = Rgb{255, 255, 255};
  auto bytes = buildBitmap(spec, [](int, int) { return 0u; });
  const std::size_t pixelOffset = 14 + 40 + spec.palette.size() * 4;
  bytes.resize(pixelOffset);
  put32(bytes, 30, bitCount == 8 ? 1 : 2);
  bytes.insert(bytes.end(), stream.begin(), stream.end());
  put32(bytes, 2, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

// Rows as text, top first: '#' set, '.' clear.
std::string rowsOf(const MonoBitmap& picture) {
  std::string out;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) out += picture.get(x, y) ? '#' : '.';
    out += '/';
  }
  return out;
}

TEST(WindowsBitmap, RunLengthEncodedPictures) {
  using B = std::vector<std::uint8_t>;
  struct Case {
    const char* what;
    int bitCount;
    B stream;
    const char* rows;  // "" when refused
  };
  const Case cases[] = {
      // Bottom row: a run of four whites; top row: three as they are (padded), then one black.
      {"8 bits", 8, {4, 1, 0, 0, 0, 3, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1}, "#.##/..../"},
      {"4 bits", 4, {4, 0x11, 0, 0, 0, 3, 0x01, 0x00, 1, 0x00, 0, 0, 0, 1}, "#.##/..../"},
      // Alternating nibbles in a run; a jump leaves its pixels clear though entry 0 is black.
      {"4-bit run of two colours", 4, {4, 0x10, 0, 0, 0, 2, 2, 0, 1, 0x00, 0, 1}, "..#./.#.#/"},
      {"picture ended early", 8, {2, 0, 0, 1}, "..../##../"},
      {"run past the line's end", 8, {5, 1, 0, 1}, ""},
      {"jump past the picture", 8, {0, 2, 1, 3, 0, 1}, ""},
      {"no end-of-picture mark", 8, {4, 1, 0, 0, 4, 1}, ""},
      {"pixels as they are cut off", 8, {0, 4, 0, 1}, ""},
      {"rows past the top", 8, {0, 0, 0, 0, 1, 0, 0, 1}, ""},
  };
  for (const Case& c : cases) {
    const auto picture = decodeWindowsBitmap(runLengthBitmap(c.bitCount, c.stream));
    if (std::string(c.rows).empty()) {
      EXPECT_FALSE(picture.has_value()) << c.what;
      continue;
    }
    ASSERT_TRUE(picture.has_value()) << c.what;
    EXPECT_EQ(rowsOf(*picture), c.rows) << c.what;
  }
  EXPECT_FALSE(decodeWindowsBitmap(runLengthBitmap(8, {4, 1, 0, 1}, true)).has_value()) << "top-down";
}

TEST(WindowsBitmap, WriterRoundTripsAndIsOneBit) {
  MonoBitmap picture(72, 14);
  for (int i = 0; i < 72; ++i) picture.set(i, (i * 3) % 14);
  const auto bytes = encodeWindowsBitmap(picture);
  ASSERT_EQ(bytes.size(), 62u + 12u * 14u);  // 72 bits padded to 12 bytes per row
  EXPECT_EQ(bytes[28], 1);                    // bits per pixel
  EXPECT_EQ(decodeWindowsBitmap(bytes), picture);
  MonoBitmap odd(1, 1);
  odd.set(0, 0);
  EXPECT_EQ(decodeWindowsBitmap(encodeWindowsBitmap(odd)), odd);
  EXPECT_TRUE(encodeWindowsBitmap(MonoBitmap()).empty());
}

}  // namespace
}  // namespace phondeck
