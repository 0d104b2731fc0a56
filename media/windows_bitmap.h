#pragma once
// Our own reader and writer of Windows bitmap files (".bmp"), so the core reads
// pictures without a windowing library.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "media/mono_bitmap.h"

namespace phondeck {

// True when the bytes begin with the bitmap file signature "BM".
bool looksLikeWindowsBitmap(std::span<const std::uint8_t> bytes);

// The picture of a bitmap file, set wherever the colour is not pure white.
// Reads uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel (16 and 32 also
// with colour masks), bottom-up and top-down, and run-length encoded 4 and 8
// bits (a pixel the runs skip stays clear), with the old 12-byte header or
// any of the later ones. Nothing for anything else, for sides beyond
// MonoBitmap::kMaxSide, and for pixel data that the bytes do not hold.
std::optional<MonoBitmap> decodeWindowsBitmap(std::span<const std::uint8_t> bytes);

// A 1-bit bottom-up bitmap file: palette entry 0 black, entry 1 white. Empty
// for an empty picture.
std::vector<std::uint8_t> encodeWindowsBitmap(const MonoBitmap& picture);

}  // namespace phondeck
