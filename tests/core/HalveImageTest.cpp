// HalveImageTest.cpp — one step down a mip chain for the shapes the uploads do not cover on the
// GPU test: any component count, the last line of a chain and a single pixel.
#include "core/Mipmaps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

TEST(HalveImage, EveryComponentCountTakesTheRoundedMeanOfItsBlock) {
  // 4 x 2 pixels of two components: the left block and the right block.
  const std::vector<uint8_t> image = {0, 10, 1, 20, 100, 0, 200, 0,  //
                                      1, 30, 1, 41, 255, 1, 255, 0};
  EXPECT_EQ(HalveImage(image.data(), 4, 2, 2), (std::vector<uint8_t>{1, 25, 203, 0}));
  // One component: (0 + 1 + 1 + 1 + 2) / 4 = 1, (100 + 200 + 255 + 255 + 2) / 4 = 203.
  const std::vector<uint8_t> grey = {0, 1, 100, 200, 1, 1, 255, 255};
  EXPECT_EQ(HalveImage(grey.data(), 4, 2, 1), (std::vector<uint8_t>{1, 203}));
}

TEST(HalveImage, ALineHalvesAlongItselfAndASinglePixelStaysItself) {
  const std::vector<uint8_t> row = {10, 20, 30, 11, 21, 31, 0, 0, 0, 255, 255, 254};
  EXPECT_EQ(HalveImage(row.data(), 4, 1, 3), (std::vector<uint8_t>{10, 20, 30, 127, 127, 127}));
  EXPECT_EQ(HalveImage(row.data(), 1, 4, 3), (std::vector<uint8_t>{10, 20, 30, 127, 127, 127}));
  const std::vector<uint8_t> pixel = {1, 2, 3, 4};
  EXPECT_EQ(HalveImage(pixel.data(), 1, 1, 4), pixel);
}

}  // namespace
