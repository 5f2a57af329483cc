#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "BoxRecorder.h"
#include "scene/Scene.h"

namespace {

const char kOutOfRange[] = "Acceso fuera del vector IMPEDIDO";
const char kTruncated[] = "Acceso fuera del vector IMPEDIDO.\nSe ha truncado el acceso.";

Vertex VertexAt(float x) {
  Vertex v;
  v.position[0] = x;
  return v;
}

// One object with n vertices numbered by their x, n faces, and empty texture arrays.
SceneObject MeshWith(uint32_t n) {
  SceneObject object;
  object.setupVertices(n);
  for (uint32_t i = 0; i < n; ++i) object.setVertex(i, VertexAt(static_cast<float>(i)));
  object.setupFaces(n);
  object.setupTexVertices(0);
  object.setupTexFaces(0);
  return object;
}

// A scene with something in each of its four arrays.
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

TEST(SceneModel, NewRecordsHoldTheirDocumentedInitialValues) {
  const Vertex vertex;
  EXPECT_EQ(vertex.reserved[3], 1.0f);
  EXPECT_EQ(vertex.reserved[0], 0.0f);
  const TextureMap map;
  EXPECT_EQ(map.uTiling, 0.0f);  // tiling defaults to 0, not 1
  EXPECT_EQ(map.vTiling, 0.0f);
  EXPECT_EQ(map.bitmap[0], '\0');
  EXPECT_EQ(map.bitmap[255], '\0');
  EXPECT_FALSE(CameraFrame().filled);
  EXPECT_TRUE(SceneCamera().frame.filled);
  const Scene scene;
  EXPECT_TRUE(scene.clearsScreen);
  EXPECT_FALSE(scene.objectsReady || scene.materialsReady || scene.camerasReady ||
               scene.lightsReady);
  EXPECT_EQ(scene.window, nullptr);
}

// The four scene arrays share one set of rules; each has its own texts.
struct SceneArray {
  const char* name;
  std::function<void(Scene&, uint32_t)> setup;
  std::function<void(Scene&, uint32_t)> store;
  std::function<uint32_t(const Scene&)> count;
  std::function<bool(const Scene&)> ready;
  const char* alreadySetUp;
  const char* notSetUp;
};

std::vector<SceneArray> SceneArrays() {
  return {
      {"objects", [](Scene& s, uint32_t n) { s.setupObjects(n); },
       [](Scene& s, uint32_t i) { s.setObject(i, SceneObject()); },
       [](const Scene& s) { return s.getObjectCount(); }, [](const Scene& s) { return s.objectsReady; },
       "Vector de objetos ya iniciado para esta escena.", "No esta iniciado el vector de objetos"},
      {"materials", [](Scene& s, uint32_t n) { s.setupMaterials(n); },
       [](Scene& s, uint32_t i) { s.setMaterial(i, Material()); },
       [](const Scene& s) { return s.getMaterialCount(); },
       [](const Scene& s) { return s.materialsReady; },
       "Vector de materiales ya iniciado para esta escena.",
       "No esta iniciado el vector de materiales"},
      {"cameras", [](Scene& s, uint32_t n) { s.setupCameras(n); },
       [](Scene& s, uint32_t i) { s.setCamera(i, SceneCamera()); },
       [](const Scene& s) { return s.getCameraCount(); }, [](const Scene& s) { return s.camerasReady; },
       "Vector de camaras iniciado para esta escena.", "No esta iniciado el vector de camaras"},
      {"lights", [](Scene& s, uint32_t n) { s.setupLights(n); },
       [](Scene& s, uint32_t i) { s.setLight(i, SceneLight()); },
       [](const Scene& s) { return s.getLightCount(); }, [](const Scene& s) { return s.lightsReady; },
       "Vector de luces iniciado para esta escena.", "No esta iniciado el vector de luces"},
  };
}

TEST(SceneModel, SceneArraysRefuseStoresBeforeSetUpAndOutsideTheirCount) {
  for (const SceneArray& array : SceneArrays()) {
    SCOPED_TRACE(array.name);
    BoxRecorder boxes;
    Scene scene;
    array.store(scene, 0);
    EXPECT_TRUE(boxes.ShownOnce(array.notSetUp, "Error de inicializacion"));
    EXPECT_FALSE(array.ready(scene));

    array.setup(scene, 3);
    EXPECT_TRUE(boxes.NoneShown());
    array.setup(scene, 5);
    EXPECT_TRUE(boxes.ShownOnce(array.alreadySetUp, "Atencion"));
    EXPECT_EQ(array.count(scene), 3u);

    for (uint32_t index : {3u, 0xFFFFFFFFu}) {
      array.store(scene, index);
      EXPECT_TRUE(boxes.ShownOnce(kOutOfRange, "Error de acceso")) << index;
    }
    array.store(scene, 2);
    EXPECT_TRUE(boxes.NoneShown());
    scene.release();
  }
}

TEST(SceneModel, EmptySceneArrayIsSetUpAndRefusesEveryStore) {
  for (const SceneArray& array : SceneArrays()) {
    SCOPED_TRACE(array.name);
    BoxRecorder boxes;
    Scene scene;
    array.setup(scene, 0);
    EXPECT_TRUE(array.ready(scene));
    array.store(scene, 0);
    EXPECT_TRUE(boxes.ShownOnce(kOutOfRange, "Error de acceso"));
    scene.release();
  }
}

TEST(SceneModel, RefusedObjectStoreLeavesTheSlotAsItWas) {
  BoxRecorder boxes;
  Scene scene;
  scene.setupObjects(1);
  scene.setObject(0, MeshWith(2));
  SceneObject refused = MeshWith(7);
  scene.setObject(1, refused);
  EXPECT_TRUE(boxes.ShownOnce(kOutOfRange, "Error de acceso"));
  EXPECT_EQ(scene.objects[0].vertexCount, 2u);
  refused.release();  // a refused value keeps its arrays
  scene.release();
}

// The four mesh arrays: store and read by index, each with its own text.
struct MeshArray {
  const char* name;
  std::function<void(SceneObject&, uint32_t)> setup;
  std::function<void(SceneObject&, uint32_t, float)> store;
  std::function<float(const SceneObject&, uint32_t)> read;  // the marker of element i
  const char* notSetUp;
};

std::vector<MeshArray> MeshArrays() {
  return {
      {"vertices", [](SceneObject& o, uint32_t n) { o.setupVertices(n); },
       [](SceneObject& o, uint32_t i, float m) { o.setVertex(i, VertexAt(m)); },
       [](const SceneObject& o, uint32_t i) { return o.getVertex(i).position[0]; },
       "No esta iniciado el vector de vertices"},
      {"faces", [](SceneObject& o, uint32_t n) { o.setupFaces(n); },
       [](SceneObject& o, uint32_t i, float m) {
         Face f;
         f.faceNormal[0] = m;
         o.setFace(i, f);
       },
       [](const SceneObject& o, uint32_t i) { return o.getFace(i).faceNormal[0]; },
       "No esta iniciado el vector de caras"},
      {"texture vertices", [](SceneObject& o, uint32_t n) { o.setupTexVertices(n); },
       [](SceneObject& o, uint32_t i, float m) { o.setTexVertex(i, TexVertex{m, 0}); },
       [](const SceneObject& o, uint32_t i) { return o.getTexVertex(i).u; },
       "No esta iniciado el vector de Tvertices"},
      {"texture faces", [](SceneObject& o, uint32_t n) { o.setupTexFaces(n); },
       [](SceneObject& o, uint32_t i, float m) {
         TexFace f;
         f.index[0] = static_cast<uint32_t>(m);
         o.setTexFace(i, f);
       },
       [](const SceneObject& o, uint32_t i) { return static_cast<float>(o.getTexFace(i).index[0]); },
       "No esta iniciado el vector de Tcaras"},
  };
}

TEST(SceneModel, MeshStoresAreCheckedAndReadsPastTheEndGiveTheLastElement) {
  for (const MeshArray& array : MeshArrays()) {
    SCOPED_TRACE(array.name);
    BoxRecorder boxes;
    SceneObject object;
    array.store(object, 0, 1);
    EXPECT_TRUE(boxes.ShownOnce(array.notSetUp, "Error de inicializacion"));

    array.setup(object, 4);
    for (uint32_t i = 0; i < 4; ++i) array.store(object, i, 10.0f + i);
    EXPECT_TRUE(boxes.NoneShown());
    array.store(object, 4, 99);
    EXPECT_TRUE(boxes.ShownOnce(kOutOfRange, "Error de acceso"));

    EXPECT_EQ(array.read(object, 1), 11.0f);
    EXPECT_TRUE(boxes.NoneShown());
    for (uint32_t index : {4u, 1000u, 0xFFFFFFFFu}) {
      EXPECT_EQ(array.read(object, index), 13.0f) << index;
      EXPECT_TRUE(boxes.ShownOnce(kTruncated, "Error de acceso")) << index;
    }
    object.release();
  }
}

TEST(SceneModel, ReadOfAnEmptyMeshArrayReportsAndGivesADefaultElement) {
  BoxRecorder boxes;
  SceneObject object;
  object.setupVertices(0);
  const Vertex v = object.getVertex(0);
  EXPECT_TRUE(boxes.ShownOnce(kTruncated, "Error de acceso"));
  EXPECT_EQ(v.position[0], 0.0f);
  EXPECT_EQ(v.reserved[3], 1.0f);
  object.setupFaces(0);
  EXPECT_EQ(object.getFace(7).vertex[0], nullptr);
  EXPECT_TRUE(boxes.ShownOnce(kTruncated, "Error de acceso"));
  object.release();
}

TEST(SceneModel, ArrayThatCannotBeAllocatedIsSetUpEmpty) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer stops at an impossible allocation";
#endif
  BoxRecorder boxes;
  Scene scene;
  scene.setupObjects(0xFFFFFFFFu);
  EXPECT_TRUE(boxes.ShownOnce("Memoria insuficiente: el vector queda vacio", "Error de memoria"));
  EXPECT_TRUE(scene.objectsReady);
  EXPECT_EQ(scene.objectCount, 0u);
  scene.setObject(0, SceneObject());
  EXPECT_TRUE(boxes.ShownOnce(kOutOfRange, "Error de acceso"));

