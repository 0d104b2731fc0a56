#pragma once
// Builds Windows bitmap files of any depth for the tests, pixel by pixel.
#include <cstdint>
#include <functional>
#include <vector>

namespace phondeck::bmptest {

struct Rgb {
  std::uint8_t r = 255, g = 255, b = 255;
};

struct BitmapSpec {
  int width = 4;
  int height = 3;
  bool topDown = false;
  int bitCount = 24;
  bool coreHeader = false;  // the old 12-byte header
  bool masks = false;       // 16/32 bits with colour masks after a 40-byte header
  std::vector<Rgb> palette;  // for 1, 4 and 8 bits
};

inline void put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  put16(out, at, v & 0xFFFF);
  put16(out, at + 2, v >> 16);
}

// `pixel(x, y)` gives the palette index (1, 4, 8 bits) or the raw pixel value
// (16, 24 and 32 bits: 0xRRGGBB for 24, the value as stored for 16 and 32).
inline std::vector<std::uint8_t> buildBitmap(const BitmapSpec& spec,
                                             const std::function<std::uint32_t(int, int)>& pixel) {
  const std::size_t header = spec.coreHeader ? 12 : 40;
  const std::size_t entry = spec.coreHeader ? 3 : 4;
  const std::size_t maskBytes = spec.masks ? 12 : 0;
  const std::size_t paletteOffset = 14 + header + maskBytes;
  const std::size_t pixelOffset = paletteOffset + spec.palette.size() * entry;
  const std::size_t stride = (static_cast<std::size_t>(spec.width) * spec.bitCount + 31) / 32 * 4;
  std::vector<std::uint8_t> out(pixelOffset + stride * static_cast<std::size_t>(spec.height), 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<std::uint32_t>(out.size()));
  put32(out, 10, static_cast<std::uint32_t>(pixelOffset));
  put32(out, 14, static_cast<std::uint32_t>(header));
  if (spec.coreHeader) {
    put16(out, 18, static_cast<std::uint32_t>(spec.width));
    put16(out, 20, static_cast<std::uint32_t>(spec.height));
    put16(out, 22, 1);
    put16(out, 24, static_cast<std::uint32_t>(spec.bitCount));
  } else {
    put32(out, 18, static_cast<std::uint32_t>(spec.width));
    put32(out, 22, static_cast<std::uint32_t>(spec.topDown ? -spec.height : spec.height));
    put16(out, 26, 1);
    put16(out, 28, static_cast<std::uint32_t>(spec.bitCount));
    put32(out, 30, spec.masks ? 3 : 0);
    put32(out, 46, static_cast<std::uint32_t>(spec.palette.size()));
    if (spec.masks) {
      const bool wide = spec.bitCount == 32;
      put32(out, 54, wide ? 0x0000FF00 : 0xF800);  // red
      put32(out, 58, wide ? 0x00FF0000 : 0x07E0);  // green
      put32(out, 62, wide ? 0xFF000000 : 0x001F);  // blue
    }
  }
  for (std::size_t i = 0; i < spec.palette.size(); ++i) {
    out[paletteOffset + i * entry] = spec.palette[i].b;
    out[paletteOffset + i * entry + 1] = spec.palette[i].g;
    out[paletteOffset + i * entry + 2] = spec.palette[i].r;
  }
  for (int y = 0; y < spec.height; ++y) {
    const int row = spec.topDown ? y : spec.height - 1 - y;
    const std::size_t base = pixelOffset + stride * static_cast<std::size_t>(row);
    for (int x = 0; x < spec.width; ++x) {
      const std::uint32_t v = pixel(x, y);
      const std::size_t bit = static_cast<std::size_t>(x) * spec.bitCount;
      switch (spec.bitCount) {
        case 1: case 4: case 8:
          out[base + bit / 8] |= static_cast<std::uint8_t>(v << (8 - spec.bitCount - bit % 8));
          break;
        case 16: put16(out, base + bit / 8, v); break;
        case 24:
          out[base + bit / 8] = static_cast<std::uint8_t>(v);
          out[base + bit / 8 + 1] = static_cast<std::uint8_t>(v >> 8);
          out[base + bit / 8 + 2] = static_cast<std::uint8_t>(v >> 16);
          break;
        case 32: put32(out, base + bit / 8, v); break;
      }
    }
  }
  return out;
}

}  // namespace phondeck::bmptest
