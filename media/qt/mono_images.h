#pragma once
// MonoBitmap to and from Qt images: the clipboard's pictures, PNG files, and
// picture files the core's own readers do not know.
#include <QColor>
#include <QImage>

#include <cstdint>
#include <optional>
#include <vector>

#include "media/mono_bitmap.h"

namespace phondeck {

// The display background of editors, previews and slots.
inline const QColor kGridBackground(64, 192, 128);

// Set pixels black, clear ones in `clear`.
QImage imageOf(const MonoBitmap& picture, QColor clear = Qt::white);
// Set where not pure white; transparent parts count as white.
MonoBitmap monoOf(const QImage& image);
std::optional<std::vector<std::uint8_t>> pngBytes(const MonoBitmap& picture);
// Lets the core's picture-file reader take every format Qt's image loader reads.
void installQtPictureDecoder();

}  // namespace phondeck