  SceneObject object = MeshWith(2);
  object.setupVertices(0xFFFFFFFFu);
  EXPECT_TRUE(boxes.ShownOnce("Memoria insuficiente: el vector queda vacio", "Error de memoria"));
  EXPECT_EQ(object.vertexCount, 0u);
  object.getVertex(0);
  EXPECT_TRUE(boxes.ShownOnce(kTruncated, "Error de acceso"));
  object.release();
  scene.release();
}

TEST(SceneModelDeathTest, MeshReadBeforeSetUpEndsTheProgramWithStatusOne) {
  for (const MeshArray& array : MeshArrays()) {
    SCOPED_TRACE(array.name);
    EXPECT_EXIT(
        {
          SceneObject object;
          array.read(object, 0);
        },
        ::testing::ExitedWithCode(1), std::string("\\[Error de inicializacion\\] ") + array.notSetUp);
  }
}

TEST(SceneModelDeathTest, SceneStillLoadedAtExitIsReleasedWithOneMessage) {
  EXPECT_EXIT(
      {
        static Scene loaded;  // destroyed by the exit handlers, like the driver's table
        Load(loaded);
        SceneObject never;
        never.getFace(0);
      },
      ::testing::ExitedWithCode(1),
      "No esta iniciado el vector de caras\n"
      "\\[Atencion\\] Escena liberada por el destructor de la clase\n$");
}

