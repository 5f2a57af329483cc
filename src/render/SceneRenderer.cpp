#include "render/SceneRenderer.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

#include "platform/Clock.h"
#include "platform/GLWindow.h"
#include "platform/Random.h"
#include "platform/OpenGL.h"
#include "render/AquaDeformation.h"
#include "scene/Scene.h"

namespace {

// The last stretch of a frame wait is polled: a sleep may wake late, the poll does not.
constexpr double kPollMarginMs = 1.0;

FrameWaitHandler& waitHandler() {
  static FrameWaitHandler handler;
  return handler;
}

// The frame the active camera shows at the scene's animation position.
const CameraFrame& cameraEye(const Scene& scene) {
  const SceneCamera& camera = scene.cameras[scene.cameraIndex];
  return camera.trackLength != 0 ? camera.track[animFrameIndex(scene.animFrame)] : camera.frame;
}

// A camera index past the scene's cameras falls back to camera 0, and the active camera's track
// is what loops the scene's animation. The camera's field of view goes to the window here, so a
// frame replayed without drawing leaves the projection a drawn one would.
void settleCamera(Scene& scene) {
  if (scene.cameraCount == 0) return;
  if (static_cast<uint32_t>(scene.cameraIndex) >= scene.cameraCount) scene.cameraIndex = 0;
  const SceneCamera& camera = scene.cameras[scene.cameraIndex];
  if (camera.trackLength != 0 &&
      static_cast<uint32_t>(animFrameIndex(scene.animFrame)) >= camera.trackLength)
    scene.animFrame = 0;
  if (scene.window) scene.window->m_fov = cameraEye(scene).fov;
}

// The steps shared by the plain and the deformed render; only the object draw differs.
bool renderScene(Scene& scene, bool deformed) {
  const SceneFrame frame = beginSceneFrame(scene);
  const SceneParams& params = scene.params;

  if (scene.clearsScreen) {
    glClearColor(params.background[0], params.background[1], params.background[2], 1.0f);
    glDepthMask(GL_TRUE);
    glClearDepth(1000000.0);  // clamped to 1 by the library
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }

  if (params.fogEnabled) {
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, params.fogColor);
    glFogf(GL_FOG_DENSITY, params.fogDensity);
    glFogf(GL_FOG_START, params.fogStart);
    glFogf(GL_FOG_END, params.fogEnd);
    glEnable(GL_FOG);
  } else {
    glDisable(GL_FOG);
  }

  glLoadIdentity();
  const CameraFrame& eye = frame.eye;
  gluLookAt(eye.position[0], eye.position[1], eye.position[2], eye.target[0], eye.target[1],
            eye.target[2], 0, 1, 0);
  if (frame.shaken) glTranslatef(frame.shake[0], frame.shake[1], frame.shake[2]);

  // A scene is lit by its own lights alone: a slot another scene switched on stays off here, or
  // the same moment would look different after a seek or at another frame rate.
  glEnable(GL_LIGHTING);
  for (int32_t slot = 0; slot <= kSceneLightSlots; ++slot) glDisable(GL_LIGHT0 + slot);
  if (scene.lightCount > 0) {
    for (uint32_t i = 0; i < scene.lightCount; ++i)
      scene.lights[i].apply(animFrameIndex(scene.animFrame));
  } else {
    glEnable(GL_LIGHT0);
  }

  // Opaque objects first, then the additive ones that do not write depth.
  if (scene.materialCount > 0) {
    for (bool transparent : {false, true}) {
      for (uint32_t i = 0; i < scene.objectCount; ++i) {
        SceneObject& object = scene.objects[i];
        Material* material = materialInPass(scene, object, transparent);
        if (!material) continue;
        material->apply();
        // A moving object is placed by its track; its normals then go through a transform
        // that may scale, so the driver makes them unit length again.
        const ObjectFrame* motion = object.motion.looped(animFrameIndex(scene.animFrame));
        if (motion) {
          glPushMatrix();
          glMultMatrixf(motion->matrix);
          glEnable(GL_NORMALIZE);
        }
        if (deformed)
          object.drawDeformed();
        else
          object.drawMesh();
        if (motion) {
          glDisable(GL_NORMALIZE);
          glPopMatrix();
        }
        material->leave();
      }
    }
  }

  // Flares carry their own texture alone. A last material with two maps leaves unit 1 active
  // and textured, and a spherical map leaves generation on: the flare would be sampled at one
  // fixed coordinate and multiplied by that material's maps.
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  for (uint32_t i = 0; i < scene.lightCount; ++i) scene.lights[i].drawFlare(scene.window, 0);
  glEnable(GL_CULL_FACE);
  return true;
}

// Texture generation on the active unit follows the map's sphere flag; the mode itself was set
// on both units by the texture loader.
void bindMap(const TextureMap& map, const MaterialLook& look) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, map.texture);
  applyWrap(look);
  if (map.spherical) {
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
  } else {
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
  }
}

}  // namespace

