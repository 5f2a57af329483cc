// Texture path normalisation, the copy log, and file copies.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/TextureLoader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/TextureImport.h"
#include "support/BoxRecorder.h"
#include "support/TempDir.h"
#include "support/TestData.h"
#include "support/TestJpeg.h"

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// A scene with one material per given bitmap, one map each.
void SceneWithMaps(Scene& scene, std::initializer_list<std::string> bitmaps) {
  scene.setupMaterials(static_cast<uint32_t>(bitmaps.size()));
  uint32_t i = 0;
  for (const std::string& bitmap : bitmaps) {
    Material material;
    MaterialHeader header;
    header.mapCount = 1;
    material.setHeader(header);
    TextureMap map;
    map.setBitmap(bitmap.c_str());
    material.setMap(0, map);
    scene.setMaterial(i++, material);
  }
}

// Writes scene to escenas_bin\prueba.bin with normalisation on; returns the log printed.
std::string WriteNormalized(const Scene& scene, bool normalize = true) {
  SceneBinaryFile file;
  file.setNormalize(normalize);
  ::testing::internal::CaptureStdout();
  file.writeScene("escenas_bin\\prueba.bin", scene);
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

// The bitmaps the written file holds, read back.
std::vector<std::string> StoredBitmaps() {
  Scene loaded;
  ::testing::internal::CaptureStdout();
  SceneBinaryFile().readScene("escenas_bin\\prueba.bin", loaded);
  ::testing::internal::GetCapturedStdout();
  std::vector<std::string> bitmaps;
  for (uint32_t i = 0; i < loaded.materialCount; ++i) bitmaps.push_back(loaded.materials[i].maps[0].bitmap);
  loaded.release();
  return bitmaps;
}

struct ProductionDir : TempDir {
  ProductionDir() {
    Write("escenas_bin/.keep", "");
    Write("textures/.keep", "");
  }
};

TEST(TextureCopy, NormalizingStoresTheFileNameUnderTexturesAndCopiesTheImage) {
#ifdef _WIN32
  GTEST_SKIP() << "C: is a folder's name in the production only on Linux; on Windows a drive";
#endif
  BoxRecorder boxes;
  ProductionDir dir;
  dir.Write("C:/modelos/tex/madera.jpg", "MADERA");
  dir.Write("a/b/c.jpg", "CCC");
  dir.Write("foto.jpg", "FOTO");
  Scene scene;
  SceneWithMaps(scene, {"C:\\modelos\\tex\\madera.jpg", "a\\\\b\\\\c.jpg", "foto.jpg"});
  const std::string log = WriteNormalized(scene);

  const std::vector<std::string> expected = {"textures\\madera.jpg", "textures\\c.jpg",
                                             "textures\\foto.jpg"};
  EXPECT_EQ(StoredBitmaps(), expected);
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"),
            "Copiando C:\\modelos\\tex\\madera.jpg -> textures\\madera.jpg ...OK\n"
            "Copiando a\\\\b\\\\c.jpg -> textures\\c.jpg ...OK\n"
            "Copiando foto.jpg -> textures\\foto.jpg ...OK\n");
  EXPECT_EQ(dir.Read("textures/madera.jpg"), "MADERA");
  EXPECT_EQ(dir.Read("textures/c.jpg"), "CCC");
  EXPECT_EQ(dir.Read("textures/foto.jpg"), "FOTO");
  const std::string b = "[BIN IMPORTER/EXPORTER v0.8beta] - ";
  // The images are copied first; the file then stores the paths they got.
  const size_t copied = log.find(b + "[NORMALIZANDO] - Copiando [C:\\modelos\\tex\\madera.jpg] -> "
                                     "[textures\\madera.jpg]\n");
  const size_t stored = log.find(b + "Escribiendo material [ 0 ] - Textura [ 0 ] [ textures\\madera.jpg ]\n");
  EXPECT_NE(copied, std::string::npos) << log;
  EXPECT_NE(stored, std::string::npos) << log;
  EXPECT_LT(copied, stored) << log;
  // The scene itself keeps its original paths.
  EXPECT_STREQ(scene.materials[0].maps[0].bitmap, "C:\\modelos\\tex\\madera.jpg");
  scene.release();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(TextureCopy, CopyLogIsCreatedOnlyWhenNormalizing) {
  ProductionDir dir;
  Scene scene;
  SceneWithMaps(scene, {"C:\\tex\\x.jpg"});
  WriteNormalized(scene, false);
  EXPECT_FALSE(Exists("escenas_bin/prueba.bin.TXT"));
  EXPECT_EQ(StoredBitmaps(), std::vector<std::string>{"C:\\tex\\x.jpg"});
  scene.release();

  Scene empty;
  dir.Write("escenas_bin/prueba.bin.TXT", "anterior");
  WriteNormalized(empty);
  EXPECT_TRUE(Exists("escenas_bin/prueba.bin.TXT"));
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"), "");  // created anew, left empty
}

TEST(TextureCopy, FailedCopiesAreLoggedAndNeverMarkedOk) {
  ProductionDir dir;
  dir.Write("dir/foto.jpg", "FOTO");
  Scene scene;
  SceneWithMaps(scene, {"C:\\falta.jpg", "dir/foto.jpg"});
  const std::string log = WriteNormalized(scene);
  // A forward slash separates folders as a backslash does.
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"),
            "Copiando C:\\falta.jpg -> textures\\falta.jpg ...FAILED\n"
            "Copiando dir/foto.jpg -> textures\\foto.jpg ...OK\n");
  EXPECT_NE(log.find("- texture not found: looked for at [C:\\falta.jpg], "
                     "[textures\\falta.jpg] in the production ["),
            std::string::npos)
      << log;
  EXPECT_EQ(StoredBitmaps(),
            (std::vector<std::string>{"textures\\falta.jpg", "textures\\foto.jpg"}));
  EXPECT_FALSE(Exists("textures/falta.jpg"));
  EXPECT_FALSE(Exists("textures/falta.jpg.tmp"));
  scene.release();
}

