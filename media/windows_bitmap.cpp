// Windows bitmap files. Every read is checked against the real size of the
// bytes; the headers' own size fields are not trusted.
#include "media/windows_bitmap.h"

#include <array>
#include <cstdlib>

namespace phondeck {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kColourMasks = 3;

struct Bytes {
  std::span<const std::uint8_t> data;
  bool has(std::size_t offset, std::size_t count) const {
    return offset <= data.size() && count <= data.size() - offset;
  }
  std::uint32_t u16(std::size_t offset) const {
    return static_cast<std::uint32_t>(data[offset] | data[offset + 1] << 8);
  }
  std::uint32_t u32(std::size_t offset) const {
    return static_cast<std::uint32_t>(data[offset]) | static_cast<std::uint32_t>(data[offset + 1]) << 8 |
           static_cast<std::uint32_t>(data[offset + 2]) << 16 |
           static_cast<std::uint32_t>(data[offset + 3]) << 24;
  }
  std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
};

struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: top-down
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kUncompressed;
  std::uint32_t paletteUsed = 0;
  std::size_t paletteOffset = 0;
  std::size_t paletteEntrySize = 4;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue
};

std::optional<Layout> readLayout(const Bytes& in) {
  if (!in.has(0, kFileHeaderSize + 4) || in.data[0] != 'B' || in.data[1] != 'M') return std::nullopt;
  const std::uint32_t headerSize = in.u32(kFileHeaderSize);
  Layout layout;
  if (headerSize == kCoreHeaderSize) {
    if (!in.has(kFileHeaderSize, kCoreHeaderSize)) return std::nullopt;
    layout.width = in.u16(18);
    layout.height = in.u16(20);
    if (in.u16(22) != 1) return std::nullopt;
    layout.bitCount = in.u16(24);
    layout.paletteEntrySize = 3;
  } else if (headerSize >= kInfoHeaderSize && headerSize <= 1024) {
    if (!in.has(kFileHeaderSize, headerSize)) return std::nullopt;
    layout.width = in.i32(18);
    layout.height = in.i32(22);
    if (in.u16(26) != 1) return std::nullopt;
    layout.bitCount = in.u16(28);
    layout.compression = in.u32(30);
    layout.paletteUsed = in.u32(46);
  } else {
    return std::nullopt;
  }
  layout.paletteOffset = kFileHeaderSize + headerSize;

  if (layout.width <= 0 || layout.width > MonoBitmap::kMaxSide) return std::nullopt;
  if (layout.height == 0 || std::llabs(layout.height) > MonoBitmap::kMaxSide) return std::nullopt;
  switch (layout.bitCount) {
    case 1: case 24:
      if (layout.compression != kUncompressed) return std::nullopt;
      break;
    case 4: case 8:
      // Run-length encoded pictures are stored bottom-up only.
      if (layout.compression == (layout.bitCount == 8 ? kRle8 : kRle4)) {
        if (layout.height < 0) return std::nullopt;
      } else if (layout.compression != kUncompressed) {
        return std::nullopt;
      }
      break;
    case 16: case 32:
      if (layout.compression == kUncompressed) {
        layout.masks = layout.bitCount == 16 ? std::array<std::uint32_t, 3>{0x7C00, 0x03E0, 0x001F}
                                             : std::array<std::uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
      } else if (layout.compression == kColourMasks) {
        // The masks follow a 40-byte header, or sit inside a longer one.
        const std::size_t at = kFileHeaderSize + kInfoHeaderSize;
        if (!in.has(at, 12)) return std::nullopt;
        layout.masks = {in.u32(at), in.u32(at + 4), in.u32(at + 8)};
        if (headerSize == kInfoHeaderSize) layout.paletteOffset += 12;
        for (std::uint32_t mask : layout.masks)
          if (mask == 0 || (layout.bitCount == 16 && mask > 0xFFFF)) return std::nullopt;
      } else {
        return std::nullopt;
      }
      break;
    default:
      return std::nullopt;
  }
  return layout;
}

bool runLength(const Layout& layout) { return layout.compression == kRle8 || layout.compression == kRle4; }

// The palette index of every pixel of a run-length encoded picture, top row
// first; -1 for a pixel the runs skip (a jump, or a line or the picture
// ended early), which stays clear. Nothing for runs that leave the picture
// or bytes that end before the end-of-picture mark.
std::optional<std::vector<std::int16_t>> runLengthIndices(const Bytes& in, std::size_t at, const Layout& layout) {
  const std::size_t width = static_cast<std::size_t>(layout.width);
  const std::size_t rows = static_cast<std::size_t>(layout.height);
  const bool four = layout.compression == kRle4;
  std::vector<std::int16_t> indices(width * rows, -1);
  std::size_t x = 0;
  std::size_t row = 0;  // from the bottom, as stored
  auto put = [&](std::uint8_t index) {
    if (x >= width || row >= rows) return false;
    indices[(rows - 1 - row) * width + x] = index;
    ++x;
    return true;
  };
  for (;;) {
    if (!in.has(at, 2)) return std::nullopt;
    const std::uint8_t count = in.data[at];
    const std::uint8_t value = in.data[at + 1];
    at += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) {
        const std::uint8_t index = four ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
        if (!put(index)) return std::nullopt;
      }
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++row;
        break;
      case 1:  // end of picture
        return indices;
      case 2: {  // jump right and up
        if (!in.has(at, 2)) return std::nullopt;
        x += in.data[at];
        row += in.data[at + 1];
        at += 2;
        if (x > width || row > rows) return std::nullopt;
        break;
      }
      default: {  // `value` pixels as they are, padded to a whole word
        const std::size_t bytes = four ? (value + 1u) / 2 : value;
        const std::size_t padded = (bytes + 1) / 2 * 2;
        if (!in.has(at, padded)) return std::nullopt;
        for (unsigned i = 0; i < value; ++i) {
          const std::uint8_t byte = in.data[at + (four ? i / 2 : i)];
          const std::uint8_t index = four ? static_cast<std::uint8_t>(i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
          if (!put(index)) return std::nullopt;
        }
        at += padded;
        break;
      }
    }
  }
}

}  // namespace