TEST(SceneModel, ReleaseEmptiesTheArraysAndKeepsParamsAndPlayback) {
  BoxRecorder boxes;
  Scene scene;
  EXPECT_FALSE(scene.release());
  Load(scene);
  SceneParams params;
  params.frameSpeed = 30;
  params.fogEnd = 3500;
  scene.setParams(params);
  scene.cameraIndex = 2;
  scene.animFrame = 12.5f;
  scene.shakeAmount = 4;
  scene.aquaEnabled = true;
  scene.clearsScreen = false;

  EXPECT_TRUE(scene.release());
  EXPECT_FALSE(scene.release());
  EXPECT_EQ(scene.objectCount + scene.materialCount + scene.cameraCount + scene.lightCount, 0u);
  EXPECT_FALSE(scene.objectsReady || scene.materialsReady || scene.camerasReady ||
               scene.lightsReady);
  EXPECT_EQ(scene.getParams().frameSpeed, 30);
  EXPECT_EQ(scene.getParams().fogEnd, 3500.0f);
  EXPECT_EQ(scene.cameraIndex, 2);
  EXPECT_EQ(scene.animFrame, 12.5f);
  EXPECT_EQ(scene.shakeAmount, 4.0f);
  EXPECT_TRUE(scene.aquaEnabled);
  EXPECT_FALSE(scene.clearsScreen);

  // A released scene takes a new load.
  Load(scene);
  EXPECT_EQ(scene.objectCount, 2u);
  scene.release();
  EXPECT_TRUE(boxes.NoneShown());
}

