// Materials as exported: unlit, masked, wrapping and texture-transformed glTF materials and
// vertex colours convert, and go through the binary scene and back.
#include <gtest/gtest.h>

#include <string>

#include "SceneSamples.h"
#include "scene/GltfReader.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "support/QuietStdout.h"
#include "support/TempDir.h"

namespace {

// One textured triangle (the texture coordinates of its first corner are (1, 0)) with vertex
// colours, its material and the texture's sampler given as JSON.
std::string TexturedGltf(const std::string& material, const std::string& textureInfo,
                         const std::string& sampler) {
  return "{\"asset\":{\"version\":\"2.0\"},"
         "\"extensionsRequired\":[\"KHR_materials_unlit\",\"KHR_texture_transform\"],"
         "\"scenes\":[{\"nodes\":[0]}],\"nodes\":[{\"mesh\":0}],"
         "\"meshes\":[{\"primitives\":[{\"attributes\":{\"POSITION\":0,\"TEXCOORD_0\":1,"
         "\"COLOR_0\":2},\"material\":0}]}],"
         "\"materials\":[{" + material + "\"pbrMetallicRoughness\":{\"baseColorTexture\":{"
         "\"index\":0" + textureInfo + "}}}],"
         "\"textures\":[{\"source\":0" + sampler + "}],\"images\":[{\"uri\":\"wall.png\"}],"
         "\"samplers\":[{\"wrapS\":33071,\"wrapT\":33648}],"
         "\"accessors\":[{\"bufferView\":0,\"componentType\":5126,\"count\":3,\"type\":\"VEC3\"},"
         "{\"bufferView\":1,\"componentType\":5126,\"count\":3,\"type\":\"VEC2\"},"
         "{\"bufferView\":2,\"componentType\":5126,\"count\":3,\"type\":\"VEC4\"}],"
         "\"bufferViews\":[{\"buffer\":0,\"byteLength\":36},"
         "{\"buffer\":0,\"byteOffset\":36,\"byteLength\":24},"
         "{\"buffer\":0,\"byteOffset\":60,\"byteLength\":48}],"
         "\"buffers\":[{\"byteLength\":108,\"uri\":\"data:application/octet-stream;base64," +
         Base64({0, 0, 0, 1, 0, 0, 0, 1, 0,                 // positions
                 1, 0, 0, 0, 0, 1,                          // texture coordinates
                 1, 0, 0, 1, 0, 1, 0, 0.5f, 0, 0, 1, 1}) +  // colours
         "\"}]}";
}

struct Expected {
  const char* what;
  std::string text;
  bool unlit;
  float cutoff;
  TextureWrap wrap[2];
  float u, v;  // the first texture vertex, in the engine's terms
};

TEST(MaterialLooks, EachConvertsAndComesBackFromTheBinaryScene) {
  const TextureWrap repeat = TextureWrap::repeat;
  const Expected cases[] = {
      {"plain", TexturedGltf("", "", ""), false, 0, {repeat, repeat}, 1, -1},
      {"unlit", TexturedGltf("\"extensions\":{\"KHR_materials_unlit\":{}},", "", ""), true, 0,
       {repeat, repeat}, 1, -1},
      {"alpha mask", TexturedGltf("\"alphaMode\":\"MASK\",\"alphaCutoff\":0.3,", "", ""), false, 0.3f,
       {repeat, repeat}, 1, -1},
      {"clamped and mirrored", TexturedGltf("", "", ",\"sampler\":0"), false, 0,
       {TextureWrap::clamp, TextureWrap::mirror}, 1, -1},
      {"offset and scale",
       TexturedGltf("", ",\"extensions\":{\"KHR_texture_transform\":{\"offset\":[0.5,0],\"scale\":[2,2]}}", ""),
       false, 0, {repeat, repeat}, 2.5f, -1},
      // A quarter turn takes (1, 0) to (0, -1).
      {"rotation",
       TexturedGltf("", ",\"extensions\":{\"KHR_texture_transform\":{\"rotation\":1.5707963268}}", ""),
       false, 0, {repeat, repeat}, 0, -2},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.Write("look.gltf", c.text);
    Scene scene;
    ImportResult imported;
    bool written = false, read = false;
    {
      QuietStdout quiet;
      imported = ReadGltf("look.gltf", scene);
      SceneBinaryFile file;
      written = file.writeScene("look.bin", scene);
      scene.release();
      read = file.readScene("look.bin", scene);
    }
    ASSERT_EQ(imported, ImportResult::complete);
    ASSERT_TRUE(written && read);
    const MaterialLook& look = scene.materials[0].look;
    EXPECT_EQ(look.unlit, c.unlit);
    EXPECT_FLOAT_EQ(look.alphaCutoff, c.cutoff);
    EXPECT_EQ(look.wrap[0], c.wrap[0]);
    EXPECT_EQ(look.wrap[1], c.wrap[1]);
    const SceneObject& object = scene.objects[0];
    EXPECT_NEAR(object.texVertices[0].u, c.u, 1e-6);
    EXPECT_NEAR(object.texVertices[0].v, c.v, 1e-6);
    ASSERT_TRUE(object.vertexColours);
    const float green[4] = {0, 1, 0, 0.5f};
    for (int k = 0; k < 4; ++k) EXPECT_EQ(object.vertices[1].reserved[k], green[k]) << k;
    scene.release();
  }
}

}  // namespace