// An object whose material index is out of range has no material to be drawn with. Opaque
// materials have alpha 1, the additive ones below it.
Material* materialInPass(Scene& scene, const SceneObject& object, bool transparent) {
  if (object.materialIndex < 0 ||
      static_cast<uint32_t>(object.materialIndex) >= scene.materialCount)
    return nullptr;
  Material& material = scene.materials[object.materialIndex];
  const float alpha = material.header.ambient[3];
  return (transparent ? alpha < 1.0f : alpha == 1.0f) ? &material : nullptr;
}

void applyMaterialBlend(const MaterialHeader& header) {
  if (header.ambient[3] >= 1.0f) {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  } else {
    // Transparent materials add light and leave depth alone.
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  }
  if (header.twoSided)
    glDisable(GL_CULL_FACE);
  else
    glEnable(GL_CULL_FACE);
}

SceneFrame beginSceneFrame(Scene& scene) {
  advanceAnimationClock(scene);
  settleCamera(scene);
  SceneFrame frame;
  if (scene.cameraCount > 0 && !scene.framedOverCameras) {
    frame.eye = cameraEye(scene);
  } else {
    // The window's field of view stays: the framed eye keeps the box in it, whatever it is.
    const float fov = scene.window ? scene.window->m_fov : 0;
    const float aspect = scene.window ? static_cast<float>(scene.window->GetPictureWidth()) /
                                            static_cast<float>(scene.window->GetPictureHeight())
                                      : 0;
    frame.eye = FramingEye(scene.framedBounds, fov, aspect);
  }
  frame.shaken = shakeOffset(scene.shakeAmount, frame.shake);
  return frame;
}

FrameWaitHandler setFrameWaitHandler(FrameWaitHandler handler) {
  std::swap(waitHandler(), handler);
  return handler;
}

void advanceScene(Scene& scene, bool deformed) {
  advanceAnimationClock(scene);
  settleCamera(scene);
  if (!deformed) return;
  for (uint32_t i = 0; i < scene.objectCount; ++i) {
    SceneObject& object = scene.objects[i];
    if (materialInPass(scene, object, false) || materialInPass(scene, object, true))
      advanceDeformation(object);
  }
}

int32_t animFrameIndex(float animFrame) {
  if (!(animFrame >= 0)) return 0;
  if (animFrame >= 2147483520.0f) return INT32_MAX;  // the largest float below 2^31
  return static_cast<int32_t>(animFrame);
}

void advanceAnimationClock(Scene& scene) {
  if (!scene.timerStarted) {
    scene.timer.Start();
    scene.timerStarted = true;
    scene.animFrame = 0;
    return;
  }
  // A negative speed would run the animation backwards into negative track indices: such a
  // scene holds still, like one with speed 0.
  const int32_t speed = scene.params.frameSpeed;
  if (speed <= 0) return;
  // Above 1000 frames per second the whole-millisecond period would be 0.
  const int32_t period = speed > 1000 ? 1 : 1000 / speed;
  double elapsed = scene.timer.ElapsedMs();
  const FrameWaitHandler& handler = waitHandler();
  while (period > elapsed) {
    const double missing = period - elapsed;
    if (handler) {
      if (!handler(missing)) break;
    } else if (missing >= kPollMarginMs + 1) {
      // The CPU goes back to the GL driver's threads for most of the wait.
      Sleep(static_cast<uint32_t>(missing - kPollMarginMs));
    }
    elapsed = scene.timer.ElapsedMs();
  }
  scene.timer.Reset();
  scene.animFrame += static_cast<float>(elapsed / period);
}

bool shakeOffset(float amount, float offset[3]) {
  // Below 1 the modulus would be 0: no shake.
  if (!(amount >= 1)) return false;
  const int n = amount >= static_cast<float>(INT_MAX) ? INT_MAX : static_cast<int>(amount);
  const float half = amount / 2;
  offset[2] = static_cast<float>(Random() % n) - half;
  offset[1] = static_cast<float>(Random() % n) - half;
  offset[0] = static_cast<float>(Random() % n) - half;
  return true;
}

bool Scene::render() { return renderScene(*this, false); }

bool Scene::renderDeformed() { return renderScene(*this, true); }

void Material::apply() {
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE1_ARB);
  glDisable(GL_TEXTURE_2D);
  glActiveTextureARB(GL_TEXTURE0_ARB);

  applyMaterialBlend(header);

  glColor4fv(header.ambient);
  glColorMaterial(GL_FRONT, GL_EMISSION);
  glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);

  const float glow[4] = {header.emission[0], header.emission[1], header.emission[2], 1.0f};
  const float none[4] = {0, 0, 0, 0};
  glMaterialfv(GL_FRONT, GL_EMISSION, header.emission[0] > 0 ? glow : none);

  if (look.unlit) glDisable(GL_LIGHTING);
  if (look.alphaCutoff > 0) {
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GEQUAL, look.alphaCutoff);
  }

  if (header.mapCount >= 1) {
    glActiveTextureARB(GL_TEXTURE0_ARB);
    bindMap(maps[0], look);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  if (header.mapCount >= 2) {
    glActiveTextureARB(GL_TEXTURE1_ARB);
    bindMap(maps[1], look);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
  }
}

