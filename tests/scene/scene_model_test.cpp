#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/BoxRecorder.h"
#include "scene/Scene.h"

namespace {

const char kOutOfRange[] = "Acceso fuera del vector IMPEDIDO";
const char kTruncated[] = "Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.";
const char kNoMemory[] = "Out of memory: the array stays empty";

Vertex VertexAt(float x) {
  Vertex v;
  v.position[0] = x;
  return v;
}

// An object with n vertices numbered by their x, n faces and empty texture arrays.
SceneObject MeshWith(uint32_t n) {
  SceneObject object;
  object.setupVertices(n);
  for (uint32_t i = 0; i < n; ++i) object.setVertex(i, VertexAt(static_cast<float>(i)));
  object.setupFaces(n);
  object.setupTexVertices(0);
  object.setupTexFaces(0);
  return object;
}

// Something in each of the four arrays, tracks included.
void Load(Scene& scene) {
  scene.setupObjects(2);
  scene.setObject(0, MeshWith(4));
  scene.setupMaterials(1);
  scene.setupCameras(1);
  SceneCamera camera;
  camera.setupTrack(3);
  scene.setCamera(0, camera);
  scene.setupLights(1);
  SceneLight light;
  light.setupTrack(2);
  scene.setLight(0, light);
}

TEST(SceneModel, NewRecordsHoldTheirInitialValues) {
  EXPECT_EQ(Vertex().reserved[3], 1.0f);
  EXPECT_EQ(TextureMap().uTiling, 0.0f);  // tiling starts at 0, not 1
  EXPECT_EQ(TextureMap().vTiling, 0.0f);
  EXPECT_FALSE(CameraFrame().filled);
  EXPECT_TRUE(SceneCamera().frame.filled);
  EXPECT_TRUE(Scene().clearsScreen);
}

struct SceneArray {
  void (Scene::*setup)(uint32_t);
  std::function<void(Scene&, uint32_t)> store;
  uint32_t Scene::*count;
  bool Scene::*ready;
  const char* alreadySetUp;
  const char* notSetUp;
};

const SceneArray kSceneArrays[] = {
    {&Scene::setupObjects, [](Scene& s, uint32_t i) { s.setObject(i, SceneObject()); },
     &Scene::objectCount, &Scene::objectsReady, "Vector de objetos ya iniciado para esta escena.",
     "No esta iniciado el vector de objetos"},
    {&Scene::setupMaterials, [](Scene& s, uint32_t i) { s.setMaterial(i, Material()); },
     &Scene::materialCount, &Scene::materialsReady,
     "Vector de materiales ya iniciado para esta escena.", "No esta iniciado el vector de materiales"},
    {&Scene::setupCameras, [](Scene& s, uint32_t i) { s.setCamera(i, SceneCamera()); },
     &Scene::cameraCount, &Scene::camerasReady, "Vector de camaras iniciado para esta escena.",
     "No esta iniciado el vector de camaras"},
    {&Scene::setupLights, [](Scene& s, uint32_t i) { s.setLight(i, SceneLight()); },
     &Scene::lightCount, &Scene::lightsReady, "Vector de luces iniciado para esta escena.",
     "No esta iniciado el vector de luces"},
};

TEST(SceneModel, SceneArraysAreSetUpOnceAndRefuseStoresOutsideThem) {
  for (const SceneArray& array : kSceneArrays) {
    SCOPED_TRACE(array.notSetUp);
    BoxRecorder boxes;
    Scene scene;
    array.store(scene, 0);
    EXPECT_EQ(boxes.Take(), BoxLine(array.notSetUp, "Error de inicializacion"));

    (scene.*array.setup)(3);
    (scene.*array.setup)(5);
    EXPECT_EQ(boxes.Take(), BoxLine(array.alreadySetUp, "Atencion"));
    EXPECT_EQ(scene.*array.count, 3u);
    for (uint32_t index : {3u, 0xFFFFFFFFu}) {
      array.store(scene, index);
      EXPECT_EQ(boxes.Take(), BoxLine(kOutOfRange, "Error de acceso")) << index;
    }
    array.store(scene, 2);
    EXPECT_EQ(boxes.Take(), "");

    Scene empty;
    (empty.*array.setup)(0);
    EXPECT_TRUE(empty.*array.ready);
    array.store(empty, 0);
    EXPECT_EQ(boxes.Take(), BoxLine(kOutOfRange, "Error de acceso"));
    scene.release();
    empty.release();
  }
}

struct MeshArray {
  void (SceneObject::*setup)(uint32_t, checked::Elements);
  std::function<void(SceneObject&, uint32_t, float)> store;   // element i marked with m
  std::function<float(const SceneObject&, uint32_t)> read;    // the mark of element i
  const char* notSetUp;
};

const MeshArray kMeshArrays[] = {
    {&SceneObject::setupVertices, [](SceneObject& o, uint32_t i, float m) { o.setVertex(i, VertexAt(m)); },
     [](const SceneObject& o, uint32_t i) { return o.getVertex(i).position[0]; },
     "No esta iniciado el vector de vertices"},
    {&SceneObject::setupFaces,
     [](SceneObject& o, uint32_t i, float m) {
       Face f;
       f.faceNormal[0] = m;
       o.setFace(i, f);
     },
     [](const SceneObject& o, uint32_t i) { return o.getFace(i).faceNormal[0]; },
     "No esta iniciado el vector de caras"},
    {&SceneObject::setupTexVertices,
     [](SceneObject& o, uint32_t i, float m) { o.setTexVertex(i, TexVertex{m, 0}); },
     [](const SceneObject& o, uint32_t i) { return o.getTexVertex(i).u; },
     "No esta iniciado el vector de Tvertices"},
    {&SceneObject::setupTexFaces,
     [](SceneObject& o, uint32_t i, float m) {
       TexFace f;
       f.index[0] = static_cast<uint32_t>(m);
       o.setTexFace(i, f);
     },
     [](const SceneObject& o, uint32_t i) { return static_cast<float>(o.getTexFace(i).index[0]); },
     "No esta iniciado el vector de Tcaras"},
};

TEST(SceneModel, MeshStoresAreCheckedAndReadsPastTheEndGiveTheLastElement) {
  for (const MeshArray& array : kMeshArrays) {
    SCOPED_TRACE(array.notSetUp);
    BoxRecorder boxes;
    SceneObject object;
    array.store(object, 0, 1);
    EXPECT_EQ(boxes.Take(), BoxLine(array.notSetUp, "Error de inicializacion"));

    (object.*array.setup)(4, checked::Elements::kDefault);
    for (uint32_t i = 0; i < 4; ++i) array.store(object, i, 10.0f + static_cast<float>(i));
    array.store(object, 4, 99);
    EXPECT_EQ(boxes.Take(), BoxLine(kOutOfRange, "Error de acceso"));
    EXPECT_EQ(array.read(object, 1), 11.0f);
    for (uint32_t index : {4u, 1000u, 0xFFFFFFFFu}) {
      EXPECT_EQ(array.read(object, index), 13.0f) << index;
      EXPECT_EQ(boxes.Take(), BoxLine(kTruncated, "Error de acceso")) << index;
    }

    // An empty array has no last element: the read is reported and gives a new element.
    (object.*array.setup)(0, checked::Elements::kDefault);
    EXPECT_EQ(array.read(object, 0), 0.0f);
    EXPECT_EQ(boxes.Take(), BoxLine(kTruncated, "Error de acceso"));
    object.release();
  }
}

TEST(SceneModel, ArrayThatCannotBeAllocatedIsSetUpEmpty) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer stops at an impossible allocation";
#endif
  BoxRecorder boxes;
  Scene scene;
  scene.setupObjects(0xFFFFFFFFu);
  EXPECT_EQ(boxes.Take(), BoxLine(kNoMemory, "Memory error"));
  EXPECT_TRUE(scene.objectsReady);
  scene.setObject(0, SceneObject());
  EXPECT_EQ(boxes.Take(), BoxLine(kOutOfRange, "Error de acceso"));