TEST(TextureCopy, PathsThatNameNoFileOrDoNotFitAreHandledSafely) {
#ifdef _WIN32
  GTEST_SKIP() << "the 247-character name passes the 260-character path limit of Windows";
#endif
  ProductionDir dir;
  // 247 characters: fits a bitmap under "largo\", not the path field under "textures\".
  const std::string longName = std::string(243, 'n') + ".jpg";
  dir.Write("largo/" + longName, "LARGO");
  dir.Write("textures/propia.jpg", "PROPIA");
  Scene scene;
  SceneWithMaps(scene, {"", "\\\\", "largo\\" + longName, "textures\\propia.jpg"});
  const std::string log = WriteNormalized(scene);

  const std::string cut = ("textures\\" + longName).substr(0, 254);
  const std::vector<std::string> expected = {"", "\\\\", cut, "textures\\propia.jpg"};
  EXPECT_EQ(StoredBitmaps(), expected);
  EXPECT_NE(log.find("The texture [] names no file; not copied."), std::string::npos);
  EXPECT_NE(log.find("WARNING: the path [textures\\" + longName + "] does not fit"), std::string::npos);
  // The copy lands where the stored path points, so the texture still loads.
  EXPECT_EQ(dir.Read("textures/" + cut.substr(9)), "LARGO");
  // An image already in place stays whole.
  EXPECT_EQ(dir.Read("textures/propia.jpg"), "PROPIA");
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"),
            "Copiando largo\\" + longName + " -> " + cut + " ...OK\n" +
                "Copiando textures\\propia.jpg -> textures\\propia.jpg ...OK\n");
  scene.release();
}

TEST(TextureCopy, CopyFileCopiesWholeFilesOfEveryLength) {
  TempDir dir;
  SceneBinaryFile file;
  for (size_t size : {0u, 1u, 2047u, 2048u, 2049u, 5000u}) {
    SCOPED_TRACE(size);
    std::string contents(size, '\0');
    for (size_t i = 0; i < size; ++i) contents[i] = static_cast<char>(i * 7 + 3);
    dir.Write("origen.bin", contents);
    dir.Write("destino.bin", std::string(6000, 'x'));  // replaced, not overwritten in place
    EXPECT_TRUE(file.copyFile("origen.bin", "destino.bin", true));
    EXPECT_EQ(dir.Read("destino.bin"), contents);
  }
}

