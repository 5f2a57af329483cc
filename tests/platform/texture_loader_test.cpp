#include <gtest/gtest.h>

#include <jpeglib.h>

#include "platform/OpenGL.h"
#include "support/TestJpeg.h"
#include "platform/TextureCache.h"
#include "platform/TextureLoader.h"
#include "support/GLTestWindow.h"
#include "support/TempDir.h"

namespace {

class TextureLoaderTest : public GLTestWindow {
 protected:
  void SetUp() override {
    ZB_REQUIRE_SCREEN();
    ASSERT_TRUE(Open(64, 64));
  }

  // A level of the bound texture, rows in texture order (t = 0 first); empty past the last.
  std::vector<uint8_t> level(GLint& width, GLint& height, GLint index = 0) {
    glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (width > 0) glGetTexImage(GL_TEXTURE_2D, index, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
  }
  std::vector<uint8_t> levelZero(GLint& width, GLint& height) { return level(width, height); }

  // Every level of the bound texture, one after the other.
  std::vector<std::vector<uint8_t>> levels() {
    std::vector<std::vector<uint8_t>> all;
    GLint width = 0, height = 0;
    for (GLint index = 0;; ++index) {
      std::vector<uint8_t> texels = level(width, height, index);
      if (texels.empty()) return all;
      all.push_back(std::move(texels));
    }
  }

  TempDir dir;
};

const uint8_t kRed[3] = {240, 10, 10};
const uint8_t kBlue[3] = {10, 10, 240};

}  // namespace

TEST_F(TextureLoaderTest, TopOfThePictureIsTextureRowZero) {
  WriteFileBytes("textures/bands.jpg", TwoBandJpeg(256, 128, kRed, kBlue));
  const uint32_t name = TextureLoader::LoadTexture("textures\\bands.jpg", false);
  ASSERT_NE(name, 0u);
  GLint bound = 0, width = 0, height = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<uint32_t>(bound), name);
  std::vector<uint8_t> texels = levelZero(width, height);
  EXPECT_EQ(width, 256);
  EXPECT_EQ(height, 128);
  EXPECT_GT(texels[0], 200);                   // row 0: red
  EXPECT_GT(texels[texels.size() - 1], 200);   // last row: blue
  EXPECT_LT(texels[texels.size() - 3], 40);

  GLint minFilter = 0, magFilter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);

  // The same file again is a texture of its own.
  EXPECT_NE(TextureLoader::LoadTexture("textures\\bands.jpg", false), name);
}

TEST_F(TextureLoaderTest, RowsOfAnyWidthAreReadWithoutSkew) {
  // 13 pixels make 39-byte rows: read with the default 4-byte row alignment, each row would
  // start a byte further on and the colour channels would rotate from band to band.
  const uint8_t bands[4][3] = {{230, 20, 20}, {20, 230, 20}, {20, 20, 230}, {230, 230, 20}};
  WriteFileBytes("odd.jpg", EncodeJpeg(13, 64, JCS_RGB, [&](int, int y, uint8_t* out) {
    for (int c = 0; c < 3; ++c) out[c] = bands[y / 16][c];
  }));
  TextureLoader::LoadTexture("odd.jpg", false);
  GLint width = 0, height = 0;
  std::vector<uint8_t> texels = levelZero(width, height);
  ASSERT_EQ(height, 64);
  for (int band = 0; band < 4; ++band) {
    const uint8_t* texel = &texels[static_cast<size_t>(band * 16 + 8) * width * 3 + 3];
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(texel[c], bands[band][c], 30) << band << " " << c;
  }
}

// Loaded fresh, or taken from the cache where another user loaded it without sphere mapping: the
// units must be left the same way.
TEST_F(TextureLoaderTest, SphereMapSetsGenerationOnBothUnitsAndLeavesUnitZeroActive) {
  WriteFileBytes("env.jpg", TwoBandJpeg(16, 16, kRed, kBlue));
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "cached" : "loaded");
    if (cached) AcquireTexture("env.jpg", false);
    const uint32_t name =
        cached ? AcquireTexture("ENV.JPG", true) : TextureLoader::LoadTexture("env.jpg", true);
    GLint active = 0, bound = 0, mode = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    for (GLenum unit : {GL_TEXTURE0, GL_TEXTURE1}) {
      glActiveTextureARB(unit);
      glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
      EXPECT_EQ(static_cast<uint32_t>(bound), name);
      glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &mode);
      EXPECT_EQ(mode, GL_SPHERE_MAP);
      glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
      EXPECT_EQ(mode, GL_SPHERE_MAP);
      EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));  // generation itself is the renderer's choice
    }
    // Unit 1 back to no texture and unit 0 active, so the cached pass sees only its own state.
    glBindTexture(GL_TEXTURE_2D, 0);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glActiveTextureARB(GL_TEXTURE0);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
  }
}

// Every spelling of one file is one texture, decoded and uploaded once, deleted when the last
// user lets go; another file is another texture.
TEST_F(TextureLoaderTest, CacheSharesOneTexturePerFileUntilTheLastUserLetsGo) {
  WriteFileBytes("textures/bands.jpg", TwoBandJpeg(16, 16, kRed, kBlue));
  WriteFileBytes("textures/other.jpg", TwoBandJpeg(16, 16, kBlue, kRed));
  const int uploads = TextureUploadCount();
  const uint32_t name = AcquireTexture("textures\\bands.jpg", false);
  EXPECT_EQ(AcquireTexture("TEXTURES\\Bands.JPG", true), name);
  EXPECT_EQ(AcquireTexture("./textures//bands.jpg", false), name);
  const uint32_t other = AcquireTexture("textures\\other.jpg", false);
  EXPECT_NE(other, name);
  EXPECT_EQ(TextureUploadCount(), uploads + 2);

  ReleaseTexture(name);
  ReleaseTexture(name);
  EXPECT_TRUE(glIsTexture(name));
  ReleaseTexture(name);
  EXPECT_FALSE(glIsTexture(name));
  EXPECT_TRUE(glIsTexture(other));
  ReleaseTexture(other);
  // Loaded again after its last release.
  AcquireTexture("textures\\bands.jpg", false);
  EXPECT_EQ(TextureUploadCount(), uploads + 3);
}

