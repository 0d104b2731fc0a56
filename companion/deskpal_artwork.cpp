#include "companion/deskpal_artwork.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "companion/deskpal_animation.h"

namespace phondeck {
namespace {

using Px = std::uint32_t;
constexpr int W = DeskpalFrame::kWidth;
constexpr int H = DeskpalFrame::kHeight;

constexpr Px kOutline = 0xFF1B2033;
constexpr Px kBody = 0xFF3E8EDB;
constexpr Px kBodyShade = 0xFF2B67AA;
constexpr Px kBodyLight = 0xFF86C0F2;
constexpr Px kCover = 0xFF3279C0;
constexpr Px kBezel = 0xFF24446B;
constexpr Px kScreen = 0xFFC4EBA3;
constexpr Px kScreenLight = 0xFFE2F7CF;
constexpr Px kInk = 0xFF1E3016;
constexpr Px kCheek = 0xFFF39AAE;
constexpr Px kKey = 0xFFE8EFF7;
constexpr Px kKeyShade = 0xFFA9BCD0;
constexpr Px kLimb = 0xFF343A51;
constexpr Px kGlove = 0xFFFFFFFF;
constexpr Px kShoe = 0xFFE4473A;
constexpr Px kShoeLight = 0xFFFF8A7A;
constexpr Px kAntenna = 0xFF4A5068;
constexpr Px kTip = 0xFFFFA41F;

// A shape: does the pixel whose centre is (x, y) belong to it.
using Shape = std::function<bool(double, double)>;

Shape ellipse(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    const double u = (x - cx) / rx;
    const double v = (y - cy) / ry;
    return u * u + v * v <= 1.0;
  };
}

// Rectangle [x0, x1) x [y0, y1) with corners of radius r.
Shape rounded(double x0, double y0, double x1, double y1, double r) {
  return [=](double x, double y) {
    if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
    const double dx = std::max({x0 + r - x, 0.0, x - (x1 - r)});
    const double dy = std::max({y0 + r - y, 0.0, y - (y1 - r)});
    return dx * dx + dy * dy <= r * r + 0.01;
  };
}

Shape capsule(double ax, double ay, double bx, double by, double r) {
  return [=](double x, double y) {
    const double vx = bx - ax;
    const double vy = by - ay;
    const double len2 = vx * vx + vy * vy;
    const double t = len2 == 0 ? 0 : std::clamp(((x - ax) * vx + (y - ay) * vy) / len2, 0.0, 1.0);
    const double dx = x - (ax + t * vx);
    const double dy = y - (ay + t * vy);
    return dx * dx + dy * dy <= r * r;
  };
}

class Canvas {
 public:
  // A part of the figure: filled, with a one-pixel outline around it.
  void part(const Shape& shape, Px fill) {
    std::array<bool, W * H> mask{};
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) mask[static_cast<std::size_t>(y * W + x)] = shape(x + 0.5, y + 0.5);
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        if (mask[static_cast<std::size_t>(y * W + x)]) continue;
        bool edge = false;
        for (int dy = -1; dy <= 1 && !edge; ++dy)
          for (int dx = -1; dx <= 1 && !edge; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            edge = nx >= 0 && nx < W && ny >= 0 && ny < H && mask[static_cast<std::size_t>(ny * W + nx)];
          }
        if (edge) set(x, y, kOutline);
      }
    }
    paint(fill, [&](int x, int y) { return mask[static_cast<std::size_t>(y * W + x)]; });
  }

  // A detail painted over what is there, only where the figure already is.
  void detail(const Shape& shape, Px fill) {
    paint(fill, [&](int x, int y) { return shape(x + 0.5, y + 0.5) && frame.opaque(x, y); });
  }

  void mirror() {
    for (int y = 0; y < H; ++y)
      std::reverse(frame.pixels.begin() + y * W, frame.pixels.begin() + (y + 1) * W);
  }

  DeskpalFrame frame;

 private:
  template <typename Inside>
  void paint(Px fill, Inside inside) {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (inside(x, y)) set(x, y, fill);
  }
  void set(int x, int y, Px colour) { frame.pixels[static_cast<std::size_t>(y * W + x)] = colour; }
};