TEST(TextureCopy, SceneWriteThatCannotBePutInPlaceLeavesNoTrace) {
  TempDir dir;
  dir.Write("escena.bin/dentro", "");  // a folder where the file should go
  Scene scene;
  SceneBinaryFile file;
  ::testing::internal::CaptureStdout();
  const bool written = file.writeScene("escena.bin", scene);
  std::fflush(stdout);
  const std::string log = ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(written);
  EXPECT_NE(log.find("ERROR: could not write the file [ escena.bin ]; it is left as it was."),
            std::string::npos)
      << log;
  EXPECT_FALSE(Exists("escena.bin.tmp"));
  EXPECT_TRUE(Exists("escena.bin/dentro"));
}


struct Colour {
  int r, g, b;
};

// Each test picture is four quadrants of one colour: top left, top right, bottom left, bottom
// right. Transparency is flattened on black.
struct FormatCase {
  const char* picture;  // in tests/data/textures
  const char* placedAt;  // in the production
  const char* bitmap;    // as the scene names it
  const char* stored;    // as the .bin names it
  int width, height;
  Colour quadrants[4];
};

const FormatCase kFormats[] = {
    // A path of the modeller's machine; the picture was put into textures by hand.
    {"ladrillo.png", "textures/ladrillo.png", "D:\\maps\\ladrillo.png", "textures\\ladrillo.jpg",
     64, 48, {{200, 40, 30}, {240, 240, 240}, {20, 100, 30}, {30, 60, 200}}},
    {"baldosa.tga", "mapas/baldosa.tga", "mapas\\baldosa.tga", "textures\\baldosa.jpg", 32, 32,
     {{240, 220, 30}, {30, 40, 180}, {30, 40, 180}, {240, 220, 30}}},
    {"rayas.bmp", "rayas.bmp", "rayas.bmp", "textures\\rayas.jpg", 40, 24,
     {{220, 30, 200}, {250, 250, 250}, {250, 250, 250}, {220, 30, 200}}},
    {"gris.png", "mapas/gris.png", "mapas/gris.png", "textures\\gris.jpg", 16, 16,
     {{0, 0, 0}, {255, 255, 255}, {128, 128, 128}, {64, 64, 64}}},
    {"paleta.png", "textures/paleta.png", "textures\\paleta.png", "textures\\paleta.jpg", 16, 16,
     {{250, 220, 20}, {20, 20, 20}, {0, 160, 160}, {160, 0, 160}}},
};

