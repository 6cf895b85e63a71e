// Draws the demo's photo-like picture: a lit, shaded ball with a soft shadow on a graded
// ground under a colour sky, with transparent corners. It is printed with --dither.
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 320;

uint8_t clampByte(double v) {
  return static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make-photo OUT.png\n");
    return 2;
  }
  std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
  const double cx = 230, cy = 150, r = 95;       // the ball
  const double lx = -0.5, ly = -0.6, lz = 0.62;  // light from the upper left
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      double red, green, blue;
      if (y < 210) {  // sky: deep blue to pale near the horizon
        double t = y / 210.0;
        red = 60 + 150 * t;
        green = 110 + 120 * t;
        blue = 200 + 40 * t;
      } else {  // ground: darker towards the viewer
        double t = (y - 210) / 110.0;
        red = 170 - 90 * t;
        green = 150 - 80 * t;
        blue = 110 - 60 * t;
        double sx = (x - 260) / 120.0, sy = (y - 235) / 18.0;  // soft shadow
        double shade = std::exp(-(sx * sx + sy * sy));
        red *= 1 - 0.6 * shade;
        green *= 1 - 0.6 * shade;
        blue *= 1 - 0.6 * shade;
      }
      double dx = (x - cx) / r, dy = (y - cy) / r;
      double d2 = dx * dx + dy * dy;
      if (d2 <= 1) {
        double dz = std::sqrt(1 - d2);
        double light = std::max(0.0, dx * lx + dy * ly + dz * lz);
        double spec = std::pow(light, 30);
        red = 40 + 200 * light + 120 * spec;
        green = 20 + 80 * light + 120 * spec;
        blue = 20 + 60 * light + 120 * spec;
      }
      // Transparent corners: the picture fades out like a vignette.
      double vx = (x - kWidth / 2.0) / (kWidth / 2.0), vy = (y - kHeight / 2.0) / (kHeight / 2.0);
      double alpha = std::clamp((1.35 - std::sqrt(vx * vx + vy * vy)) * 3.0, 0.0, 1.0);
      uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
      p[0] = clampByte(red);
      p[1] = clampByte(green);
      p[2] = clampByte(blue);
      p[3] = clampByte(alpha * 255);
    }
  }
  if (stbi_write_png(argv[1], kWidth, kHeight, 4, rgba.data(), kWidth * 4) == 0) {
    std::fprintf(stderr, "make-photo: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
