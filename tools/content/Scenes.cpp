#include "Scenes.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <system_error>

#include "ScenesShapes.h"
#include "driver/ContentManifest.h"

namespace {

// Every scene loops over 20 s at 30 frames per second; cameras and lights have one sample per
// frame, and their paths are periodic over the loop so the wrap back to frame 0 does not jump.
constexpr int kFrameSpeed = 30;
constexpr int kFrames = 600;
// Every scene has three lights, so each one overwrites all the lights the scene before it set.
constexpr float kTwoPi = 2.0f * kPi;

using Path = std::function<Vec3(float t)>;  // t in [0, 1) over the loop

std::vector<Vec3> Track(const Path& at) {
  std::vector<Vec3> samples;
  samples.reserve(kFrames);
  for (int f = 0; f < kFrames; ++f) samples.push_back(at(static_cast<float>(f) / kFrames));
  return samples;
}

Path Fixed(const Vec3& p) {
  return [p](float) { return p; };
}

Path Orbit(float radius, float turns, float phase, const Path& height) {
  return [=](float t) {
    float a = kTwoPi * (turns * t + phase);
    Vec3 h = height(t);
    return Vec3{radius * std::cos(a), radius * std::sin(a), h.z};
  };
}

Path Height(float base, float swing, float waves) {
  return [=](float t) { return Vec3{0.0f, 0.0f, base + swing * std::sin(kTwoPi * waves * t)}; };
}

AseCamera Camera(const char* name, float fovDegrees, const Path& position, const Path& target) {
  AseCamera cam;
  cam.name = name;
  cam.fov = fovDegrees * kPi / 180.0f;
  cam.positions = Track(position);
  cam.targets = Track(target);
  return cam;
}

// A light with a flare carries the useGlobal flag; a moving light gets a track.
AseLight Light(const char* name, const Vec3& colour, bool flare, const Path& position,
               bool moving) {
  AseLight light;
  light.name = name;
  light.color = colour;
  light.useGlobal = flare;
  light.positions = moving ? Track(position) : std::vector<Vec3>{position(0.0f)};
  return light;
}

std::string MapPath(const char* file) { return std::string("textures\\") + file; }

AseMap Map(const char* file, float uTiling = 1.0f, float vTiling = 1.0f,
           const char* slot = "MAP_DIFFUSE") {
  AseMap map;
  map.slot = slot;
  map.bitmap = MapPath(file);
  map.uTiling = uTiling;
  map.vTiling = vTiling;
  return map;
}

// A reflection map laid on by sphere mapping (texture coordinates from the view).
AseMap Environment(const char* file, const char* slot = "MAP_REFLECT") {
  AseMap map = Map(file, 1.0f, 1.0f, slot);
  map.spherical = true;
  return map;
}

// The engine takes the ambient colour as the surface colour, so it is given like the diffuse.
AseMaterial Material(const char* name, const Vec3& colour, std::vector<AseMap> maps = {}) {
  AseMaterial m;
  m.name = name;
  m.ambient = m.diffuse = colour;
  m.maps = std::move(maps);
  return m;
}

AseMaterial Glowing(const char* name, const Vec3& colour, float selfIllum,
                    std::vector<AseMap> maps = {}) {
  AseMaterial m = Material(name, colour, std::move(maps));
  m.selfIllum = selfIllum;
  return m;
}

// Drawn additively without depth writes by the engine.
AseMaterial Transparent(const char* name, const Vec3& colour, float transparency,
                        std::vector<AseMap> maps = {}) {
  AseMaterial m = Material(name, colour, std::move(maps));
  m.transparency = transparency;
  m.selfIllum = 0.3f;
  return m;
}

AseMesh Mesh(const char* name, int materialRef, const Vec3& pivot = {}) {
  AseMesh mesh;
  mesh.name = name;
  mesh.materialRef = materialRef;
  mesh.pivot = pivot;
  return mesh;
}

AseScene NewScene(const char* fileName, const Vec3& background) {
  AseScene scene;
  scene.fileName = fileName;
  scene.lastFrame = kFrames - 1;
  scene.frameSpeed = kFrameSpeed;
  scene.ticksPerFrame = 160;
  scene.background = background;
  scene.ambient = {0.1f, 0.1f, 0.1f};
  return scene;
}

// ---------------------------------------------------------------------------------------------
// 0: odd objects on a marble disc: a chrome blob, a two-sided band round it, glowing crystals.
AseScene RareObjects() {
  AseScene s = NewScene("rare_obj2.max", {0.02f, 0.02f, 0.07f});
  s.materials = {
      // Kept darker than white: the glow and the trail add to it.
      Material("Marmol", {0.3f, 0.3f, 0.34f}, {Map("marble.jpg", 6.0f, 2.0f)}),
      Material("Cromo", {1.0f, 1.0f, 1.0f}, {Environment("env.jpg")}),
      Material("Cinta", {0.9f, 0.8f, 0.6f}, {Map("metal.jpg", 12.0f, 1.0f)}),
      Glowing("Cristal", {1.0f, 0.7f, 0.4f}, 0.8f, {Map("lava.jpg", 1.0f, 1.0f)}),
  };
  s.materials[2].twoSided = true;

  AseMesh floor = Mesh("Suelo", 0);
  AddLathe(floor, FrameAt({0, 0, 0}), {{650, 0}, {480, 0}, {320, 0}, {160, 0}, {0, 0}}, 48, 8.0f,
           2.0f);

  AseMesh blob = Mesh("Rareza", 1, {0, 0, 120});
  AddBlob(blob, {0, 0, 120}, 72, 48, [](float u, float v) {
    float theta = kTwoPi * u, phi = kPi * v;
    return 80.0f * (1.0f + 0.22f * std::sin(5.0f * theta) * std::sin(4.0f * phi) +
                    0.08f * std::cos(9.0f * phi));
  });

  // A band with one half twist: both of its sides show, so its material is two-sided.
  AseMesh band = Mesh("Cinta", 2, {0, 0, 120});
  SurfaceGrid grid;
  grid.nu = 120;
  grid.nv = 4;
  grid.uRepeat = 12.0f;
  AddSurface(band, grid, [](float u, float v) {
    float theta = kTwoPi * u, w = 60.0f * (v - 0.5f);
    float ring = 175.0f + w * std::cos(theta / 2.0f);
    return Vec3{ring * std::cos(theta), ring * std::sin(theta),
                120.0f + w * std::sin(theta / 2.0f) + 30.0f * std::sin(2.0f * theta)};
  });

  AseMesh crystals = Mesh("Cristales", 3);
  for (int k = 0; k < 6; ++k) {
    float a = kTwoPi * k / 6.0f + 0.3f;
    Vec3 base{330.0f * std::cos(a), 330.0f * std::sin(a), 0.0f};
    Frame f = Turned(FrameAlong(base, {0.25f * std::cos(a), 0.25f * std::sin(a), 1.0f}), a);
    float h = 90.0f + 25.0f * (k % 3);
    AddLathe(crystals, f, {{0, 0}, {26, h * 0.35f}, {0, h}}, 6, 1.0f, 1.0f, 0);
  }
  s.meshes = {floor, blob, band, crystals};

  s.cameras = {Camera("Camara01", 55.0f, Orbit(400.0f, 1.0f, 0.0f, Height(170.0f, 70.0f, 2.0f)),
                      Fixed({0, 0, 100}))};
  s.lights = {
      Light("Omni01", {1.0f, 0.95f, 0.9f}, false, Fixed({250, -350, 450}), false),
      Light("Omni02", {1.0f, 0.6f, 0.25f}, true,
            Orbit(260.0f, -2.0f, 0.25f, Height(230.0f, 40.0f, 3.0f)), true),
      Light("Omni03", {0.35f, 0.5f, 1.0f}, true, Fixed({-320, 220, 180}), false),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 1: a route of glass gates with beacons and a rail; one camera rides it, one watches from above.
Vec3 Route(float t) {
  float a = kTwoPi * t;
  return {700.0f * std::cos(a), 450.0f * std::sin(a), 130.0f + 80.0f * std::sin(3.0f * a)};
}

AseScene CameraRoutes() {
  AseScene s = NewScene("cam_rutes2.max", {0.0f, 0.0f, 0.0f});
  s.materials = {
      Transparent("Vidrio", {0.45f, 0.9f, 1.0f}, 0.45f, {Map("glass.jpg", 6.0f, 1.0f)}),
      Glowing("Baliza", {1.0f, 0.5f, 0.2f}, 1.0f, {Map("lava.jpg")}),
      Glowing("Riel", {0.6f, 0.8f, 1.0f}, 0.6f, {Map("circuit.jpg", 40.0f, 1.0f)}),
  };
  AseMesh gates = Mesh("Puertas", 0);
  AseMesh beacons = Mesh("Balizas", 1);
  constexpr int kGates = 12;
  for (int k = 0; k < kGates; ++k) {
    float t = static_cast<float>(k) / kGates;
    Vec3 centre = Route(t) + Vec3{0, 0, 25};
    Frame f = FrameAlong(centre, Route(t + 0.002f) - Route(t - 0.002f));
    AddTorus(gates, f, 75.0f, 6.0f, 32, 8);
    AddSphere(beacons, centre + Vec3{0, 0, 90}, 9.0f, 12, 8);
  }
  AseMesh rail = Mesh("Riel", 2);
  AddTube(rail, [](float t) { return Route(t) - Vec3{0, 0, 40}; }, 3.0f, 240, 6);
  s.meshes = {gates, beacons, rail};

  s.cameras = {
      Camera("Camara01", 62.0f, [](float t) { return Route(t) + Vec3{0, 0, 25}; },
             [](float t) { return Route(t + 0.04f) + Vec3{0, 0, 20}; }),
      Camera("Camara02", 50.0f, Orbit(1150.0f, -1.0f, 0.1f, Height(650.0f, 150.0f, 1.0f)),
             Fixed({0, 0, 100})),
  };
  s.lights = {
      Light("Guia", {0.4f, 1.0f, 1.0f}, true, [](float t) { return Route(t + 0.08f) + Vec3{0, 0, 25}; },
            true),
      Light("Cenital", {1.0f, 1.0f, 1.0f}, false, Fixed({0, 0, 900}), false),
      Light("Magenta", {1.0f, 0.3f, 0.8f}, true, Fixed({-650, -600, 320}), false),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 2: a lone slab with a thin halo and a few floating stones; drawn over the scene before it.
AseScene Monolith() {
  AseScene s = NewScene("monolito.max", {0.0f, 0.0f, 0.0f});
  s.materials = {
      Material("Losa", {0.35f, 0.35f, 0.4f}, {Map("metal.jpg", 1.0f, 3.0f)}),
      Material("Piedra", {0.8f, 0.75f, 0.7f}, {Map("stone.jpg")}),
      Transparent("Halo", {1.0f, 0.85f, 0.5f}, 0.5f, {Map("glass.jpg", 8.0f, 1.0f)}),
  };
  AseMesh slab = Mesh("Monolito", 0, {0, 0, 90});
  AddBox(slab, FrameAt({0, 0, 90}), {40, 10, 90});
  AseMesh stones = Mesh("Fragmentos", 1);
  for (int k = 0; k < 8; ++k) {
    float a = kTwoPi * k / 8.0f;
    Frame f = Turned(FrameAt({190.0f * std::cos(a), 190.0f * std::sin(a), 40.0f + 18.0f * k}), a);
    float size = 8.0f + 3.0f * (k % 3);
    AddBox(stones, f, {size, size * 0.8f, size * 1.2f}, 0.05f);
  }
  AseMesh halo = Mesh("Halo", 2, {0, 0, 110});
  Frame tilted = FrameAlong({0, 0, 110}, {0.3f, -0.2f, 1.0f});
  AddTorus(halo, tilted, 150.0f, 2.5f, 64, 6, 8.0f);
  s.meshes = {slab, stones, halo};

  s.cameras = {Camera(
      "Camara01", 50.0f,
      [](float t) {
        float a = 0.7f * std::sin(kTwoPi * t) - kPi / 2.0f;
        return Vec3{430.0f * std::cos(a), 430.0f * std::sin(a), 45.0f + 35.0f * std::sin(kTwoPi * t)};
      },
      Fixed({0, 0, 115}))};
  s.lights = {
      // The sun rises behind the slab and sets again over the loop.
      Light("Sol", {1.0f, 0.9f, 0.7f}, true,
            [](float t) { return Vec3{30, 650, -60.0f + 340.0f * (0.5f - 0.5f * std::cos(kTwoPi * t))}; },
            true),
      Light("Frente", {0.9f, 0.9f, 1.0f}, false, Fixed({0, -500, 260}), false),
      Light("Azul", {0.2f, 0.3f, 0.8f}, false, Fixed({-400, 100, 60}), false),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 3: a gyroscope of three rings round a glowing core, on a pedestal; two cameras.
AseScene Gyroscope() {
  AseScene s = NewScene("giratorio.max", {0.12f, 0.03f, 0.02f});
  s.materials = {
      // Two maps multiplied: brushed metal streaked by a coarser pale sheen.
      Material("Anillo", {1.0f, 0.95f, 0.85f},
               {Map("metal.jpg", 8.0f, 1.0f), Map("glass.jpg", 3.0f, 1.0f, "MAP_SPECULAR")}),
      Glowing("Nucleo", {1.0f, 0.6f, 0.3f}, 1.0f, {Map("lava.jpg", 2.0f, 1.0f)}),
      Material("Pedestal", {0.8f, 0.78f, 0.75f}, {Map("stone.jpg", 4.0f, 1.0f)}),
      Material("Suelo", {0.3f, 0.27f, 0.27f}, {Map("marble.jpg", 6.0f, 6.0f)}),
  };
  const Vec3 centre{0, 0, 190};
  AseMesh rings = Mesh("Anillos", 0, centre);
  AddTorus(rings, FrameAlong(centre, {0, 0, 1}), 150.0f, 9.0f, 72, 12, 12.0f);
  AddTorus(rings, FrameAlong(centre, {1, 0, 0.15f}), 122.0f, 8.0f, 64, 12, 10.0f);
  AddTorus(rings, FrameAlong(centre, {-0.5f, 1, 0.6f}), 96.0f, 7.0f, 56, 10, 8.0f);
  AseMesh core = Mesh("Nucleo", 1, centre);
  AddSphere(core, centre, 48.0f, 32, 20, 2.0f, 1.0f);
  AseMesh pedestal = Mesh("Pedestal", 2);
  AddLathe(pedestal, FrameAt({0, 0, 0}),
           {{70, 0}, {70, 12}, {46, 22}, {30, 40}, {24, 90}, {36, 110}, {0, 112}}, 24, 2.0f, 1.0f,
           0);
  AseMesh floor = Mesh("Suelo", 3);
  AddPlane(floor, FrameAt({0, 0, 0}), 1600.0f, 1600.0f, 8, 8, 6.0f, 6.0f);
  s.meshes = {rings, core, pedestal, floor};

  s.cameras = {
      Camera("Camara01", 58.0f, Orbit(420.0f, 4.0f, 0.0f, Height(210.0f, 120.0f, 3.0f)),
             Fixed(centre)),
      Camera("Camara02", 45.0f, Orbit(230.0f, -1.0f, 0.3f, Height(250.0f, 40.0f, 2.0f)),
             Fixed(centre)),
  };
  s.lights = {
      Light("Roja", {1.0f, 0.3f, 0.2f}, true, Orbit(260.0f, 2.0f, 0.0f, Height(260.0f, 60.0f, 4.0f)),
            true),
      Light("Azul", {0.3f, 0.5f, 1.0f}, true, Orbit(260.0f, 2.0f, 0.5f, Height(140.0f, 60.0f, 4.0f)),
            true),
      Light("Blanca", {0.8f, 0.8f, 0.8f}, false, Fixed({0, -300, 600}), false),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 4: two rings of arrows bursting out from the centre; sparse, drawn over the scene before it.
void AddArrow(AseMesh& mesh, const Frame& frame, float length) {
  const float shaft = length * 0.72f;
  AddLathe(mesh, frame, {{0, 0}, {5, 0}}, 12, 1.0f, 1.0f, 1);
  AddLathe(mesh, frame, {{5, 0}, {5, shaft}}, 12, 1.0f, 4.0f, 2);
  AddLathe(mesh, frame, {{5, shaft}, {15, shaft}}, 12, 1.0f, 1.0f, 1);
  AddLathe(mesh, frame, {{15, shaft}, {0, length}}, 12, 1.0f, 1.0f, 4);
}

AseScene Arrows() {
  AseScene s = NewScene("flechas.max", {0.0f, 0.0f, 0.0f});
  s.materials = {
      Glowing("Flecha", {1.0f, 0.55f, 0.15f}, 0.9f, {Map("lava.jpg", 1.0f, 3.0f)}),
      Material("Acero", {0.9f, 0.9f, 1.0f}, {Map("metal.jpg", 2.0f, 4.0f)}),
  };
  AseMesh hot = Mesh("Flechas", 0);
  AseMesh cold = Mesh("Puntas", 1);
  for (int k = 0; k < 12; ++k) {
    float a = kTwoPi * k / 12.0f;
    Vec3 out{std::cos(a), std::sin(a), 0.0f};
    AddArrow(hot, FrameAlong(out * 60.0f + Vec3{0, 0, 120}, out + Vec3{0, 0, 0.25f}), 130.0f);
    float b = a + kPi / 12.0f;
    Vec3 ring{std::cos(b), std::sin(b), 0.0f};
    AddArrow(cold, FrameAlong(ring * 280.0f + Vec3{0, 0, 40}, ring * -0.3f + Vec3{0, 0, 1}),
             110.0f + 20.0f * (k % 3));
  }
  s.meshes = {hot, cold};
  s.cameras = {Camera("Camara01", 60.0f, Orbit(360.0f, -1.0f, 0.0f, Height(330.0f, 90.0f, 2.0f)),
                      Fixed({0, 0, 110}))};
  s.lights = {
      Light("Centro", {1.0f, 0.8f, 0.5f}, true, Fixed({0, 0, 130}), false),
      Light("Arriba", {0.9f, 0.9f, 1.0f}, false, Fixed({100, -200, 600}), false),
      Light("Giro", {0.5f, 0.6f, 1.0f}, false, Orbit(400.0f, 3.0f, 0.0f, Height(200.0f, 0.0f, 1.0f)),
            true),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 5: a colonnade running 4 km into the dark; the fog from 800 to 3500 swallows its far end.
void AddColumn(AseMesh& columns, AseMesh& blocks, const Vec3& foot) {
  Frame f = FrameAt(foot);
  AddBox(blocks, FrameAt(foot + Vec3{0, 0, 10}), {42, 42, 10});
  AddLathe(columns, f, {{36, 20}, {38, 26}, {31, 34}}, 16, 1.0f, 0.1f, 1);
  AddLathe(columns, f, {{31, 34}, {31.5f, 110}, {30, 190}, {28, 270}, {26, 350}}, 16, 1.0f, 3.0f,
           2);
  AddLathe(columns, f, {{26, 350}, {33, 364}, {40, 376}}, 16, 1.0f, 0.2f, 4);
  AddBox(blocks, FrameAt(foot + Vec3{0, 0, 384}), {46, 46, 8});
}

AseScene Colonnade() {
  AseScene s = NewScene("columnas.max", {0.0f, 0.0f, 0.0f});
  s.materials = {
      Material("Columna", {0.95f, 0.92f, 0.86f}, {Map("marble.jpg", 2.0f, 1.0f)}),
      Material("Bloque", {0.75f, 0.72f, 0.7f}, {Map("stone.jpg")}),
      Material("Suelo", {0.7f, 0.7f, 0.75f}, {Map("stone.jpg", 4.0f, 22.0f)}),
  };
  AseMesh columns = Mesh("Columnas", 0);
  AseMesh blocks = Mesh("Bloques", 1);
  constexpr int kPerRow = 14;
  constexpr float kSpacing = 300.0f;
  for (int k = 0; k < kPerRow; ++k) {
    for (float side : {-220.0f, 220.0f}) {
      AddColumn(columns, blocks, {side, k * kSpacing, 0.0f});
      AddBox(blocks, FrameAt({side, k * kSpacing + kSpacing / 2.0f, 410.0f}),
             {40, kSpacing / 2.0f, 18}, 0.004f);
    }
  }
  AseMesh floor = Mesh("Suelo", 2);
  AddPlane(floor, FrameAt({0, 1900.0f, 0}), 900.0f, 4600.0f, 4, 44, 4.0f, 22.0f);
  s.meshes = {columns, blocks, floor};

  // Forward down the aisle and back again, always looking ahead into the fog.
  auto along = [](float t) { return -350.0f + 1750.0f * (1.0f - std::cos(kTwoPi * t)); };
  s.cameras = {Camera(
      "Camara01", 60.0f,
      [along](float t) {
        return Vec3{70.0f * std::sin(2.0f * kTwoPi * t), along(t), 170.0f + 25.0f * std::sin(3.0f * kTwoPi * t)};
      },
      [along](float t) {
        return Vec3{30.0f * std::sin(2.0f * kTwoPi * t + 1.0f), along(t) + 600.0f, 150.0f};
      })};
  s.lights = {
      Light("Antorcha", {1.0f, 0.75f, 0.4f}, true,
            [along](float t) { return Vec3{0.0f, along(t) + 420.0f, 260.0f}; }, true),
      Light("Luna", {0.6f, 0.7f, 1.0f}, false, Fixed({-600, 800, 1400}), false),
      Light("Fondo", {0.8f, 0.4f, 0.2f}, false, Fixed({300, 2800, 300}), false),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 6: a chrome torus knot inside two thin glass rings.
AseScene Knot() {
  AseScene s = NewScene("nudo.max", {0.0f, 0.02f, 0.05f});
  s.materials = {
      Material("Cromo", {1.0f, 1.0f, 1.0f}, {Environment("env.jpg")}),
      Transparent("Aro", {0.5f, 0.8f, 1.0f}, 0.4f, {Map("glass.jpg", 10.0f, 1.0f)}),
  };
  AseMesh knot = Mesh("Nudo", 0);
  AddTube(knot,
          [](float t) {
            float a = kTwoPi * t;
            float ring = 2.0f + std::cos(3.0f * a);
            return Vec3{ring * std::cos(2.0f * a), ring * std::sin(2.0f * a), std::sin(3.0f * a)} *
                   60.0f;
          },
          22.0f, 288, 16, 16.0f, 1.0f);
  AseMesh rings = Mesh("Aros", 1);
  AddTorus(rings, FrameAlong({0, 0, 0}, {0.2f, 0.1f, 1.0f}), 260.0f, 3.0f, 72, 6);
  AddTorus(rings, FrameAlong({0, 0, 0}, {1.0f, 0.3f, 0.2f}), 240.0f, 3.0f, 72, 6);
  s.meshes = {knot, rings};

  s.cameras = {Camera(
      "Camara01", 55.0f,
      [](float t) {
        float a = kTwoPi * t, r = 470.0f + 130.0f * std::sin(2.0f * a);
        return Vec3{r * std::cos(a), r * std::sin(a), 160.0f * std::sin(a + 0.5f)};
      },
      Fixed({0, 0, 0}))};
  s.lights = {
      Light("Roja", {1.0f, 0.35f, 0.3f}, true, Orbit(300.0f, 2.0f, 0.0f, Height(120.0f, 80.0f, 3.0f)),
            true),
      Light("Verde", {0.4f, 1.0f, 0.5f}, false, Orbit(320.0f, -1.0f, 0.3f, Height(-100.0f, 60.0f, 2.0f)),
            true),
      Light("Azul", {0.4f, 0.5f, 1.0f}, true, Orbit(280.0f, 3.0f, 0.6f, Height(40.0f, 150.0f, 1.0f)),
            true),
  };
  return s;
}

// ---------------------------------------------------------------------------------------------
// 7: a ball over a sheet of water. Objects 0 and 1 are the ones the engine makes ripple, so
// both are finely divided: the water's waves are about 36 units long.
AseScene WaterBall() {
  AseScene s = NewScene("aguabola.max", {0.0f, 0.06f, 0.09f});
  s.materials = {
      Material("Burbuja", {0.8f, 0.95f, 1.0f}, {Environment("env.jpg")}),
      Material("Agua", {0.55f, 0.85f, 1.0f}, {Map("water.jpg", 4.0f, 4.0f)}),
  };
  s.materials[1].twoSided = true;  // the twisting sheet shows its underside
  AseMesh ball = Mesh("Bola", 0, {0, 0, 110});
  AddSphere(ball, {0, 0, 110}, 70.0f, 48, 32, 2.0f, 1.0f);
  AseMesh water = Mesh("Agua", 1);
  AddPlane(water, FrameAt({0, 0, 0}), 480.0f, 480.0f, 80, 80, 4.0f, 4.0f);
  s.meshes = {ball, water};

  s.cameras = {Camera("Camara01", 55.0f, Orbit(430.0f, 1.0f, 0.0f, Height(240.0f, 60.0f, 2.0f)),
                      Fixed({0, 0, 50}))};
  s.lights = {
      Light("Sol", {1.0f, 0.95f, 0.85f}, true, Orbit(220.0f, -2.0f, 0.0f, Height(320.0f, 40.0f, 1.0f)),
            true),
      Light("Cielo", {0.5f, 0.7f, 1.0f}, false, Fixed({-300, 300, 500}), false),
      Light("Reflejo", {0.3f, 0.6f, 0.7f}, false, Fixed({200, -200, -150}), false),
  };
  return s;
}

}  // namespace

AseScene BuildScene(int index) {
  switch (index) {
    case 0: return RareObjects();
    case 1: return CameraRoutes();
    case 2: return Monolith();
    case 3: return Gyroscope();
    case 4: return Arrows();
    case 5: return Colonnade();
    case 6: return Knot();
    case 7: return WaterBall();
    default: return AseScene{};
  }
}

bool WriteScenes(const std::string& productionDir) {
  const std::string folder = productionDir + "/escenas";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (int i = 0; i < kSceneCount; ++i) {
    const std::string path = folder + "/" + DefaultManifest().scenes[i].name + ".ase";
    if (!WriteAse(path.c_str(), BuildScene(i))) return false;
  }
  return true;
}
