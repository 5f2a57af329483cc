// Every real export reads, holds what it declares, and survives the trip through
// the binary scene file.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "AseTestSupport.h"
#include "support/TempDir.h"
#include "driver/ConvertScene.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

// What the file itself says, found by splitting it into words, independently of the reader.
struct DeclaredObject {
  long vertices = 0, faces = 0, texVertices = 0, texFaces = 0;
  std::vector<std::pair<long, std::array<float, 3>>> vertexLines;
  std::vector<std::pair<long, std::array<long, 3>>> faceLines;
  std::vector<std::pair<long, std::array<float, 2>>> texVertexLines;
};

struct Declared {
  std::vector<DeclaredObject> objects;
  long materials = 0, cameras = 0, lights = 0;
};

Declared Declare(const std::string& text) {
  Declared d;
  std::istringstream in(text);
  std::vector<std::string> w;
  for (std::string word; in >> word;) w.push_back(word);
  auto number = [&](size_t i) { return i < w.size() ? std::strtol(w[i].c_str(), nullptr, 10) : 0L; };
  auto real = [&](size_t i) { return i < w.size() ? std::strtof(w[i].c_str(), nullptr) : 0.0f; };
  for (size_t i = 0; i < w.size(); ++i) {
    DeclaredObject* o = d.objects.empty() ? nullptr : &d.objects.back();
    if (w[i] == "*MESH_MAPPINGCHANNEL") {  // extra texture channels are not the object's own
      int depth = 0;
      for (i += 2; i < w.size(); ++i) {
        depth += w[i] == "{" ? 1 : w[i] == "}" ? -1 : 0;
        if (depth == 0) break;
      }
    } else if (w[i] == "*GEOMOBJECT") d.objects.emplace_back();
    else if (w[i] == "*CAMERAOBJECT") ++d.cameras;
    else if (w[i] == "*LIGHTOBJECT") ++d.lights;
    else if (w[i] == "*MATERIAL_COUNT") d.materials = number(i + 1);
    else if (!o) continue;
    else if (w[i] == "*MESH_NUMVERTEX") o->vertices = number(i + 1);
    else if (w[i] == "*MESH_NUMFACES") o->faces = number(i + 1);
    else if (w[i] == "*MESH_NUMTVERTEX") o->texVertices = number(i + 1);
    else if (w[i] == "*MESH_NUMTVFACES") o->texFaces = number(i + 1);
    else if (w[i] == "*MESH_VERTEX")
      o->vertexLines.push_back({number(i + 1), {real(i + 2), real(i + 3), real(i + 4)}});
    else if (w[i] == "*MESH_TVERT")
      o->texVertexLines.push_back({number(i + 1), {real(i + 2), real(i + 3)}});
    else if (w[i] == "*MESH_FACE")  // "0:" "A:" a "B:" b "C:" c
      o->faceLines.push_back({number(i + 1), {number(i + 3), number(i + 5), number(i + 7)}});
  }
  return d;
}

// Runs over the bundled files and the extra folder's. Without an extra folder the extra run is
// one placeholder that says so; a named folder without ASE files fails, so CI cannot lose the
// corpus unnoticed.
class AseCorpus : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (!GetParam().empty()) return;
    if (ExtraAseDir().empty())
      GTEST_SKIP() << "no extra ASE folder: set ZB_EXTRA_ASE_DIR (environment or CMake cache) to "
                      "run these tests over more exports than the bundled ones";
    FAIL() << "the extra ASE folder " << ExtraAseDir() << " holds no .ase file";
  }
};

std::vector<std::string> ExtraOrPlaceholder() {
  std::vector<std::string> files = ExtraAseFiles();
  if (files.empty() && AseFilesIn(ExtraAseDir()).empty()) files.push_back("");
  return files;
}

std::string ParamName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.empty() ? "no_extra_folder" : BaseName(info.param);
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

