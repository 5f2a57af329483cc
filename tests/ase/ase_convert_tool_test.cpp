// The converter in a production folder, and the zorbanel-convert tool: its exit statuses, its
// scene summary, and what it does with hostile input.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "AseTestSupport.h"
#include "driver/ConvertScene.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/RunTool.h"
#include "support/TempDir.h"

namespace {

const char kTexturedScene[] =
    "*SCENE { *SCENE_LASTFRAME 10 *SCENE_FRAMESPEED 25 }\n"
    "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 {\n"
    " *MAP_DIFFUSE {\n  *BITMAP \"C:\\modelos\\tex\\madera.jpg\"\n }\n"
    " *MAP_BUMP {\n  *BITMAP \"perdida.jpg\"\n }\n} }\n"
    "*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 2 *MESH_VERTEX 0 -1 -2 -3 *MESH_VERTEX 1 4 5 6 } }\n"
    "*LIGHTOBJECT { *NODE_TM {\n *TM_POS 1 1 1\n}\n *LIGHT_SETTINGS {\n *LIGHT_COLOR 1 1 1\n}\n}\n";

// Runs the tool in the current folder; standard error is folded into the output.
ToolRun Tool(const std::string& arguments) {
  return RunTool(std::filesystem::current_path().string(), "convert", arguments);
}

TEST(ConvertSceneFromAse, WritesTheSceneCopiesTexturesAndMakesItsFolders) {
#ifdef _WIN32
  GTEST_SKIP() << "C: is a folder's name in the production only on Linux; on Windows a drive";
#endif
  TempDir dir;
  dir.Write("escenas/madera.ase", kTexturedScene);
  dir.Write("C:/modelos/tex/madera.jpg", "JPEG bytes");  // the modeller's path, relative here
  bool converted;
  {
    QuietStdout quiet;
    converted = ConvertSceneFromAse("madera");
  }
  ASSERT_TRUE(converted);
  EXPECT_FALSE(dir.Read("escenas_bin/madera.bin").empty());
  EXPECT_EQ(dir.Read("textures/madera.jpg"), "JPEG bytes");
  EXPECT_NE(dir.Read("escenas_bin/madera.bin.TXT").find("-> textures\\madera.jpg ...OK"), std::string::npos);
}

TEST(ConvertSceneFromAse, MissingFileWritesNothingAndKeepsTheOldScene) {
  TempDir dir;
  dir.Write("escenas_bin/vieja.bin", "old");
  bool missing, tooLong;
  {
    QuietStdout quiet;
    missing = ConvertSceneFromAse("vieja");
    tooLong = ConvertSceneFromAse(std::string(300, 'x').c_str());
  }
  EXPECT_FALSE(missing);
  EXPECT_FALSE(tooLong);
  EXPECT_EQ(dir.Read("escenas_bin/vieja.bin"), "old");
}

TEST(ConvertSceneFromAse, SceneFileThatCannotBeWrittenIsAFailure) {
  TempDir dir;
  dir.Write("escenas/madera.ase", kTexturedScene);
  dir.Write("escenas_bin/madera.bin/dentro", "keep");  // a folder where the scene file should go
  bool converted;
  {
    QuietStdout quiet;
    converted = ConvertSceneFromAse("madera");
  }
  EXPECT_FALSE(converted);
  EXPECT_EQ(dir.Read("escenas_bin/madera.bin/dentro"), "keep");
  EXPECT_EQ(dir.Read("escenas_bin/madera.bin.tmp"), "");  // no half-written file left behind
}

TEST(ConvertTool, ExitStatusSaysWhetherEverySceneConverted) {
  TempDir dir;
  dir.Write("escenas/madera.ase", kTexturedScene);
  EXPECT_EQ(Tool("--help").status, 0);
  EXPECT_NE(Tool("--help").output.find("--info"), std::string::npos);
  EXPECT_EQ(Tool("").status, 2);
  EXPECT_EQ(Tool("--bogus madera").status, 2);

  const ToolRun ok = Tool("--quiet madera");
  EXPECT_EQ(ok.status, 0) << ok.output;
  EXPECT_NE(ok.output.find("escenas\\madera.ase -> escenas_bin\\madera.bin: 1 objects, 1 materials"),
            std::string::npos) << ok.output;
  // Each texture not in the production is one line: what the player does, and the mend.
  for (const char* texture : {"madera.jpg", "perdida.jpg"})
    EXPECT_NE(ok.output.find("zorbanel-convert: warning: escenas_bin\\madera.bin names textures\\" +
                             std::string(texture) +
                             ", which is not in the production: the player will draw a checker "
                             "pattern in its place; put the picture there or fix its path in the "
                             "export, and convert again\n"),
              std::string::npos)
        << ok.output;
  EXPECT_EQ(ok.output.find("texture not found"), std::string::npos) << ok.output;  // said once
  EXPECT_EQ(ok.output.find("CARGANDO"), std::string::npos);  // the log stays quiet

  const ToolRun verbose = Tool("escenas/madera.ase");
  EXPECT_EQ(verbose.status, 0);
  EXPECT_NE(verbose.output.find("]> - CARGANDO OBJETO."), std::string::npos);

  const ToolRun missing = Tool("--quiet madera nada");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("escenas\\nada.ase"), std::string::npos);
  EXPECT_NE(missing.output.find("escenas_bin\\madera.bin"), std::string::npos);  // the others still convert
}