TEST(TextureFormats, PicturesInOtherFormatsBecomeJpegsThePlayerReads) {
  ProductionDir dir;
  Scene scene;
  SceneWithMaps(scene, {kFormats[0].bitmap, kFormats[1].bitmap, kFormats[2].bitmap,
                        kFormats[3].bitmap, kFormats[4].bitmap});
  std::vector<std::string> stored;
  std::string copyLog;
  for (const FormatCase& c : kFormats) {
    dir.Write(c.placedAt, DataPicture(c.picture));
    stored.push_back(c.stored);
    copyLog += std::string("Copiando ") + c.bitmap + " -> " + c.stored + " ...OK\n";
  }
  const std::string log = WriteNormalized(scene);
  EXPECT_EQ(StoredBitmaps(), stored);
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"), copyLog);
  EXPECT_EQ(Count(log, "ERROR"), 0u) << log;
  EXPECT_NE(log.find("[D:\\maps\\ladrillo.png] is not in the production; found as "
                     "[textures\\ladrillo.png]"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Converting [rayas.bmp] -> [textures\\rayas.jpg] (JPEG, quality 92)"),
            std::string::npos)
      << log;

  std::vector<FileStamp> stamps;
  for (const FormatCase& c : kFormats) {
    SCOPED_TRACE(c.picture);
    DecodedImage image;
    std::string message;
    ASSERT_TRUE(DecodeJpegFile(c.stored, image, message)) << message;
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    for (int q = 0; q < 4; ++q) {
      const int x = (q % 2 ? 3 : 1) * c.width / 4, y = (q / 2 ? 3 : 1) * c.height / 4;
      const uint8_t* pixel = &image.pixels[static_cast<size_t>(y * image.rowBytes + x * 3)];
      EXPECT_NEAR(pixel[0], c.quadrants[q].r, 8) << "quadrant " << q;
      EXPECT_NEAR(pixel[1], c.quadrants[q].g, 8) << "quadrant " << q;
      EXPECT_NEAR(pixel[2], c.quadrants[q].b, 8) << "quadrant " << q;
    }
    EXPECT_EQ(dir.Read(c.placedAt), DataPicture(c.picture));  // the source stays as it was
    stamps.push_back(StampOfFile(c.stored));
  }

  // Converted again from unchanged pictures: the same bytes, so nothing is written.
  const std::string again = WriteNormalized(scene);
  EXPECT_EQ(StoredBitmaps(), stored);
  EXPECT_EQ(Count(again, "WARNING"), 0u) << again;
  for (size_t i = 0; i < stamps.size(); ++i) EXPECT_EQ(StampOfFile(kFormats[i].stored), stamps[i]);
  scene.release();
}

TEST(TextureFormats, PictureNotAtItsPathIsLookedForInTexturesAndOnlyAMissingOneIsTold) {
  ProductionDir dir;
  const std::string jpeg = EncodeSolidJpeg(8, 8, 10, 20, 30);
  dir.Write("textures/hecha.jpg", jpeg);  // re-saved by hand as a JPEG
  dir.Write("textures/vieja.png", jpeg);  // re-saved as a JPEG under the old name
  Scene scene;
  SceneWithMaps(scene, {"D:\\maps\\falta.png", "D:\\maps\\hecha.png", "W:\\vieja.png"});
  const std::string log = WriteNormalized(scene);
  EXPECT_EQ(StoredBitmaps(), (std::vector<std::string>{"textures\\falta.png", "textures\\hecha.jpg",
                                                       "textures\\vieja.png"}));
  // The missing picture is named once, with every place it was looked for.
  EXPECT_EQ(Count(log, "D:\\maps\\falta.png"), 1u) << log;
  EXPECT_NE(log.find("- texture not found: looked for at "
                     "[D:\\maps\\falta.png], [textures\\falta.png], [textures\\falta.jpg] in the "
                     "production ["),
            std::string::npos)
      << log;
  // Not an error: the player draws a checker pattern in its place.
  EXPECT_EQ(Count(log, "ERROR"), 0u) << log;
  EXPECT_EQ(dir.Read("textures/hecha.jpg"), jpeg);
  EXPECT_EQ(dir.Read("textures/vieja.png"), jpeg);
  EXPECT_EQ(dir.Read("escenas_bin/prueba.bin.TXT"),
            "Copiando D:\\maps\\falta.png -> textures\\falta.png ...FAILED\n"
            "Copiando D:\\maps\\hecha.png -> textures\\hecha.jpg ...OK\n"
            "Copiando W:\\vieja.png -> textures\\vieja.png ...OK\n");
  scene.release();
}

TEST(TextureFormats, UnreadablePictureIsNamedAndReplacesNothing) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* says;
  };
  const Case cases[] = {
      {"rota.png", DataPicture("rota.png"), "ERROR: [rota.png] cannot be decoded ("},
      {"nada.bmp", "not a picture", "ERROR: [nada.bmp] not a picture the converter reads ("},
      {"poca.tga", DataPicture("baldosa.tga").substr(0, 1000), "ERROR: [poca.tga] is cut short"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProductionDir dir;
    const std::string jpegName = "textures/" + std::string(c.name, 4) + ".jpg";
    dir.Write(c.name, c.bytes);
    dir.Write(jpegName, "EARLIER");
    Scene scene;
    SceneWithMaps(scene, {c.name});
    const std::string log = WriteNormalized(scene);
    EXPECT_NE(log.find(c.says), std::string::npos) << log;
    EXPECT_EQ(dir.Read(jpegName), "EARLIER");
    EXPECT_EQ(dir.Read(c.name), c.bytes);
    EXPECT_NE(dir.Read("escenas_bin/prueba.bin.TXT").find("...FAILED"), std::string::npos);
    scene.release();
  }
}

