#include <gtest/gtest.h>

#include <cstdlib>
#include <jpeglib.h>

#include "support/TestJpeg.h"
#include "platform/TextureLoader.h"
#include "support/TempDir.h"

namespace {

const uint8_t kRed[3] = {230, 20, 20};
const uint8_t kBlue[3] = {20, 20, 230};

void ExpectNear(const uint8_t* pixel, int r, int g, int b, int tolerance = 12) {
  EXPECT_NEAR(pixel[0], r, tolerance);
  EXPECT_NEAR(pixel[1], g, tolerance);
  EXPECT_NEAR(pixel[2], b, tolerance);
}

}  // namespace

TEST(DecodeJpeg, RgbRowsStartAtTheTopOfThePicture) {
  std::vector<uint8_t> bytes = TwoBandJpeg(300, 200, kRed, kBlue);
  DecodedImage image;
  std::string message;
  ASSERT_TRUE(DecodeJpegMemory(bytes.data(), bytes.size(), image, message)) << message;
  EXPECT_TRUE(message.empty());
  EXPECT_EQ(image.width, 300);
  EXPECT_EQ(image.height, 200);
  EXPECT_EQ(image.rowBytes, 900);
  ASSERT_EQ(image.pixels.size(), 900u * 200u);
  ExpectNear(&image.pixels[0], 230, 20, 20);
  ExpectNear(&image.pixels[image.pixels.size() - 3], 20, 20, 230);
}

TEST(DecodeJpeg, GreyscaleAndCmykBecomeRgb) {
  std::vector<uint8_t> grey = EncodeJpeg(64, 32, JCS_GRAYSCALE, [](int x, int, uint8_t* out) {
    out[0] = x < 32 ? 40 : 200;
  });
  DecodedImage image;
  std::string message;
  ASSERT_TRUE(DecodeJpegMemory(grey.data(), grey.size(), image, message)) << message;
  EXPECT_EQ(image.rowBytes, 64 * 3);
  ASSERT_EQ(image.pixels.size(), 64u * 32u * 3u);
  ExpectNear(&image.pixels[0], 40, 40, 40);
  ExpectNear(&image.pixels[image.pixels.size() - 3], 200, 200, 200);

  // Adobe CMYK as the library writes it: channels stored inverted, so cyan ink is (0, 255, 255, 255).
  std::vector<uint8_t> cmyk = EncodeJpeg(32, 32, JCS_CMYK, [](int, int, uint8_t* out) {
    out[0] = 0, out[1] = 255, out[2] = 255, out[3] = 255;
  });
  ASSERT_TRUE(DecodeJpegMemory(cmyk.data(), cmyk.size(), image, message)) << message;
  ASSERT_EQ(image.pixels.size(), 32u * 32u * 3u);
  ExpectNear(&image.pixels[0], 0, 255, 255);
  ExpectNear(&image.pixels[image.pixels.size() - 3], 0, 255, 255);
}

TEST(DecodeJpeg, DamagedDataFailsOrWarnsButNeverEscapesTheBuffer) {
  std::vector<uint8_t> good = TwoBandJpeg(48, 40, kRed, kBlue);
  DecodedImage image;
  std::string message;

  const char* notJpeg = "this is not a picture";
  EXPECT_FALSE(DecodeJpegMemory(reinterpret_cast<const uint8_t*>(notJpeg), 21, image, message));
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(image.pixels.empty());
  EXPECT_FALSE(DecodeJpegMemory(nullptr, 0, image, message));

  // Cut inside the entropy-coded data: the picture comes back with a warning.
  std::vector<uint8_t> noisy = EncodeJpeg(48, 40, JCS_RGB, [](int x, int y, uint8_t* out) {
    out[0] = static_cast<uint8_t>(x * 37 + y * 11), out[1] = static_cast<uint8_t>(x * y);
    out[2] = static_cast<uint8_t>(y * 53);
  });
  std::vector<uint8_t> cut(noisy.begin(), noisy.end() - noisy.size() / 4);
  ASSERT_TRUE(DecodeJpegMemory(cut.data(), cut.size(), image, message)) << message;
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(image.pixels.size(), 48u * 40u * 3u);

  // Cut inside the header: no picture.
  EXPECT_FALSE(DecodeJpegMemory(good.data(), 30, image, message));

  // Single damaged bytes anywhere; under the sanitizer build this also proves every access stays
  // inside the buffers.
  std::srand(7);
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> bad = good;
    bad[std::rand() % bad.size()] = static_cast<uint8_t>(std::rand());
    bad[std::rand() % bad.size()] = static_cast<uint8_t>(std::rand());
    if (DecodeJpegMemory(bad.data(), bad.size(), image, message)) {
      EXPECT_EQ(image.pixels.size(), static_cast<size_t>(image.rowBytes) * image.height);
      EXPECT_EQ(image.rowBytes, image.width * 3);
    } else {
      EXPECT_TRUE(image.pixels.empty());
      EXPECT_FALSE(message.empty());
    }
  }
}

TEST(DecodeJpeg, ForgedHugeSizeIsRefused) {
  std::vector<uint8_t> bytes = TwoBandJpeg(16, 16, kRed, kBlue);
  // The baseline frame header: FF C0, length, precision, then height and width.
  size_t sof = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) { sof = i; break; }
  ASSERT_NE(sof, 0u);
  bytes[sof + 5] = 0xFF, bytes[sof + 6] = 0xD0;  // height 65488
  bytes[sof + 7] = 0xFF, bytes[sof + 8] = 0xD0;  // width 65488
  DecodedImage image;
  std::string message;
  EXPECT_FALSE(DecodeJpegMemory(bytes.data(), bytes.size(), image, message));
  EXPECT_NE(message.find("65488"), std::string::npos) << message;
}

TEST(DecodeJpeg, FileFailuresNameTheFile) {
  TempDir dir;
  DecodedImage image;
  std::string message;
  EXPECT_FALSE(DecodeJpegFile("textures\\missing.jpg", image, message));
  EXPECT_NE(message.find("textures\\missing.jpg"), std::string::npos) << message;

  dir.Write("textures/bad.jpg", "garbage bytes");
  EXPECT_FALSE(DecodeJpegFile("textures\\bad.jpg", image, message));
  EXPECT_NE(message.find("textures\\bad.jpg"), std::string::npos) << message;

  WriteFileBytes("textures/Good.JPG", TwoBandJpeg(8, 8, kRed, kBlue));
  EXPECT_TRUE(DecodeJpegFile("TEXTURES\\good.jpg", image, message)) << message;
  EXPECT_EQ(image.width, 8);
}
