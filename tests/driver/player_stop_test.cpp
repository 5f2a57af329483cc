// Every fault of a production's files that start-up can meet: the player stops with its message
// and status 1 (or plays on with a warning), shuts down in order with nothing for a sanitizer to
// report, and the checker names the same file as a fault.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "driver/ContentManifest.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"
#include "support/RunTool.h"
#include "support/TestProduction.h"
#include "support/TestScenes.h"
#include "support/TempDir.h"
#include "support/TestScreen.h"

namespace {

enum class Damage { Missing, Empty, Garbage, CutShort, Directory, DevZero, Fifo, Unreadable,
                    LinkOut, FolderLinkOut };

// The working production: the bundled manifest as its production.txt, and scene 2 ("monolito",
// line 13) textured with textures\madera.jpg.
void WriteWorkingProduction(const TempDir& dir) {
  WriteProductionMedia(dir, 6.0, "0 SCENE 2 FX_START\n0.5 SCENE 2 FX_QUIT\n");
  dir.Write("production.txt", kDefaultManifestText);
  dir.Write("textures/madera.jpg", EncodeSolidJpeg(8, 8, 120, 80, 40));
  OwnedScene scene;
  scene.setupObjects(1);
  scene.setObject(0, squareObject(0, 0, 0, 50, 0));
  scene.setupMaterials(1);
  Material material = colourMaterial(1, 1, 1);
  material.header.mapCount = 1;
  material.maps[0].setBitmap("textures\\madera.jpg");
  scene.setMaterial(0, material);
  scene.setupCameras(1);
  scene.setCamera(0, fixedCamera(0, 0, 200, 0, 0, 0, 60));
  scene.setupLights(0);
  QuietStdout quiet;
  ASSERT_TRUE(SceneBinaryFile().writeScene("escenas_bin\\monolito.bin", scene));
}

void Break(const TempDir& dir, const std::string& file, Damage damage, const std::string& away) {
  const std::string path = dir.path + "/" + file;
  if (damage == Damage::LinkOut || damage == Damage::FolderLinkOut) {
    // The file, or its whole folder, moved out of the production and linked from its place.
    const auto moved = damage == Damage::LinkOut ? std::filesystem::path(path)
                                                 : std::filesystem::path(path).parent_path();
    std::filesystem::rename(moved, away + "/moved");
    std::filesystem::create_symlink(away + "/moved", moved);
    return;
  }
  const std::string bytes = dir.Read(file);
  std::filesystem::remove(path);
  switch (damage) {
    case Damage::Missing: break;
    case Damage::Empty: dir.Write(file, ""); break;
    case Damage::Garbage: dir.Write(file, std::string(4000, 'x')); break;
    case Damage::CutShort: dir.Write(file, bytes.substr(0, bytes.size() / 2)); break;
    case Damage::Directory: std::filesystem::create_directory(path); break;
#ifndef _WIN32  // Linux's own kinds of file; the cases skip them elsewhere
    case Damage::DevZero: std::filesystem::create_symlink("/dev/zero", path); break;
    case Damage::Fifo: ::mkfifo(path.c_str(), 0644); break;
    case Damage::Unreadable:
      dir.Write(file, bytes);
      ::chmod(path.c_str(), 0);
      break;
#endif
    default: break;
  }
}

bool SanitizerSpoke(const std::string& output) {
  for (const char* mark : {"Sanitizer", "runtime error:", "double free", "corrupted"})
    if (output.find(mark) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST(PlayerStop, EachFaultOfAFileEndsOrWarnsAsTheCheckerSays) {
  ZB_REQUIRE_SCREEN();  // the textures fail to load in the window
  const struct {
    const char* file;
    Damage damage;
    int status;
    const char* player;   // in a line of standard error and of the log
    const char* checker;  // in a line of zorbanel-check's report
  } cases[] = {
      {"textures/zorban.jpg", Damage::Missing, 1, "production.txt:22: textures\\zorban.jpg: file not found", nullptr},
      {"textures/zorban.jpg", Damage::DevZero, 1, "production.txt:22: textures\\zorban.jpg: not a regular file", nullptr},
      {"textures/zorban.jpg", Damage::Empty, 1, "production.txt:22: textures\\zorban.jpg: empty file", nullptr},
      {"textures/zorban.jpg", Damage::Garbage, 1, "Cannot load texture: \"textures\\zorban.jpg\"",
       "production.txt:22: textures\\zorban.jpg: not a usable JPEG"},
      {"textures/font.jpg", Damage::Missing, 1, "production.txt:6: textures\\font.jpg: file not found", nullptr},
      {"textures/font.jpg", Damage::Unreadable, 1, "production.txt:6: textures\\font.jpg: cannot be read", nullptr},
      {"textures/font.jpg", Damage::Garbage, 1, "Cannot load texture: \"textures\\font.jpg\"",
       "production.txt:6: textures\\font.jpg: not a usable JPEG"},
      {"escenas_bin/monolito.bin", Damage::Missing, 1, "production.txt:13: escenas_bin\\monolito.bin: file not found", nullptr},
      {"escenas_bin/monolito.bin", Damage::Directory, 1, "production.txt:13: escenas_bin\\monolito.bin: not a regular file", nullptr},
      {"escenas_bin/monolito.bin", Damage::Empty, 1, "production.txt:13: escenas_bin\\monolito.bin: empty file", nullptr},
      {"escenas_bin/monolito.bin", Damage::CutShort, 0, "production.txt:13: escenas_bin\\monolito.bin: cut short or damaged", nullptr},
      // A scene's texture is replaced by a checker pattern, music by a silent clock.
      {"textures/madera.jpg", Damage::Missing, 0,
       "textures\\madera.jpg\": a checker pattern is drawn in its place",
       "production.txt:13: textures\\madera.jpg: file not found: the player draws a checker pattern in its place"},
      {"textures/madera.jpg", Damage::Garbage, 0, "Warning: scene texture not loaded: \"textures\\madera.jpg\"",
       "production.txt:13: textures\\madera.jpg: not a usable JPEG"},
      {"music/music.ogg", Damage::Missing, 0,
       "production.txt:7: music\\music.ogg: file not found: the production plays on a silent clock", nullptr},
      {"music/music.ogg", Damage::Fifo, 0, "production.txt:7: music\\music.ogg: not a regular file", nullptr},
      {"music/music.ogg", Damage::Garbage, 0,
       "production.txt:7: music\\music.ogg: not music the player reads (Ogg Vorbis, Ogg Opus, FLAC, WAV or MP3)",
       nullptr},
      {"music/music.ogg", Damage::Empty, 0, "production.txt:7: music\\music.ogg: empty file: the production plays", nullptr},
      {"ESCENAS_BIN/PARTICLES02.BIN", Damage::Garbage, 0,
       "production.txt:44: ESCENAS_BIN\\PARTICLES02.BIN: not a usable particle file", nullptr},
      {"textures/zorban.jpg", Damage::LinkOut, 1,
       "production.txt:22: textures\\zorban.jpg: leads out of the production folder", nullptr},
      {"textures/font.jpg", Damage::FolderLinkOut, 1,
       "production.txt:6: textures\\font.jpg: leads out of the production folder", nullptr},
      {"escenas_bin/monolito.bin", Damage::LinkOut, 1,
       "production.txt:13: escenas_bin\\monolito.bin: leads out of the production folder", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.player);
#ifdef _WIN32
    if (c.damage == Damage::DevZero || c.damage == Damage::Fifo || c.damage == Damage::Unreadable ||
        c.damage == Damage::LinkOut || c.damage == Damage::FolderLinkOut)
      continue;
#else
    // Root reads every file whatever its mode.
    if (c.damage == Damage::Unreadable && ::geteuid() == 0) continue;
#endif
    TempDir away;
    TempDir dir;
    WriteWorkingProduction(dir);
    Break(dir, c.file, c.damage, away.path);
    const ToolRun run = RunTool(dir.path, ZB_PLAYER, "", 60);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.player), std::string::npos) << run.output;
    EXPECT_FALSE(SanitizerSpoke(run.output)) << run.output;
    const std::string log = dir.ReadText("LOGFILE.TXT");
    EXPECT_NE(log.find(c.player), std::string::npos) << log;
    // A file that cannot be used is found before the window opens.
    if (c.status != 0 && std::string(c.player).rfind("Cannot load texture", 0) != 0) {
      EXPECT_EQ(log.find("No display"), std::string::npos) << log;
    }
    const ToolRun check = RunTool(dir.path, "check", "", 60);
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.output.find(c.checker ? c.checker : c.player), std::string::npos) << check.output;
  }
}

// The production the cases break plays, and the checker passes it.
TEST(PlayerStop, TheWorkingProductionPlaysAndPassesTheCheck) {
  ZB_REQUIRE_SCREEN();
  TempDir dir;
  WriteWorkingProduction(dir);
  const ToolRun run = RunTool(dir.path, ZB_PLAYER, "", 60);
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_FALSE(SanitizerSpoke(run.output)) << run.output;
  const ToolRun check = RunTool(dir.path, "check", "", 60);
  EXPECT_EQ(check.status, 0) << check.output;
}