  SceneObject object = MeshWith(2);
  object.setupVertices(0xFFFFFFFFu);
  EXPECT_EQ(boxes.Take(), BoxLine(kNoMemory, "Memory error"));
  EXPECT_EQ(object.vertexCount, 0u);
  object.release();
  scene.release();
}

TEST(SceneModel, MeshReadBeforeSetUpIsToldAndGivesANewElement) {
  for (const MeshArray& array : kMeshArrays) {
    BoxRecorder boxes;
    EXPECT_EQ(array.read(SceneObject(), 0), 0.0f);
    EXPECT_EQ(boxes.Take(), BoxLine(array.notSetUp, "Error de inicializacion"));
  }
}

TEST(SceneModelDeathTest, SceneStillLoadedAtExitIsReleasedWithOneMessage) {
  EXPECT_EXIT(
      {
        static Scene loaded;  // destroyed by the exit handlers, like the driver's table
        Load(loaded);
        std::exit(1);
      },
      ::testing::ExitedWithCode(1), "\\[Atencion\\] Escena liberada por el destructor de la clase\n$");
}

TEST(SceneModel, ReleaseEmptiesTheArraysAndKeepsParamsAndPlayback) {
  BoxRecorder boxes;
  Scene scene;
  EXPECT_FALSE(scene.release());
  Load(scene);
  SceneParams params;
  params.fogEnd = 3500;
  scene.setParams(params);
  scene.cameraIndex = 2;
  scene.animFrame = 12.5f;
  scene.aquaEnabled = true;
  scene.clearsScreen = false;

  EXPECT_TRUE(scene.release());
  EXPECT_FALSE(scene.release());
  EXPECT_EQ(scene.objectCount + scene.materialCount + scene.cameraCount + scene.lightCount, 0u);
  EXPECT_FALSE(scene.objectsReady || scene.materialsReady || scene.camerasReady ||
               scene.lightsReady);
  EXPECT_EQ(scene.params.fogEnd, 3500.0f);
  EXPECT_EQ(scene.cameraIndex, 2);
  EXPECT_EQ(scene.animFrame, 12.5f);
  EXPECT_TRUE(scene.aquaEnabled);
  EXPECT_FALSE(scene.clearsScreen);

  Load(scene);  // a released scene takes a new load
  EXPECT_EQ(scene.objectCount, 2u);
  scene.release();
  { Scene empty; }
  EXPECT_EQ(boxes.Take(), "");  // nor does a released or empty scene's destructor speak
  {
    Scene loaded;
    loaded.setupCameras(0);  // even an empty array counts as loaded
  }
  EXPECT_EQ(boxes.Take(), BoxLine("Escena liberada por el destructor de la clase", "Atencion"));
}

