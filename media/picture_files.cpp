// Buffer file, NGG and NOL pixel text files, picture files.
#include "media/picture_files.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "app/file_replace.h"
#include "app/text_table.h"
#include "media/windows_bitmap.h"

namespace phondeck {

namespace {

constexpr int kFileErrorText = 3402;  // "Aceess file error"

PictureDecoder& installedDecoder() {
  static PictureDecoder decoder;
  return decoder;
}

// Reads at most `limit` bytes; nothing when the file cannot be opened.
std::optional<std::vector<std::uint8_t>> readBytes(const std::string& fileName, std::size_t limit) {
  std::error_code error;
  if (std::filesystem::is_directory(fileName, error)) return std::nullopt;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes;
  std::size_t chunk = std::min<std::size_t>(limit, 64 * 1024);
  while (bytes.size() < limit && in) {
    const std::size_t old = bytes.size();
    const std::size_t want = std::min(chunk, limit - old);
    bytes.resize(old + want);
    in.read(reinterpret_cast<char*>(bytes.data() + old), static_cast<std::streamsize>(want));
    bytes.resize(old + static_cast<std::size_t>(in.gcount()));
    chunk = std::min<std::size_t>(chunk * 2, 4u << 20);
  }
  return bytes;
}

std::uint16_t le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void put16(std::vector<std::uint8_t>& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// The 72 by 14 block at the top left of a picture.
MonoBitmap logoOf(const MonoBitmap& picture) {
  if (picture.width() == kLogoWidth && picture.height() == kLogoHeight) return picture;
  MonoBitmap logo(kLogoWidth, kLogoHeight);
  for (int y = 0; y < kLogoHeight; ++y)
    for (int x = 0; x < kLogoWidth; ++x) logo.set(x, y, picture.get(x, y));
  return logo;
}

std::vector<std::uint8_t> pixelText(const std::string& magic, const MonoBitmap& picture,
                                    const std::vector<int>& network) {
  std::vector<std::uint8_t> out(magic.begin(), magic.end());
  out.insert(out.end(), {0x00, 0x01, 0x00});
  for (int value : network) put16(out, value);
  put16(out, kLogoWidth);
  put16(out, kLogoHeight);
  out.insert(out.end(), {0x01, 0x00, 0x01, 0x00, 0x00, 0x00});
  const MonoBitmap logo = logoOf(picture);
  for (int y = 0; y < kLogoHeight; ++y)
    for (int x = 0; x < kLogoWidth; ++x) out.push_back(logo.get(x, y) ? '1' : '0');
  return out;
}

}  // namespace

std::string loadErrorText(LoadStatus status) {
  if (status == LoadStatus::OpenFailed || status == LoadStatus::Malformed) return tx(kFileErrorText);
  return {};
}

bool hasEnding(const std::string& fileName, std::string_view ending) {
  if (fileName.size() < ending.size()) return false;
  const std::string_view tail = std::string_view(fileName).substr(fileName.size() - ending.size());
  return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(a) == lower(b);
  });
}

std::vector<MonoBitmap> decodeBufferFile(std::span<const std::uint8_t> bytes) {
  std::vector<MonoBitmap> slots;
  slots.reserve(kBufferSlots);
  for (std::size_t k = 0; k < kBufferSlots; ++k) {
    const std::size_t start = std::min(bytes.size(), k * kLogoBytes);
    const std::size_t count = std::min(bytes.size() - start, kLogoBytes);
    slots.push_back(unpackRows(bytes.subspan(start, count)));
  }
  return slots;
}

std::vector<std::uint8_t> encodeBufferFile(const std::vector<MonoBitmap>& slots) {
  std::vector<std::uint8_t> out;
  out.reserve(kBufferFileBytes);
  for (std::size_t k = 0; k < kBufferSlots; ++k) {
    const auto record = packRows(k < slots.size() ? logoOf(slots[k]) : MonoBitmap(kLogoWidth, kLogoHeight));
    out.insert(out.end(), record.begin(), record.end());
  }
  return out;
}

