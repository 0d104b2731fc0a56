#pragma once
// The splash picture, 325 x 231, drawn in code.
#include <QImage>

namespace phondeck {
inline constexpr int kSplashWidth = 325;
inline constexpr int kSplashHeight = 231;
QImage splash_image();
}
