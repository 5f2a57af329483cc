#pragma once
// The in-memory scene: its header, four owned arrays (objects, materials, cameras, lights),
// each set up once to a known size and filled slot by slot through checked stores, and the
// little playback state that the timeline and the renderer keep per scene.
//
// Counts are public fields; their getters carry a "get" prefix because a C++ class cannot have
// a field and a function of the same name.
#include <cstdint>

#include "platform/FrameTimer.h"
#include "scene/Material.h"
#include "scene/SceneBounds.h"
#include "scene/SceneCamera.h"
#include "scene/SceneLight.h"
#include "scene/SceneObject.h"
#include "scene/SceneRecords.h"

class GLWindow;

class Scene {
 public:
  SceneParams params;
  SceneObject* objects = nullptr;
  uint32_t objectCount = 0;
  bool objectsReady = false;
  Material* materials = nullptr;
  uint32_t materialCount = 0;
  bool materialsReady = false;
  SceneCamera* cameras = nullptr;
  uint32_t cameraCount = 0;
  bool camerasReady = false;
  SceneLight* lights = nullptr;
  uint32_t lightCount = 0;
  bool lightsReady = false;

  int32_t cameraIndex = 0;     // active camera
  float animFrame = 0;         // animation position in frames
  GLWindow* window = nullptr;  // not owned
  bool clearsScreen = true;
  bool timerStarted = false;
  FrameTimer timer;  // paces animFrame at params.frameSpeed
  float shakeAmount = 0;
  bool aquaEnabled = false;
  // Set at load when the manifest frames a scene without a camera: it is then seen whole from
  // FramingEye instead of from the fixed point. Empty: the fixed point.
  SceneBounds framedBounds;
  bool framedOverCameras = false;  // set at load when the manifest frames it in spite of cameras

  Scene() = default;
  // Releases what is still set up, and says so in a message box.
  ~Scene();
  // A scene owns its arrays: it is never copied.
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  SceneParams getParams() const { return params; }
  void setParams(const SceneParams& value) { params = value; }

  uint32_t getObjectCount() const { return objectCount; }
  uint32_t getMaterialCount() const { return materialCount; }
  uint32_t getCameraCount() const { return cameraCount; }
  uint32_t getLightCount() const { return lightCount; }

  // n default-constructed elements (n may be 0). An array already set up is refused with a
  // message box and stays as it was.
  void setupObjects(uint32_t n);
  void setupMaterials(uint32_t n);
  void setupCameras(uint32_t n);
  void setupLights(uint32_t n);

  // Checked stores of a whole record, refused with a message box before set-up or at
  // i >= count. The slot takes over the arrays the value refers to.
  void setObject(uint32_t i, const SceneObject& value);
  void setMaterial(uint32_t i, const Material& value);
  void setCamera(uint32_t i, const SceneCamera& value);
  void setLight(uint32_t i, const SceneLight& value);

  // Unchecked copies of slot i: the caller keeps i below the count.
  SceneObject getObject(uint32_t i) const { return objects[i]; }
  Material getMaterial(uint32_t i) const { return materials[i]; }
  SceneCamera getCamera(uint32_t i) const { return cameras[i]; }
  SceneLight getLight(uint32_t i) const { return lights[i]; }

  // Frees the four arrays with every object's mesh and every track; true when at least one
  // array was set up. params and the playback fields stay, so the scene can be loaded again.
  // OpenGL texture names are not deleted.
  bool release();

  // Defined by the renderer: draws the scene with its camera, animation and shake.
  bool render();
  bool renderDeformed();
  // Defined by the loading screen: loads map and flare textures, showing the loading frames.
  void loadTextures();
  // Defined by the content loading: resolves each object's material from its materialIndex;
  // gives every vertex the corner normal of the faces that use it.
  void bindMaterials();
  void buildVertexNormals();
};