PictureLoad decodePixelText(std::span<const std::uint8_t> bytes, PixelTextKind kind) {
  PictureLoad load;
  if (bytes.size() < 2 || bytes[0] != 'N') return load;
  std::size_t header = kNggHeaderBytes;
  if (kind == PixelTextKind::Ngg) {
    if (bytes[1] != 'G') return load;
  } else {
    header = kNolHeaderBytes;
    const bool named = bytes.size() >= 3 && bytes[1] == 'O' && bytes[2] == 'L';
    if (bytes[1] != 'L' && !named) return load;
    if (named && bytes.size() >= 10) {
      load.mcc = le16(bytes, 6);
      load.mnc = le16(bytes, 8);
    }
  }
  load.status = LoadStatus::Loaded;
  load.picture = MonoBitmap(kLogoWidth, kLogoHeight);
  for (std::size_t i = 0; i < static_cast<std::size_t>(kLogoWidth * kLogoHeight); ++i) {
    if (header + i >= bytes.size()) break;
    if (bytes[header + i] == '1')
      load.picture.set(static_cast<int>(i % kLogoWidth), static_cast<int>(i / kLogoWidth));
  }
  return load;
}

std::vector<std::uint8_t> encodeNgg(const MonoBitmap& picture) { return pixelText("NGG", picture, {}); }

std::vector<std::uint8_t> encodeNol(const MonoBitmap& picture, int mcc, int mnc) {
  return pixelText("NOL", picture, {mcc, mnc});
}

void setPictureDecoder(PictureDecoder decoder) { installedDecoder() = std::move(decoder); }

BufferLoad readBufferFile(const std::string& fileName) {
  BufferLoad load;
  const auto bytes = readBytes(fileName, kBufferFileBytes);
  if (!bytes) {
    load.status = LoadStatus::OpenFailed;
    return load;
  }
  load.status = LoadStatus::Loaded;
  load.slots = decodeBufferFile(*bytes);
  return load;
}

PictureLoad readPixelTextFile(const std::string& fileName) {
  const bool ngg = hasEnding(fileName, "ngg");
  if (!ngg && !hasEnding(fileName, "nol")) {
    if (hasEnding(fileName, "bmp")) return readPictureFile(fileName);
    return {};
  }
  const std::size_t limit = static_cast<std::size_t>(kLogoWidth * kLogoHeight) +
                            (ngg ? kNggHeaderBytes : kNolHeaderBytes);
  const auto bytes = readBytes(fileName, limit);
  if (!bytes) return {LoadStatus::OpenFailed, {}};
  return decodePixelText(*bytes, ngg ? PixelTextKind::Ngg : PixelTextKind::Nol);
}

PictureLoad readPictureFile(const std::string& fileName) {
  PictureLoad load;
  const auto bytes = readBytes(fileName, kMaxPictureFileBytes + 1);
  if (!bytes) {
    load.status = LoadStatus::OpenFailed;
    return load;
  }
  load.status = LoadStatus::Malformed;
  if (bytes->size() > kMaxPictureFileBytes) return load;
  std::optional<MonoBitmap> picture;
  if (looksLikeWindowsBitmap(*bytes))
    picture = decodeWindowsBitmap(*bytes);
  else if (installedDecoder())
    picture = installedDecoder()(*bytes);
  if (picture && !picture->empty()) {
    load.status = LoadStatus::Loaded;
    load.picture = std::move(*picture);
  }
  return load;
}

bool writeFileBytes(const std::string& fileName, std::span<const std::uint8_t> bytes) {
  // A failure half-way must not cost the user the file being overwritten,
  // such as an 18-picture buffer file.
  static std::atomic<unsigned> serial{0};
  const std::string temp = fileName + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
  return replace_file(fileName, temp, bytes.data(), bytes.size());
}

bool writeNggFile(const std::string& fileName, const MonoBitmap& picture) {
  return writeFileBytes(fileName, encodeNgg(picture));
}

bool writeNolFile(const std::string& fileName, const MonoBitmap& picture, int mcc, int mnc) {
  return writeFileBytes(fileName, encodeNol(picture, mcc, mnc));
}

bool writeBitmapFile(const std::string& fileName, const MonoBitmap& picture) {
  const auto bytes = encodeWindowsBitmap(picture);
  return !bytes.empty() && writeFileBytes(fileName, bytes);
}

bool writeBufferFile(const std::string& fileName, const std::vector<MonoBitmap>& slots) {
  return writeFileBytes(fileName, encodeBufferFile(slots));
}

}  // namespace phondeck