void applyWrap(const MaterialLook& look) {
  static const GLint kModes[] = {GL_REPEAT, GL_CLAMP_TO_EDGE, GL_MIRRORED_REPEAT};
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, kModes[static_cast<int>(look.wrap[0])]);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, kModes[static_cast<int>(look.wrap[1])]);
}

// An unlit material is drawn at its colour; a masked one leaves out the pixels below its
// cut-off. leave() takes both back, so a plain material after it draws as ever.
void Material::leave() {
  if (look.unlit) glEnable(GL_LIGHTING);
  if (look.alphaCutoff > 0) glDisable(GL_ALPHA_TEST);
}

void SceneLight::place(int32_t frameIndex) {
  // Light tracks loop at their own length: only the camera's track wraps animFrame, so the
  // index may run past a shorter light track.
  if (const LightFrame* sample = looped(frameIndex)) {
    frame.position[0] = sample->position[0];
    frame.position[1] = sample->position[1];
    frame.position[2] = sample->position[2];
  }
  frame.position[3] = 0.8f;
}

const float* SceneLight::aimAt(int32_t frameIndex) const {
  const LightAim* aim = aims.looped(frameIndex);
  return aim ? aim->direction : shape.direction;
}

void SceneLight::apply(int32_t frameIndex) {
  place(frameIndex);
  if (frame.lightNumber < 0 || frame.lightNumber >= kSceneLightSlots) return;
  const GLenum light = GL_LIGHT1 + frame.lightNumber;
  // A directional light stands infinitely far back along its aim: a direction, at w 0. The
  // cone and the fading are set on every light, so a slot keeps none of another scene's.
  const float* aim = aimAt(frameIndex);
  const bool directional = shape.kind == LightKind::directional;
  const float towards[4] = {-aim[0], -aim[1], -aim[2], 0};
  glLightfv(light, GL_POSITION, directional ? towards : frame.position);
  glLightfv(light, GL_DIFFUSE, frame.color);
  glLightfv(light, GL_SPOT_DIRECTION, aim);
  glLightf(light, GL_SPOT_CUTOFF, shape.kind == LightKind::spot ? shape.cutoff : 180.0f);
  glLightf(light, GL_SPOT_EXPONENT, shape.exponent);
  glLightf(light, GL_CONSTANT_ATTENUATION, shape.attenuation[0]);
  glLightf(light, GL_LINEAR_ATTENUATION, shape.attenuation[1]);
  glLightf(light, GL_QUADRATIC_ATTENUATION, shape.attenuation[2]);
  glEnable(light);
}

void SceneObject::drawMesh() {
  if (!facesReady) return;
  // Texture coordinates need texture faces, their vertices and a bound material; a face
  // without a texture face of its own index gets none.
  const bool textured = material && texFacesReady && texVerticesReady && texVertexCount > 0;
  const bool twoMaps = textured && material->header.mapCount >= 2;
  const bool coloured = vertexColours && material;
  const float* base = material ? material->header.ambient : nullptr;
  glBegin(GL_TRIANGLES);
  for (uint32_t f = 0; f < faceCount; ++f) {
    const Face& face = faces[f];
    if (!face.vertex[0] || !face.vertex[1] || !face.vertex[2]) continue;
    const TexFace* texFace = textured && f < texFaceCount ? &texFaces[f] : nullptr;
    for (int k = 0; k < 3; ++k) {
      // A vertex's colour multiplies the material's, which the colour material then follows.
      if (coloured) {
        const float* c = face.vertex[k]->reserved;
        glColor4f(base[0] * c[0], base[1] * c[1], base[2] * c[2], base[3] * c[3]);
      }
      glNormal3fv(face.cornerNormal[k]);
      if (texFace && texFace->texVertex[k]) {
        const TexVertex& uv = *texFace->texVertex[k];
        const TextureMap* maps = material->maps;
        const float s0 = maps[0].uTiling * uv.u, t0 = maps[0].vTiling * uv.v;
        if (!twoMaps) {
          glTexCoord2f(s0, t0);
        } else {
          glMultiTexCoord2fARB(GL_TEXTURE0_ARB, s0, t0);
          glMultiTexCoord2fARB(GL_TEXTURE1_ARB, maps[1].uTiling * uv.u, maps[1].vTiling * uv.v);
        }
      }
      glVertex3fv(face.vertex[k]->position);
    }
  }
  glEnd();
}