struct Pose {
  int turn = 0;          // 0 square on, 1 a little to the right, 2 side on
  bool back = false;     // walking away: the back is seen
  double lean = 0;       // the top of the body ahead of its bottom, px
  int bob = 0;           // the body this much lower than standing
  std::array<double, 2> foot_dx{};  // feet (viewer's left, right) from the hips
  std::array<double, 2> lift{};     // feet off the ground
  std::array<double, 2> hand_dx{};  // hands from hanging down
  std::array<double, 2> hand_dy{};
  double look_y = 0;     // eyes lower when heading down
  int eyes = 0;          // 0 open, 1 half closed, 2 closed
  int wave = 0;          // the right hand: 0 down, 1 out, 2 up
};

constexpr double kGround = 60;
constexpr double kBodyTop = 12;
constexpr double kBodyBottom = 46;

void draw(Canvas& c, const Pose& p) {
  const int t = p.turn;
  const double bob = p.bob;
  // The body leans: each shape of it is sheared and lowered by the bob.
  auto body = [&](Shape s) -> Shape {
    return [=](double x, double y) {
      const double shear = p.lean * (kBodyBottom + bob - y) / (kBodyBottom - kBodyTop);
      return s(x - shear, y - bob);
    };
  };
  auto shear_at = [&](double y) { return p.lean * (kBodyBottom - y) / (kBodyBottom - kBodyTop); };

  // Legs and shoes, behind the body.
  const double hip_gap = t == 2 ? 1.5 : (t == 1 ? 3 : 3.5);
  for (int i = 0; i < 2; ++i) {
    const double hip_x = 16 + (i == 0 ? -hip_gap : hip_gap) + shear_at(kBodyBottom);
    const double foot_x = hip_x + p.foot_dx[static_cast<std::size_t>(i)];
    const double foot_y = kGround - p.lift[static_cast<std::size_t>(i)];
    c.part(capsule(hip_x, kBodyBottom - 3 + bob, foot_x, foot_y - 2, 1.6), kLimb);
    const double toe = t == 2 ? 1.5 : (t == 1 ? 0.8 : 0);
    c.part(rounded(foot_x - 3 + toe, foot_y - 2.5, foot_x + 3 + toe, foot_y + 1, 1.5), kShoe);
    c.detail(rounded(foot_x - 2 + toe, foot_y - 2.5, foot_x + toe, foot_y - 1.5, 0.4), kShoeLight);
  }

  // Arms from the body's sides, behind it; the hands show beside it.
  for (int i = 0; i < 2; ++i) {
    const bool right = i == 1;
    const double sx = (right ? 24 : 8) + shear_at(27);
    double hx = (right ? 27.5 : 4.5) + shear_at(36) + p.hand_dx[static_cast<std::size_t>(i)];
    double hy = 37 + bob + p.hand_dy[static_cast<std::size_t>(i)];
    if (right && p.wave == 1) {
      hx = 28.5;
      hy = 29 + bob;
    } else if (right && p.wave == 2) {
      hx = 27;
      hy = 19 + bob;
    }
    hx = std::clamp(hx, 3.0, 28.5);
    c.part(capsule(sx, 27 + bob, hx, hy, 1.1), kLimb);
    c.part(ellipse(hx, hy, 2.1, 2.1), kGlove);
  }

  // Antenna: near the top corner, on the viewer's right seen from the front.
  const double ant_x = (p.back ? 10.5 : 21.5) + t;
  c.part(body(capsule(ant_x, kBodyTop + 2, ant_x, 7, 0.9)), kAntenna);
  const double tip_x = ant_x + shear_at(6);
  c.part(ellipse(tip_x, 6 + bob, 2.1, 2.1), kTip);
  c.detail(ellipse(tip_x - 0.7, 5.3 + bob, 0.8, 0.8), 0xFFFFE2A8);

  // The body: a rounded handset; turned, one side shows in shade.
  c.part(body(rounded(7, kBodyTop, 25, kBodyBottom, 4)), p.back ? kCover : kBody);
  const double side = t == 0 ? 0 : t + 1.5;
  if (side > 0) {
    if (p.back) {
      c.detail(body(rounded(25 - side, kBodyTop, 25, kBodyBottom, 4)), kBodyShade);
    } else {
      c.detail(body(rounded(7, kBodyTop, 7 + side, kBodyBottom, 4)), kBodyShade);
    }
  }
  const double face0 = p.back ? 7 : 7 + side;
  const double face1 = p.back ? 25 - side : 25;
  c.detail(body(rounded(face0 + 1, kBodyTop + 2, face0 + 2, kBodyBottom - 4, 0.4)), kBodyLight);

  if (p.back) {
    // Battery cover with two grip ridges, and the speaker grille.
    const double cx0 = face0 + 3 - t;
    const double cx1 = face1 - 3 - t;
    c.detail(body(rounded(cx0, 18, cx1, 41, 2)), kBodyShade);
    c.detail(body(rounded(cx0 + 1, 19, cx1 - 1, 40, 1.5)), kBody);
    c.detail(body(rounded(cx0 + 3, 35, cx1 - 3, 36, 0.3)), kBodyShade);
    c.detail(body(rounded(cx0 + 3, 37, cx1 - 3, 38, 0.3)), kBodyShade);
    for (int k = 0; k < 3; ++k) c.detail(body(rounded(cx0 + 2 + 3 * k, 14, cx0 + 3 + 3 * k, 15, 0.2)), kBodyShade);
    return;
  }

  // The display, with the face on it.
  const double sx0 = 9 + 1.5 * t + (t == 2 ? 0.5 : 0);
  const double sx1 = 23 + 0.5 * t;
  c.detail(body(rounded(sx0, 14, sx1, 28, 2)), kBezel);
  c.detail(body(rounded(sx0 + 1, 15, sx1 - 1, 27, 1.2)), kScreen);
  c.detail(body(rounded(sx0 + 2, 16, sx1 - 2, 17, 0.2)), kScreenLight);
  const double sw = sx1 - sx0;
  const double mid = (sx0 + sx1) / 2 + t * 1.2;
  const double gap = t == 2 ? 2.5 : 3;
  const double eye_y = 19.5 + p.look_y;
  for (double ex : {mid - gap, mid + gap - (t == 2 ? 0.5 : 0)}) {
    if (p.eyes == 0) {
      c.detail(body(rounded(ex - 1, eye_y - 1.5, ex + 1, eye_y + 1.5, 0.3)), kInk);
    } else if (p.eyes == 1) {
      c.detail(body(rounded(ex - 1, eye_y - 0.5, ex + 1, eye_y + 1.5, 0.3)), kInk);
    } else {
      c.detail(body(rounded(ex - 1, eye_y + 0.5, ex + 1, eye_y + 1.5, 0.3)), kInk);
    }
    c.detail(body(rounded(ex + (ex < mid ? -2.5 : 1.5), eye_y + 2.5, ex + (ex < mid ? -1 : 2.5), eye_y + 3.5, 0.2)),
             kCheek);
  }
  // Smile.
  const double my = eye_y + 3.5;
  c.detail(body(rounded(mid - 2, my, mid - 1, my + 1, 0.1)), kInk);
  c.detail(body(rounded(mid - 1, my + 1, mid + 1, my + 2, 0.1)), kInk);
  c.detail(body(rounded(mid + 1, my, mid + 2, my + 1, 0.1)), kInk);

  // Keypad: a navigation key, then three rows of three keys.
  const double kx0 = sx0 + 1;
  const double kw = sw - 2;
  c.detail(body(rounded(kx0 + 2, 30, kx0 + kw - 2, 32, 1)), kKey);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const double x = kx0 + 1 + col * (kw - 4) / 2;
      const double y = 34 + row * 3;
      c.detail(body(rounded(x, y, x + 2, y + 2, 0.2)), kKey);
      c.detail(body(rounded(x, y + 1, x + 2, y + 2, 0.2)), kKeyShade);
    }
  }
}