TEST(SceneModel, CopiesShareArraysAndTheStoredSlotTakesThemOver) {
  BoxRecorder boxes;
  Scene scene;
  scene.setupObjects(1);
  Vertex* vertices = nullptr;
  {
    SceneObject built = MeshWith(3);
    vertices = built.vertices;
    scene.setObject(0, built);
  }  // the local value goes away and frees nothing
  EXPECT_EQ(scene.objects[0].vertices, vertices);
  scene.getObject(0).setVertex(2, VertexAt(42));  // a copy writes through to the shared array
  EXPECT_EQ(scene.objects[0].getVertex(2).position[0], 42.0f);

  SceneObject refused = MeshWith(2);
  scene.setObject(1, refused);  // refused: the value keeps its arrays
  EXPECT_EQ(boxes.Take(), BoxLine(kOutOfRange, "Error de acceso"));
  EXPECT_EQ(scene.objects[0].vertexCount, 3u);
  refused.release();
  scene.release();
}

TEST(SceneModel, SecondSetUpReplacesTheArrayAndNothingPointsIntoTheOldOne) {
  BoxRecorder boxes;
  SceneObject object = MeshWith(4);
  Face face;
  face.index[0] = 3;
  face.index[1] = 1;
  face.vertex[0] = &object.vertexRef(3);
  face.vertex[1] = &object.vertexRef(1);
  object.setFace(0, face);
  object.setupTexVertices(2);
  object.setupTexFaces(1);
  TexFace texFace;
  texFace.index[0] = 1;
  texFace.texVertex[0] = &object.texVertexRef(1);
  object.setTexFace(0, texFace);
  object.restVertices = new Vertex[4];  // as the deformation set-up leaves it
  object.restVerticesReady = true;

  object.setupVertices(2);  // vertex 3 no longer exists
  EXPECT_EQ(object.getFace(0).vertex[0], nullptr);
  EXPECT_EQ(object.getFace(0).vertex[1], &object.vertexRef(1));
  EXPECT_EQ(object.getFace(0).vertex[2], nullptr);  // never derived, stays so
  EXPECT_FALSE(object.restVerticesReady);           // the rest copy belonged to the old vertices
  object.setupTexVertices(5);
  EXPECT_EQ(object.getTexFace(0).texVertex[0], &object.texVertexRef(1));
  object.release();

  SceneLight light;
  light.setupTrack(3);
  light.setupTrack(5);
  EXPECT_EQ(light.getTrackLength(), 5u);
  light.setSample(4, LightFrame());
  light.freeTrack();
  EXPECT_EQ(boxes.Take(), "");
}

TEST(SceneModel, NamesAndPathsKeepAtMost255Characters) {
  const std::string longName(300, 'x');
  SceneObject object;
  object.setName(longName.c_str());
  EXPECT_EQ(std::string(object.name), longName.substr(0, 255));
  TextureMap map;
  map.setBitmap(longName.c_str());
  EXPECT_EQ(std::string(map.bitmap).size(), 255u);
  SceneLight light;
  light.setFlareBitmap(nullptr);
  EXPECT_STREQ(light.flareBitmap, "");
}

}  // namespace