TEST(ConvertTool, InfoSummarisesABinaryScene) {
  TempDir dir;
  dir.Write("escenas/madera.ase", kTexturedScene);
  dir.Write("textures/madera.jpg", "JPEG bytes");
  ASSERT_EQ(Tool("--quiet madera").status, 0);

  const ToolRun info = Tool("--info escenas_bin/madera.bin");
  EXPECT_EQ(info.status, 0) << info.output;
  for (const char* line :
       {"frames 0..10 at 25 fps", "Objects: 1 (vertices 2, faces 0", "Materials: 1",
        "map 0: textures\\madera.jpg\n", "map 1: textures\\perdida.jpg (not found)", "Cameras: 0",
        "Lights: 1", "track of 0 samples", "Box: (-1.000, -3.000, -5.000) - (4.000, 6.000, 2.000)",
        "centre (1.500, 1.500, -1.500), size (5.000, 9.000, 7.000)", "seen from the fixed point"})
    EXPECT_NE(info.output.find(line), std::string::npos) << line << "\n" << info.output;

  EXPECT_EQ(Tool("--info escenas_bin/nada.bin").status, 1);
  const std::string bin = dir.Read("escenas_bin/madera.bin");
  dir.Write("escenas_bin/corta.bin", bin.substr(0, bin.size() / 2));
  const ToolRun damaged = Tool("--info escenas_bin/corta.bin");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.output.find("damaged"), std::string::npos) << damaged.output;
}

// Each camera at frame 0 (the track's first sample when it has one) against the scene's box.
TEST(ConvertTool, InfoGivesEachCamerasDistanceToTheBox) {
  TempDir dir;
  Scene scene;
  scene.setupObjects(1);
  SceneObject object;
  object.setupVertices(2);
  const float corners[2][3] = {{-1, -2, -3}, {3, 2, 1}};  // centre (1, 0, -1), radius sqrt(12)
  for (int j = 0; j < 2; ++j)
    for (int k = 0; k < 3; ++k) object.vertices[j].position[k] = corners[j][k];
  scene.setObject(0, object);
  const CameraFrame far = {{1, 0, 19}, {1, 0, -1}, 60, true};
  const CameraFrame near = {{1, 0, 2}, {1, 0, -1}, 60, true};
  scene.setupCameras(2);
  SceneCamera still, tracked;
  still.frame = far;
  tracked.frame = far;  // not what frame 0 shows
  tracked.setupTrack(2);
  tracked.setSample(0, near);
  tracked.setSample(1, far);
  scene.setCamera(0, still);
  scene.setCamera(1, tracked);
  scene.setupMaterials(0);
  scene.setupLights(0);
  {
    QuietStdout quiet;
    ASSERT_TRUE(SceneBinaryFile().writeScene("caja.bin", scene));
  }
  scene.release();

  const ToolRun info = Tool("--info caja.bin");
  EXPECT_EQ(info.status, 0) << info.output;
  const size_t first = info.output.find("20.000 from the box's centre (radius 3.464), whole box in view: yes");
  const size_t second = info.output.find("3.000 from the box's centre (radius 3.464), whole box in view: no");
  EXPECT_NE(first, std::string::npos) << info.output;
  EXPECT_NE(second, std::string::npos) << info.output;
  EXPECT_LT(first, second);
}

// A scene with one object whose material names bitmap; cut keeps only its first bytes.
std::string AseWithBitmap(const std::string& bitmap) {
  return "*MATERIAL_LIST { *MATERIAL_COUNT 1 *MATERIAL 0 {\n *MAP_DIFFUSE {\n  *BITMAP \"" +
         bitmap + "\"\n }\n} }\n*GEOMOBJECT { *MESH { *MESH_NUMVERTEX 1 *MESH_VERTEX 0 1 2 3 } }\n";
}

const char kAbsent[] = "(absent)";

struct Hostile {
  const char* name;
  std::string ase;                                   // escenas/good.ase
  std::vector<std::pair<std::string, std::string>> extra;   // more files to write first
  int status;
  const char* message;  // in the tool's output, even with --quiet; "" for a quiet success
  std::vector<std::pair<std::string, std::string>> after;   // file -> contents (or kAbsent)
};