// Mipmaps are made without GLU where the sides are powers of two (on the prefetch threads): each
// level must be GLU's to the byte, the last single-row and single-column steps included.
TEST_F(TextureLoaderTest, MipmapChainIsGlusByteForByte) {
  for (const auto& size : {std::pair{16, 4}, {4, 16}, {8, 1}, {1, 8}, {2, 2}}) {
    SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
    const PixelFill noise = [](int x, int y, uint8_t* out) {
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((x * 97 + y * 61 + c * 89) % 251);
    };
    WriteFileBytes("noise.jpg", EncodeJpeg(size.first, size.second, JCS_RGB, noise));
    TextureLoader::LoadTexture("noise.jpg", false);
    const auto ours = levels();
    DecodedImage picture;
    std::string message;
    ASSERT_TRUE(DecodeJpegFile("noise.jpg", picture, message));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE,
                      picture.pixels.data());
    EXPECT_GT(ours.size(), 1u);
    EXPECT_EQ(ours, levels());
  }
}

// Decoded ahead on other threads, a file is the texture a plain load makes, uploaded once; a
// file rewritten after its prefetch is read again.
TEST_F(TextureLoaderTest, PrefetchedTextureIsTheFileAsItIsWhenAcquired) {
  WriteFileBytes("textures/a.jpg", TwoBandJpeg(64, 32, kRed, kBlue));
  WriteFileBytes("textures/b.jpg", TwoBandJpeg(32, 32, kRed, kBlue));
  PrefetchTextures({"textures\\a.jpg", "textures/b.jpg"});
  WriteFileBytes("textures/b.jpg", TwoBandJpeg(32, 32, kBlue, kRed));
  const int uploads = TextureUploadCount();
  for (const char* name : {"textures/a.jpg", "textures/b.jpg"}) {
    SCOPED_TRACE(name);
    AcquireTexture(name, false);
    const auto prefetched = levels();
    TextureLoader::LoadTexture(name, false);
    EXPECT_EQ(prefetched, levels());
  }
  EXPECT_EQ(TextureUploadCount(), uploads + 2);
}

// A texture the production cannot have gives no texture, a line naming the file, and a failure
// start-up stops on; nothing reaches GL.
TEST(TextureLoaderFailure, MissingOrUndecodableFileIsToldAndCounted) {
  TempDir dir;
  dir.Write("textures/roto.jpg", std::string("\xFF\xD8\xFF\xE0 not really", 15));
  const int before = TextureLoader::FailureCount();
  for (const char* path : {"textures\\nada.jpg", "textures\\roto.jpg"}) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(TextureLoader::LoadTexture(path, false), 0u);
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind("Cannot load texture: ", 0), 0u) << told;
    EXPECT_NE(told.find(path), std::string::npos) << told;
  }
  EXPECT_EQ(AcquireTexture(nullptr, false), 0u);
  EXPECT_EQ(TextureLoader::FailureCount(), before + 3);
}

// A scene's map that cannot be loaded is a magenta and black checker pattern instead, told once
// per file and not a failure that would stop start-up.
TEST_F(TextureLoaderTest, SceneMapThatCannotBeLoadedIsACheckerPattern) {
  dir.Write("textures/roto.jpg", std::string("\xFF\xD8\xFF\xE0 not really", 15));
  const int failures = TextureLoader::FailureCount();
  for (const char* path : {"textures\\nada.jpg", "textures\\roto.jpg"}) {
    SCOPED_TRACE(path);
    ::testing::internal::CaptureStderr();
    const uint32_t name = AcquireTextureOrStandIn(path, false);
    EXPECT_EQ(AcquireTextureOrStandIn(path, true), name);  // the second user is not told again
    const std::string told = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(name, 0u);
    EXPECT_NE(told.find(path), std::string::npos) << told;
    EXPECT_NE(told.find("checker pattern"), std::string::npos) << told;
    EXPECT_EQ(told.find('\n'), told.size() - 1) << told;
    GLint width = 0, height = 0;
    const std::vector<uint8_t> texels = levelZero(width, height);
    ASSERT_EQ(width, 64);
    const auto at = [&](int x, int y) {
      const uint8_t* texel = &texels[static_cast<size_t>(y * 64 + x) * 3];
      return std::vector<uint8_t>(texel, texel + 3);
    };
    EXPECT_EQ(at(0, 0), (std::vector<uint8_t>{255, 0, 255}));
    EXPECT_EQ(at(8, 0), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(at(8, 8), (std::vector<uint8_t>{255, 0, 255}));
    ReleaseTexture(name);
    ReleaseTexture(name);
  }
  EXPECT_EQ(TextureLoader::FailureCount(), failures);
  // A layer naming the same file still fails, stand-in or not.
  ::testing::internal::CaptureStderr();
  const uint32_t standIn = AcquireTextureOrStandIn("textures\\nada.jpg", false);
  EXPECT_EQ(AcquireTexture("textures\\nada.jpg", false), 0u);
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(TextureLoader::FailureCount(), failures + 1);
  ReleaseTexture(standIn);
}
