// Every light a modeller uses: glTF and ASE point, directional and spot lights convert with
// their aim, cone, strength and fading, and go through the binary scene and back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "SceneSamples.h"
#include "scene/AseReader.h"
#include "scene/GltfReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"
#include "support/TempDir.h"

namespace {

// One triangle and one light node; `light` is the light's JSON, `node` the node's placement.
std::string GltfWithLight(const std::string& light, const std::string& node) {
  return "{\"asset\":{\"version\":\"2.0\"},\"extensionsUsed\":[\"KHR_lights_punctual\"],"
         "\"extensions\":{\"KHR_lights_punctual\":{\"lights\":[" + light + "]}},"
         "\"scenes\":[{\"nodes\":[0,1]}],"
         "\"nodes\":[{\"mesh\":0},{" + node + "\"extensions\":{\"KHR_lights_punctual\":{\"light\":0}}}],"
         "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0}}]}],"
         "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"}],"
         "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36}],"
         "\"buffers\":[{\"byteLength\":36,\"uri\":\"data:application/octet-stream;base64," +
         Base64({1, 0, 0, 0, 1, 0, 0, 0, -1}) + "\"}]}";
}

// One object and one light block with the given type, node transforms and settings.
std::string AseWithLight(const std::string& type, const std::string& transforms, const std::string& settings) {
  return "*3DSMAX_ASCIIEXPORT 200\n*SCENE {\n*SCENE_LASTFRAME 10\n}\n"
         "*GEOMOBJECT {\n*NODE_NAME \"o\"\n*MESH {\n*MESH_NUMVERTEX 1\n*MESH_NUMFACES 1\n"
         "*MESH_VERTEX_LIST {\n*MESH_VERTEX 0 0 0 0\n}\n*MESH_FACE_LIST {\n"
         "*MESH_FACE 0: A: 0 B: 0 C: 0\n}\n}\n}\n"
         "*LIGHTOBJECT {\n*NODE_NAME \"l\"\n*LIGHT_TYPE " + type + "\n" + transforms +
         "*LIGHT_SETTINGS {\n*TIMEVALUE 0\n*LIGHT_COLOR 1.0 1.0 1.0\n" + settings + "}\n}\n";
}

struct Expected {
  const char* what;
  bool gltf;
  std::string text;
  LightKind kind;
  float aim[3], position[3], colour[3];
  float cutoff, attenuation[3];
};

TEST(LightShapes, EachKindConvertsWithItsAimConeAndStrength) {
  const float down[3] = {0, -1, 0};
  const double inner = 0.2 * 180 / 3.14159265358979, outer = 0.5 * 180 / 3.14159265358979;
  const Expected cases[] = {
      {"glTF directional turned to look down, twice as strong", true,
       GltfWithLight("{\"type\":\"directional\",\"color\":[1,0.5,0],\"intensity\":2}",
                     "\"rotation\":[-0.70710678,0,0,0.70710678],"),
       LightKind::directional, {0, -1, 0}, {0, 0, 0}, {2, 1, 0}, 180, {1, 0, 0}},
      {"glTF spot, fading with the square of the distance", true,
       GltfWithLight("{\"type\":\"spot\",\"intensity\":10,\"spot\":{\"innerConeAngle\":0.2,"
                     "\"outerConeAngle\":0.5}}",
                     "\"translation\":[0,5,0],"),
       LightKind::spot, {0, 0, -1}, {0, 5, 0}, {10, 10, 10}, static_cast<float>(outer), {0, 0, 1}},
      {"glTF point", true, GltfWithLight("{\"type\":\"point\",\"intensity\":3}", ""),
       LightKind::point, {0, 0, -1}, {0, 0, 0}, {3, 3, 3}, 180, {0, 0, 1}},
      // The spot stands where its own node is, not at its target's.
      {"ASE target spot", false,
       AseWithLight("Target", "*NODE_TM {\n*TM_POS 0 0 10\n}\n*NODE_TM {\n*TM_POS 0 0 0\n}\n",
                    "*LIGHT_HOTSPOT 30\n*LIGHT_FALLOFF 60\n"),
       LightKind::spot, {down[0], down[1], down[2]}, {0, 10, 0}, {1, 1, 1}, 30, {1, 0, 0}},
      {"ASE directional at half strength", false,
       AseWithLight("Directional",
                    "*NODE_TM {\n*TM_ROW2 0 0 1\n*TM_POS 0 0 10\n}\n", "*LIGHT_INTENS 0.5\n"),
       LightKind::directional, {0, -1, 0}, {0, 10, 0}, {0.5f, 0.5f, 0.5f}, 180, {1, 0, 0}},
      {"ASE omni stays plain", false,
       AseWithLight("Omni", "*NODE_TM {\n*TM_POS 1 2 3\n}\n", "*LIGHT_INTENS 1.0\n"),
       LightKind::point, {0, 0, -1}, {1, 3, -2}, {1, 1, 1}, 180, {1, 0, 0}},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write(c.gltf ? "light.gltf" : "light.ase", c.text);
    Scene scene;
    {
      QuietStdout quiet;
      if (c.gltf)
        ASSERT_EQ(ReadGltf("light.gltf", scene), ImportResult::complete);
      else
        ASSERT_TRUE(AseReader().load("light.ase", scene));
      ASSERT_EQ(scene.lightCount, 1u);
      // What the binary scene gives back is what was converted.
      SceneBinaryFile file;
      ASSERT_TRUE(file.writeScene("light.bin", scene));
      scene.release();
      ASSERT_TRUE(file.readScene("light.bin", scene));
    }
    const SceneLight& light = scene.lights[0];
    EXPECT_EQ(light.shape.kind, c.kind);
    for (int k = 0; k < 3; ++k) {
      if (c.kind != LightKind::point) {
        EXPECT_NEAR(light.shape.direction[k], c.aim[k], 1e-5) << k;
      }
      EXPECT_NEAR(light.frame.position[k], c.position[k], 1e-5) << k;
      EXPECT_NEAR(light.frame.color[k], c.colour[k], 1e-5) << k;
      EXPECT_EQ(light.shape.attenuation[k], c.attenuation[k]) << k;
    }
    EXPECT_NEAR(light.shape.cutoff, c.cutoff, 1e-4);
    if (c.kind == LightKind::spot) {
      // Half strength midway between the cones.
      const double middle = c.gltf ? (inner + outer) / 2 : 22.5;
      EXPECT_NEAR(std::pow(std::cos(middle * 3.14159265358979 / 180), light.shape.exponent), 0.5, 1e-4);
    }
    scene.release();
  }
}

TEST(LightShapes, AShapeNoDriverTakesIsRefused) {
  TempDir dir;
  dir.Write("light.gltf", GltfWithLight("{\"type\":\"spot\",\"spot\":{}}", ""));
  Scene scene;
  SceneBinaryFile file;
  bool read = true;
  ImportResult imported;
  {
    QuietStdout quiet;
    imported = ReadGltf("light.gltf", scene);
  }
  ASSERT_EQ(imported, ImportResult::complete);
  ASSERT_EQ(scene.lightCount, 1u);
  {
    QuietStdout quiet;
    scene.lights[0].shape.cutoff = 120;  // neither a cone of 0 to 90 nor all round
    file.writeScene("light.bin", scene);
    scene.release();
    read = file.readScene("light.bin", scene);
  }
  EXPECT_FALSE(read);
  EXPECT_NE(file.fault.find("no light can have"), std::string::npos) << file.fault;
  scene.release();
}

}  // namespace