// Hostile ASE files in a production "prod" inside the test folder, converted with --quiet over
// a good scene file: nothing outside the production is read or written, no existing texture or
// scene file is lost, and every refusal is said.
TEST(ConvertTool, HostileInputNeverReachesOutsideOrLosesAGoodFile) {
  TempDir dir;
  const std::string aseDir = "prod/escenas/";
  const std::string cut = AseWithBitmap("x.jpg");
  const std::vector<Hostile> cases = {
      {"a path that climbs out", AseWithBitmap("..\\\\victim.txt"), {}, 0,
       "lies outside the production", {{"victim.txt", "VICTIM"}, {"prod/textures/victim.txt", kAbsent}}},
      {"an absolute path", AseWithBitmap(dir.path + "/victim.txt"), {}, 0,
       "lies outside the production", {{"prod/textures/victim.txt", kAbsent}}},
#ifndef _WIN32  // links are made by administrators only on Windows
      {"a link that leads out", AseWithBitmap("enlace.jpg"), {}, 0, "lies outside the production",
       {{"prod/textures/enlace.jpg", kAbsent}}},
#endif
      {"the texture itself, reached by climbing", AseWithBitmap("..\\\\prod\\\\textures\\\\zorban.jpg"),
       {}, 0, "", {{"prod/textures/zorban.jpg", "LAYER"}}},
      {"another image under a texture's name", AseWithBitmap("escenas\\\\zorban.jpg"),
       {{aseDir + "zorban.jpg", "OTHER"}}, 0, "already holds another image",
       {{"prod/textures/zorban.jpg", "LAYER"}, {"prod/textures/zorban_2.jpg", "OTHER"}}},
      {"forward slashes", AseWithBitmap("media/gras/gras.jpg"), {{"prod/media/gras/gras.jpg", "GRAS"}}, 0,
       "", {{"prod/textures/gras.jpg", "GRAS"}}},
      {"an empty file", "", {}, 1, "holds no geometric object", {{"prod/escenas_bin/good.bin", "GOOD"}}},
      {"no objects", "*SCENE { *SCENE_LASTFRAME 10 }\n", {}, 1, "holds no geometric object",
       {{"prod/escenas_bin/good.bin", "GOOD"}, {"prod/escenas_bin/good.bin.TXT", "LOG"}}},
      {"a file cut short", cut.substr(0, cut.find("*MESH_VERTEX")), {}, 1, "ends inside a block",
       {{"prod/escenas_bin/good.bin", "GOOD"}}},
      {"an element before its count", "*GEOMOBJECT { *MESH { *MESH_VERTEX 0 1 2 3 } }\n", {}, 1,
       "has a mesh element before its count", {{"prod/escenas_bin/good.bin", "GOOD"}}},
  };
  for (const Hostile& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("victim.txt", "VICTIM");
    dir.Write("prod/textures/zorban.jpg", "LAYER");
    dir.Write("prod/escenas_bin/good.bin", "GOOD");
    dir.Write("prod/escenas_bin/good.bin.TXT", "LOG");
    dir.Write(aseDir + "good.ase", c.ase);
    for (const auto& [path, contents] : c.extra) dir.Write(path, contents);
#ifndef _WIN32  // links are made by administrators only on Windows
    ::unlink("prod/enlace.jpg");
    ASSERT_EQ(::symlink("../victim.txt", "prod/enlace.jpg"), 0);
#endif
    ASSERT_EQ(::chdir("prod"), 0);
    const ToolRun run = Tool("--quiet good");
    ASSERT_EQ(::chdir(".."), 0);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    for (const auto& [path, contents] : c.after)
      EXPECT_EQ(::access(path.c_str(), F_OK) == 0 ? dir.Read(path) : kAbsent, contents) << path;
  }
  // No temporary file is left behind.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

// A binary scene whose counts are forged: refused before anything is allocated for them, in a
// small fraction of the memory the counts ask for.
TEST(ConvertTool, ForgedCountsTakeLittleMemory) {
  TempDir dir;
  // 10 million empty objects: 200 MB of zeros, sparse on disk.
  std::string header(68, '\0');
  header += std::string("\x80\x96\x98\x00", 4);
  dir.Write("prod/escenas_bin/vacios.bin", header);
  ASSERT_EQ(::truncate("prod/escenas_bin/vacios.bin", 68 + 4 + 200000000 + 12), 0);
  const ToolRun run = Tool("--info prod/escenas_bin/vacios.bin");
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("announces 10000000 elements and a scene takes 65536"), std::string::npos)
      << run.output;
#ifndef _WIN32  // the children's peak is Linux's to tell (getrusage)
  struct rusage usage;
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "KB at the peak";
#endif
}

}  // namespace
