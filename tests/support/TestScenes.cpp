#include "support/TestScenes.h"

#include "scene/SceneBinaryFile.h"

SceneObject squareObject(float x, float y, float z, float half, int32_t materialIndex,
                         Facing facing) {
  SceneObject object;
  object.setupVertices(4);
  object.setupTexVertices(4);
  const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
  for (uint32_t i = 0; i < 4; ++i) {
    Vertex v;
    const float a = corners[i][0], b = corners[i][1];
    v.position[0] = x + a;
    v.position[1] = facing == Facing::Viewer ? y + b : y;
    v.position[2] = facing == Facing::Viewer ? z : z - b;
    object.setVertex(i, v);
    TexVertex uv;
    uv.u = a > 0 ? 1.0f : 0.0f;
    uv.v = b > 0 ? 1.0f : 0.0f;
    object.setTexVertex(i, uv);
  }
  object.setupFaces(2);
  object.setupTexFaces(2);
  const uint32_t triangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
  for (uint32_t f = 0; f < 2; ++f) {
    Face face;
    TexFace texFace;
    for (int k = 0; k < 3; ++k) {
      face.index[k] = texFace.index[k] = triangles[f][k];
      face.vertex[k] = &object.vertexRef(triangles[f][k]);
      texFace.texVertex[k] = &object.texVertexRef(triangles[f][k]);
      face.cornerNormal[k][facing == Facing::Viewer ? 2 : 1] = 1.0f;
    }
    object.setFace(f, face);
    object.setTexFace(f, texFace);
  }
  object.materialIndex = materialIndex;
  return object;
}

Material colourMaterial(float r, float g, float b, float alpha) {
  Material material;
  const float colour[4] = {r, g, b, alpha};
  for (int i = 0; i < 4; ++i) material.header.ambient[i] = material.header.diffuse[i] = colour[i];
  return material;
}

SceneCamera fixedCamera(float x, float y, float z, float tx, float ty, float tz, float fov) {
  SceneCamera camera;
  camera.frame.position[0] = x, camera.frame.position[1] = y, camera.frame.position[2] = z;
  camera.frame.target[0] = tx, camera.frame.target[1] = ty, camera.frame.target[2] = tz;
  camera.frame.fov = fov;
  return camera;
}

SceneLight pointLight(int32_t number, float x, float y, float z) {
  SceneLight light;
  light.frame.lightNumber = number;
  for (int i = 0; i < 3; ++i) light.frame.color[i] = 1.0f;
  light.frame.position[0] = x, light.frame.position[1] = y, light.frame.position[2] = z;
  return light;
}

void writeRedSquareScene() {
  Scene scene;
  SceneParams params;
  params.lastFrame = 100;
  params.frameSpeed = 30;
  params.ticksPerFrame = 160;
  scene.setParams(params);
  scene.setupObjects(1);
  scene.setObject(0, squareObject(0, 0, 0, 50, 0));
  scene.setupMaterials(1);
  Material red = colourMaterial(1, 0, 0);
  red.header.emission[0] = 1.0f;
  scene.setMaterial(0, red);
  scene.setupCameras(1);
  scene.setCamera(0, fixedCamera(0, 0, 200, 0, 0, 0, 60));
  scene.setupLights(1);
  scene.setLight(0, pointLight(0, 0, 0, 300));
  SceneBinaryFile().writeScene("escenas_bin\\rare_obj2.bin", scene);
  scene.release();
}