// stb_image fills what a TGA, BMP, GIF, PSD or PNM lacks with black: half a file made a whole
// picture. Cut short, each is refused; whole, each converts.
TEST(TextureFormats, PictureCutShortIsRefused) {
  for (const char* name :
       {"baldosa.tga", "rayas.bmp", "cuadros.gif", "cuadros.psd", "cuadros.ppm", "ladrillo.png"}) {
    const std::string whole = DataPicture(name);
    for (size_t size : {whole.size(), whole.size() / 2}) {
      SCOPED_TRACE(std::string(name) + " of " + std::to_string(size) + " bytes");
      std::vector<uint8_t> jpeg;
      std::string message;
      const bool converted = PictureToJpeg(
          std::vector<uint8_t>(whole.begin(), whole.begin() + size), jpeg, message);
      EXPECT_EQ(converted, size == whole.size()) << message;
      EXPECT_EQ(message.empty(), converted) << message;
    }
  }
}

TEST(TextureFormats, PngAndJpegOfOneNameKeepApart) {
  ProductionDir dir;
  const std::string jpeg = EncodeSolidJpeg(8, 8, 10, 20, 30);
  dir.Write("a/madera.png", DataPicture("gris.png"));
  dir.Write("b/madera.jpg", jpeg);
  Scene scene;
  SceneWithMaps(scene, {"a\\madera.png", "b\\madera.jpg"});
  const std::string log = WriteNormalized(scene);
  EXPECT_EQ(StoredBitmaps(),
            (std::vector<std::string>{"textures\\madera.jpg", "textures\\madera_2.jpg"}));
  EXPECT_EQ(dir.Read("textures/madera_2.jpg"), jpeg);
  EXPECT_NE(log.find("WARNING: [textures\\madera.jpg] already holds another image"),
            std::string::npos)
      << log;
  scene.release();
}

}  // namespace

namespace {

// A picture exported again after the author changed it: the converter's own JPEG of it is
// replaced, never a picture of the author's, and no copies pile up under new names.
TEST(TextureFormats, PictureExportedAgainReplacesOnlyTheConvertersOwnJpegOfIt) {
  const std::string first = DataPicture("gris.png"), second = DataPicture("paleta.png");
  std::vector<uint8_t> secondJpeg;
  std::string message;
  ASSERT_TRUE(PictureToJpeg(std::vector<uint8_t>(second.begin(), second.end()), secondJpeg,
                            message));
  const std::string authors = EncodeSolidJpeg(8, 8, 10, 20, 30);
  const struct {
    const char* what;
    bool authorsBefore;  // textures/madera.jpg is the author's before the first conversion
    bool editedBetween;  // the author edits the converter's JPEG between the two
    const char* stored;  // where the second conversion puts the picture
  } cases[] = {
      {"the converter's JPEG alone", false, false, "textures\\madera.jpg"},
      {"beside the author's picture of that name", true, false, "textures\\madera_2.jpg"},
      {"the converter's JPEG edited by the author", false, true, "textures\\madera_2.jpg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProductionDir dir;
    if (c.authorsBefore) dir.Write("textures/madera.jpg", authors);
    Scene scene;
    SceneWithMaps(scene, {"mapas\\madera.png"});
    dir.Write("mapas/madera.png", first);
    WriteNormalized(scene);
    if (c.editedBetween) dir.Write("textures/madera.jpg", authors);
    dir.Write("mapas/madera.png", second);
    WriteNormalized(scene);
    scene.release();

    EXPECT_EQ(StoredBitmaps(), std::vector<std::string>{c.stored});
    const std::string stored = "textures/" + std::string(c.stored).substr(9);
    EXPECT_TRUE(dir.Read(stored) == std::string(secondJpeg.begin(), secondJpeg.end()));
    const bool authorsKept = c.authorsBefore || c.editedBetween;
    if (authorsKept) {
      EXPECT_TRUE(dir.Read("textures/madera.jpg") == authors);
    }
    EXPECT_FALSE(Exists(authorsKept ? "textures/madera_3.jpg" : "textures/madera_2.jpg"));
  }
}

}  // namespace