// Walking pose k of a sequence: 0 standing, 1 and 2 one stride (full, half),
// 3 and 4 the other (half, full).
Pose walking(DeskpalPoint direction, bool run, int k) {
  constexpr std::array<double, 5> kStride{0, 1, 0.5, -0.5, -1};
  const double s = kStride[static_cast<std::size_t>(k)];
  const bool extreme = k == 1 || k == 4;
  Pose p;
  p.back = direction.y < 0;
  p.turn = direction.y == 0 ? 2 : (direction.x != 0 ? 1 : 0);
  p.look_y = direction.y > 0 ? 1 : 0;
  p.bob = k == 0 ? 0 : (extreme ? 1 : (run ? -2 : -1));
  const double lean_dir = p.turn == 0 ? 0 : 1;
  p.lean = lean_dir * (run ? 2.0 : 0.5);
  const double stride = run ? 6 : 4;
  const double lift = run ? 6 : 4;
  const double swing = run ? 5 : 3;
  for (int i = 0; i < 2; ++i) {
    // Each arm swings against the leg on its side.
    const double forward = i == 0 ? -s : s;
    const auto n = static_cast<std::size_t>(i);
    if (p.turn == 2) {
      p.hand_dx[n] = forward * swing * 0.6;
      p.hand_dy[n] = run ? -3 : 0;
    } else {
      p.hand_dx[n] = p.turn == 1 ? forward * 2 : std::max(0.0, forward) * (i == 0 ? 1 : -1);
      p.hand_dy[n] = -std::max(0.0, forward) * (run ? 5 : 3) + (run ? -1 : 0);
    }
  }
  if (p.turn == 2) {
    p.foot_dx = {s * stride - (k == 0 ? 1 : 0), -s * stride + (k == 0 ? 1 : 0)};
    // The trailing foot pushes off.
    const double push = extreme ? (run ? 3 : 0) : (run ? 2 : 1);
    if (s > 0) p.lift[1] = push;
    if (s < 0) p.lift[0] = push;
  } else {
    const double side = p.turn == 1 ? 0.5 : 0;
    p.foot_dx = {s * stride * side, -s * stride * side};
    p.lift = {std::max(0.0, s) * lift, std::max(0.0, -s) * lift};
  }
  return p;
}

}  // namespace

