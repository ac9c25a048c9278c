// IconTest.cpp — the desktop icon keeps what desktops rely on: a square PNG of the size its
// install folder names, clear outside the rounded tile, and an aircraft that stands out.
#include "content/ArtIcon.h"

#include <gtest/gtest.h>

namespace {

const uint8_t* Pixel(const TRgbaImage& image, int x, int y) {
  return &image.Pixels[(static_cast<size_t>(y) * image.Width + x) * 4];
}

int Brightness(const uint8_t* p) { return p[0] + p[1] + p[2]; }

TEST(Icon, SquareAtTheSizeOfItsInstallFolder) {
  const TRgbaImage icon = MakeIcon();
  EXPECT_EQ(icon.Width, 256);  // share/icons/hicolor/256x256/apps
  EXPECT_EQ(icon.Height, 256);
}

TEST(Icon, CornersAreClearAndTheTileIsOpaque) {
  const TRgbaImage icon = MakeIcon();
  const int last = icon.Width - 1;
  for (auto [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}, {4, 4}, {last - 4, last - 4}})
    EXPECT_EQ(Pixel(icon, x, y)[3], 0) << x << "," << y;
  for (int y = 16; y < icon.Height - 16; y += 8)
    for (int x = 16; x < icon.Width - 16; x += 8) ASSERT_EQ(Pixel(icon, x, y)[3], 255) << x << "," << y;
}

TEST(Icon, AircraftIsADarkShapeAgainstABrightSky) {
  const TRgbaImage icon = MakeIcon();
  // The fuselage crosses the middle of the upper half; the sky beside it is lit by the sun.
  int darkest = 3 * 255, brightest = 0;
  for (int x = 96; x < 160; ++x) {
    darkest = std::min(darkest, Brightness(Pixel(icon, x, 96)));
    brightest = std::max(brightest, Brightness(Pixel(icon, x, 120)));
  }
  EXPECT_LT(darkest, 90);
  EXPECT_GT(brightest, 300);
}

}  // namespace