TEST_P(AseCorpus, HoldsWhatTheFileDeclares) {
  const std::string path = GetParam();
  std::string text = ReadBytes(path);
  if (text.compare(0, 2, "\xFF\xFE") == 0) {  // UTF-16 of plain ASCII: every other byte
    std::string narrow;
    for (size_t i = 2; i < text.size(); i += 2) narrow += text[i];
    text = narrow;
  }
  const Declared declared = Declare(text);

  BoxRecorder boxes;
  Scene scene;
  ASSERT_TRUE(LoadAseFile(path, scene));
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes.front().text;

  ASSERT_EQ(scene.objectCount, declared.objects.size());
  // A scene without materials gets the one default material.
  const long materials = declared.materials == 0 && !declared.objects.empty() ? 1 : declared.materials;
  EXPECT_EQ(scene.materialCount, static_cast<uint32_t>(materials));
  EXPECT_EQ(scene.cameraCount, static_cast<uint32_t>(declared.cameras));
  EXPECT_EQ(scene.lightCount, static_cast<uint32_t>(declared.lights));
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    SCOPED_TRACE("object " + std::to_string(i));
    const SceneObject& o = scene.objects[i];
    const DeclaredObject& d = declared.objects[i];
    EXPECT_EQ(o.vertexCount, static_cast<uint32_t>(d.vertices));
    EXPECT_EQ(o.faceCount, static_cast<uint32_t>(d.faces));
    EXPECT_EQ(o.texVertexCount, static_cast<uint32_t>(d.texVertices));
    EXPECT_EQ(o.texFaceCount, static_cast<uint32_t>(d.texFaces));
    // Every element line, bit for bit as strtof reads its numbers, in the engine's frame.
    for (const auto& [index, xyz] : d.vertexLines) {
      ASSERT_LT(static_cast<uint32_t>(index), o.vertexCount);
      const float* p = o.vertices[index].position;
      EXPECT_EQ(p[0], xyz[0]);
      EXPECT_EQ(p[1], xyz[2]);
      EXPECT_EQ(p[2], -xyz[1]);
    }
    for (const auto& [index, uv] : d.texVertexLines) {
      ASSERT_LT(static_cast<uint32_t>(index), o.texVertexCount);
      EXPECT_EQ(o.texVertices[index].u, uv[0]);
      EXPECT_EQ(o.texVertices[index].v, -uv[1]);
    }
    for (const auto& [index, abc] : d.faceLines) {
      ASSERT_LT(static_cast<uint32_t>(index), o.faceCount);
      for (int k = 0; k < 3; ++k) EXPECT_EQ(o.faces[index].index[k], static_cast<uint32_t>(abc[k]));
    }
    if (scene.materialCount > 0) {
      EXPECT_LT(static_cast<uint32_t>(o.materialIndex), scene.materialCount);
    }
  }
  for (uint32_t i = 0; i < scene.materialCount; ++i) EXPECT_LE(scene.materials[i].header.mapCount, 2u);
  scene.release();
}

// ASE -> bin through the converter in a production folder, then the bin read back.
TEST_P(AseCorpus, ConvertsAndReadsBackTheSameScene) {
  const std::string path = GetParam();
  Scene direct;
  ASSERT_TRUE(LoadAseFile(path, direct));

  TempDir dir;
  dir.Write("escenas/scene.ase", ReadBytes(path));
  BoxRecorder boxes;
  {
    QuietStdout quiet;
    ASSERT_TRUE(ConvertSceneFromAse("scene"));
  }
  Scene readBack;
  {
    QuietStdout quiet;
    SceneBinaryFile file;
    file.readScene("escenas_bin\\scene.bin", readBack);
  }
  ExpectSameScene(direct, readBack, /*normalizedBitmaps=*/true);
  direct.release();
  readBack.release();
}

// A Windows line end reads like a Unix one everywhere, names and skipped lines included.
TEST_P(AseCorpus, ReadsTheSameWithEitherLineEnd) {
  const std::string text = ReadBytes(GetParam());
  if (text.compare(0, 2, "\xFF\xFE") == 0) GTEST_SKIP() << "UTF-16";
  std::string lf, crlf;
  for (char c : text)
    if (c != '\r') lf += c;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  Scene a, b;
  ASSERT_TRUE(LoadAse(lf, a));
  ASSERT_TRUE(LoadAse(crlf, b));
  ExpectSameScene(a, b);
  for (uint32_t i = 0; i < a.objectCount; ++i) EXPECT_STREQ(a.objects[i].name, b.objects[i].name);
  a.release();
  b.release();
}

INSTANTIATE_TEST_SUITE_P(Bundled, AseCorpus, ::testing::ValuesIn(AseFilesIn(BundledAseDir())),
                         ParamName);
INSTANTIATE_TEST_SUITE_P(Extra, AseCorpus, ::testing::ValuesIn(ExtraOrPlaceholder()), ParamName);

// The UTF-16 file is the same export as its 8-bit twin, re-encoded with CR LF.
TEST(CorpusFeatures, Utf16FileReadsLikeItsEightBitTwin) {
  Scene wide, narrow;
  ASSERT_TRUE(LoadAseFile(BundledAseFile("assimp_ThreeCubesGreen_UTF16LE.ASE"), wide));
  ASSERT_TRUE(LoadAseFile(BundledAseFile("assimp_ThreeCubesGreen.ASE"), narrow));
  EXPECT_EQ(wide.objectCount, 3u);
  ExpectSameScene(narrow, wide);
  wide.release();
  narrow.release();
}

}  // namespace