int DeskpalFrame::opaque_count() const {
  return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](Px v) { return (v >> 24) != 0; }));
}

std::vector<DeskpalFrame> draw_deskpal_frames() {
  std::vector<DeskpalFrame> frames(DeskpalAnimation::kFrameCount);
  for (int s = 0; s < DeskpalAnimation::kSequenceCount; ++s) {
    for (int k = 0; k < 5; ++k) {
      Pose pose;
      bool mirrored = false;
      if (s == DeskpalAnimation::kIdle) {
        pose.eyes = k == 1 ? 1 : (k == 2 ? 2 : 0);
        pose.wave = k == 3 ? 1 : (k == 4 ? 2 : 0);
        pose.foot_dx = {-0.5, 0.5};
      } else {
        const DeskpalPoint v = DeskpalAnimation::velocity(s);
        const DeskpalPoint direction{(v.x > 0) - (v.x < 0), (v.y > 0) - (v.y < 0)};
        pose = walking({std::abs(direction.x), direction.y}, s < DeskpalAnimation::kIdle, k);
        mirrored = direction.x < 0;
      }
      Canvas canvas;
      draw(canvas, pose);
      if (mirrored) canvas.mirror();
      frames[static_cast<std::size_t>(5 * s + k)] = canvas.frame;
    }
  }
  return frames;
}

}  // namespace phondeck