bool looksLikeWindowsBitmap(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::optional<MonoBitmap> decodeWindowsBitmap(std::span<const std::uint8_t> bytes) {
  const Bytes in{bytes};
  const auto found = readLayout(in);
  if (!found) return std::nullopt;
  const Layout& layout = *found;

  const std::uint32_t pixelOffset = in.u32(10);
  if (pixelOffset < layout.paletteOffset || pixelOffset > bytes.size()) return std::nullopt;
  const std::uint64_t width = static_cast<std::uint64_t>(layout.width);
  const std::uint64_t rows = static_cast<std::uint64_t>(std::llabs(layout.height));
  const std::uint64_t rowBits = width * layout.bitCount;
  const std::uint64_t stride = (rowBits + 31) / 32 * 4;
  // The last row may come without its padding.
  const std::uint64_t needed = stride * (rows - 1) + (rowBits + 7) / 8;
  std::optional<std::vector<std::int16_t>> runs;
  if (runLength(layout)) {
    runs = runLengthIndices(in, pixelOffset, layout);
    if (!runs) return std::nullopt;
  } else if (needed > bytes.size() - pixelOffset) {
    return std::nullopt;
  }

  // Which palette entries are white. An entry the file does not hold counts as
  // black, so a pixel never turns clear by pointing past the palette.
  std::vector<bool> whiteEntry;
  if (layout.bitCount <= 8) {
    std::size_t entries = std::size_t{1} << layout.bitCount;
    if (layout.paletteUsed != 0 && layout.paletteUsed < entries) entries = layout.paletteUsed;
    whiteEntry.assign(std::size_t{1} << layout.bitCount, false);
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t at = layout.paletteOffset + i * layout.paletteEntrySize;
      if (at + 3 > pixelOffset || !in.has(at, 3)) break;
      whiteEntry[i] = bytes[at] == 0xFF && bytes[at + 1] == 0xFF && bytes[at + 2] == 0xFF;
    }
  }
  auto isWhite = [&](std::uint32_t value) {
    for (std::uint32_t mask : layout.masks)
      if ((value & mask) != mask) return false;
    return true;
  };

  MonoBitmap picture(static_cast<int>(width), static_cast<int>(rows));
  for (std::uint64_t row = 0; row < rows; ++row) {
    const std::size_t base = pixelOffset + static_cast<std::size_t>(row * stride);
    const int y = layout.height > 0 ? static_cast<int>(rows - 1 - row) : static_cast<int>(row);
    for (std::uint64_t x = 0; x < width; ++x) {
      bool white = false;
      if (runs) {
        const std::int16_t index = (*runs)[static_cast<std::size_t>(y) * width + x];
        if (index >= 0 && !whiteEntry[static_cast<std::size_t>(index)]) picture.set(static_cast<int>(x), y);
        continue;
      }
      switch (layout.bitCount) {
        case 1: case 4: case 8: {
          const std::uint64_t bit = x * layout.bitCount;
          const unsigned shift = static_cast<unsigned>(8 - layout.bitCount - bit % 8);
          const unsigned index = (bytes[base + static_cast<std::size_t>(bit / 8)] >> shift) &
                                 ((1u << layout.bitCount) - 1);
          white = whiteEntry[index];
          break;
        }
        case 16:
          white = isWhite(in.u16(base + static_cast<std::size_t>(x * 2)));
          break;
        case 24: {
          const std::size_t at = base + static_cast<std::size_t>(x * 3);
          white = bytes[at] == 0xFF && bytes[at + 1] == 0xFF && bytes[at + 2] == 0xFF;
          break;
        }
        case 32:
          white = isWhite(in.u32(base + static_cast<std::size_t>(x * 4)));
          break;
      }
      if (!white) picture.set(static_cast<int>(x), y);
    }
  }
  return picture;
}

std::vector<std::uint8_t> encodeWindowsBitmap(const MonoBitmap& picture) {
  if (picture.empty()) return {};
  const std::size_t stride = (static_cast<std::size_t>(picture.width()) + 31) / 32 * 4;
  const std::size_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 8;
  const std::size_t size = pixelOffset + stride * static_cast<std::size_t>(picture.height());
  std::vector<std::uint8_t> out(size, 0);
  auto put16 = [&](std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
  };
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, static_cast<std::uint32_t>(size));
  put32(10, static_cast<std::uint32_t>(pixelOffset));
  put32(14, kInfoHeaderSize);
  put32(18, static_cast<std::uint32_t>(picture.width()));
  put32(22, static_cast<std::uint32_t>(picture.height()));
  put16(26, 1);
  put16(28, 1);
  put32(34, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(picture.height())));
  put32(38, 2835);  // 72 dots per inch
  put32(42, 2835);
  put32(46, 2);
  put32(50, 2);
  // Palette: entry 0 black (already zero), entry 1 white.
  out[58] = out[59] = out[60] = 0xFF;
  for (int y = 0; y < picture.height(); ++y) {
    const std::size_t base = pixelOffset + stride * static_cast<std::size_t>(picture.height() - 1 - y);
    for (int x = 0; x < picture.width(); ++x)
      if (!picture.get(x, y)) out[base + static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  return out;
}

}  // namespace phondeck