TEST(SceneModel, DestructorReportsOnlyASceneThatIsStillLoaded) {
  BoxRecorder boxes;
  {
    Scene released;
    Load(released);
    released.release();
  }
  { Scene empty; }
  EXPECT_TRUE(boxes.NoneShown());
  {
    Scene loaded;
    loaded.setupCameras(0);  // even an empty array counts as loaded
  }
  EXPECT_TRUE(boxes.ShownOnce("Escena liberada por el destructor de la clase", "Atencion"));
}

TEST(SceneModel, ObjectReleaseReportsWhetherAnythingWasSetUp) {
  SceneObject object;
  EXPECT_FALSE(object.release());
  object.setupTexFaces(0);
  EXPECT_TRUE(object.release());
  EXPECT_FALSE(object.texFacesReady);
  EXPECT_FALSE(object.release());
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
  {
    SceneObject copy = scene.getObject(0);
    EXPECT_EQ(copy.vertices, vertices);
    copy.setVertex(2, VertexAt(42));  // writes through to the shared array
  }
  EXPECT_EQ(scene.objects[0].getVertex(2).position[0], 42.0f);

  scene.setupCameras(1);
  SceneCamera camera;
  camera.setupTrack(2);
  CameraFrame sample;
  sample.fov = 45;
  camera.setSample(1, sample);
  scene.setCamera(0, camera);
  EXPECT_EQ(scene.getCamera(0).track, camera.track);
  EXPECT_EQ(scene.getCamera(0).getSample(1).fov, 45.0f);
  scene.release();
  EXPECT_TRUE(boxes.NoneShown());
}

TEST(SceneModel, SecondMeshSetUpReplacesTheArrayAndKeepsFacesOnTheLiveVertices) {
  BoxRecorder boxes;
  SceneObject object = MeshWith(4);
  Face face;
  face.index[0] = 3;
  face.index[1] = 1;
  face.vertex[0] = &object.vertexRef(3);
  face.vertex[1] = &object.vertexRef(1);
  object.setFace(0, face);
  object.setupTexVertices(2);
  TexFace texFace;
  texFace.index[0] = 1;
  texFace.texVertex[0] = &object.texVertexRef(1);
  object.setupTexFaces(1);
  object.setTexFace(0, texFace);
  object.restVertices = new Vertex[4];  // as the deformation set-up leaves it
  object.restVerticesReady = true;

  object.setupVertices(2);  // vertex 3 no longer exists
  EXPECT_EQ(object.vertexCount, 2u);
  EXPECT_EQ(object.getFace(0).vertex[0], nullptr);
  EXPECT_EQ(object.getFace(0).vertex[1], &object.vertexRef(1));
  EXPECT_EQ(object.getFace(0).vertex[2], nullptr);  // never derived, stays so
  EXPECT_FALSE(object.restVerticesReady);
  EXPECT_EQ(object.restVertices, nullptr);

  object.setupTexVertices(5);
  EXPECT_EQ(object.getTexFace(0).texVertex[0], &object.texVertexRef(1));
  EXPECT_TRUE(object.release());
  EXPECT_TRUE(boxes.NoneShown());
}

TEST(SceneModel, SecondTrackSetUpReplacesTheTrack) {
  SceneLight light;
  light.setupTrack(3);
  light.setupTrack(5);
  EXPECT_EQ(light.getTrackLength(), 5u);
  LightFrame frame;
  frame.position[2] = 7;
  light.setSample(4, frame);
  EXPECT_EQ(light.getSample(4).position[2], 7.0f);
  light.freeTrack();
  EXPECT_EQ(light.getTrackLength(), 0u);
}

TEST(SceneModel, NamesAndPathsKeepAtMost255Characters) {
  const std::string longName(300, 'x');
  SceneObject object;
  object.setName(longName.c_str());
  EXPECT_EQ(std::string(object.name), longName.substr(0, 255));
  TextureMap map;
  map.setBitmap("textures\\madera.jpg");
  EXPECT_STREQ(map.getBitmap(), "textures\\madera.jpg");
  map.setBitmap(longName.c_str());
  EXPECT_EQ(std::string(map.bitmap).size(), 255u);
  SceneLight light;
  light.setFlareBitmap(nullptr);
  EXPECT_STREQ(light.flareBitmap, "");
}

}  // namespace
