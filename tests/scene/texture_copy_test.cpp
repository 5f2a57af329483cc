// Texture path normalisation, the copy log, and file copies.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "support/BoxRecorder.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/TempDir.h"

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
            "Copiando C:\\falta.jpg -> textures\\falta.jpg ...FALLO\n"
            "Copiando dir/foto.jpg -> textures\\foto.jpg ...OK\n");
  EXPECT_NE(log.find("ERROR: no se puede abrir [C:\\falta.jpg] para copiarlo."), std::string::npos)
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
  EXPECT_NE(log.find("La textura [] no nombra ningun fichero; no se copia."), std::string::npos);
  EXPECT_NE(log.find("AVISO: la ruta [textures\\" + longName + "] no cabe"), std::string::npos);
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
  EXPECT_NE(log.find("ERROR: no se pudo escribir el fichero [ escena.bin ]; queda como estaba."),
            std::string::npos)
      << log;
  EXPECT_FALSE(Exists("escena.bin.tmp"));
  EXPECT_TRUE(Exists("escena.bin/dentro"));
}

}  // namespace
