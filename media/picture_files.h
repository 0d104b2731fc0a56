#pragma once
// Picture files of the graphics windows: the 18-picture buffer file "*.14",
// the NGG (caller-group graphic) and NOL (operator logo) pixel text files, and
// picture files in general. Readers never read more than a file really holds;
// pixels a short file does not reach are clear.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/mono_bitmap.h"

namespace phondeck {

enum class LoadStatus {
  Loaded,
  NotRecognised,  // not a file of this kind; nothing is reported to the user
  OpenFailed,     // the file cannot be opened for reading
  Malformed,      // a picture file whose contents cannot be read
};

// The message box text for a failed load ("Aceess file error", text 3402), or
// the empty text when the user is told nothing.
std::string loadErrorText(LoadStatus status);

struct PictureLoad {
  LoadStatus status = LoadStatus::NotRecognised;
  MonoBitmap picture;
  // The network code a NOL file carries; -1 when the file gives none.
  int mcc = -1;
  int mnc = -1;
  bool ok() const { return status == LoadStatus::Loaded; }
};

inline constexpr int kBufferSlots = 18;
inline constexpr std::size_t kBufferFileBytes = kBufferSlots * kLogoBytes;

struct BufferLoad {
  LoadStatus status = LoadStatus::NotRecognised;
  std::vector<MonoBitmap> slots;  // 18 pictures of 72 by 14 when loaded
  bool ok() const { return status == LoadStatus::Loaded; }
};

// --- Byte forms -----------------------------------------------------------

// The 18 pictures of a buffer file's bytes; records the bytes do not reach
// fully are clear where missing.
std::vector<MonoBitmap> decodeBufferFile(std::span<const std::uint8_t> bytes);
// 2268 bytes; the first 18 pictures, each cut or padded to 72 by 14. Missing
// pictures are clear.
std::vector<std::uint8_t> encodeBufferFile(const std::vector<MonoBitmap>& slots);

enum class PixelTextKind { Ngg, Nol };
inline constexpr std::size_t kNggHeaderBytes = 16;
inline constexpr std::size_t kNolHeaderBytes = 20;

// The 72 by 14 picture of an NGG or NOL file's bytes: "1" is black, any other
// character clear. An NGG file begins "N" "G". A NOL file begins "N" "L", or
// "N" "O" "L" as the operator-logo files that users exchange do; the latter
// also give their network code. Anything else gives NotRecognised.
PictureLoad decodePixelText(std::span<const std::uint8_t> bytes, PixelTextKind kind);
// The 72 by 14 picture at the top left of `picture` (cut or padded), in the
// layout other programs read: header with the sides, then one "1" or "0" per
// pixel.
std::vector<std::uint8_t> encodeNgg(const MonoBitmap& picture);
std::vector<std::uint8_t> encodeNol(const MonoBitmap& picture, int mcc, int mnc);

// --- Files ----------------------------------------------------------------

// A picture decoder for formats the core does not read itself (the window
// layer installs one built on its image loader). It returns the picture set
// where not pure white, or nothing.
using PictureDecoder = std::function<std::optional<MonoBitmap>(std::span<const std::uint8_t>)>;
void setPictureDecoder(PictureDecoder decoder);

// Picture files are read up to this size; larger ones are refused.
inline constexpr std::size_t kMaxPictureFileBytes = 64u << 20;

BufferLoad readBufferFile(const std::string& fileName);
// Chooses the form by the last three characters of the name, without regard to
// case: "ngg", "nol", or "bmp" (read as a picture file). Any other ending gives
// NotRecognised.
PictureLoad readPixelTextFile(const std::string& fileName);
// A picture of the file's own size, set where not pure white: Windows bitmaps,
// then whatever the installed decoder reads.
PictureLoad readPictureFile(const std::string& fileName);

// Writes the bytes to the file through a new file that then replaces it, so a
// failed write leaves the old file whole; false when it cannot be written.
bool writeFileBytes(const std::string& fileName, std::span<const std::uint8_t> bytes);
bool writeNggFile(const std::string& fileName, const MonoBitmap& picture);
bool writeNolFile(const std::string& fileName, const MonoBitmap& picture, int mcc, int mnc);
bool writeBitmapFile(const std::string& fileName, const MonoBitmap& picture);
bool writeBufferFile(const std::string& fileName, const std::vector<MonoBitmap>& slots);

// True when the name ends in the given extension (without the dot), compared
// without regard to case.
bool hasEnding(const std::string& fileName, std::string_view ending);

}  // namespace phondeck
