// Building blocks of the production's procedural meshes, in the modelling package's Z-up frame.
// Every shape is a closed or open surface whose faces wind counter-clockwise seen from outside,
// as the package writes them, so back-face culling keeps the outer side.
#pragma once

#include <functional>

#include "AseWriter.h"

Vec3 operator+(const Vec3& a, const Vec3& b);
Vec3 operator-(const Vec3& a, const Vec3& b);
Vec3 operator*(const Vec3& a, float s);
Vec3 Cross(const Vec3& a, const Vec3& b);
float Dot(const Vec3& a, const Vec3& b);
float Length(const Vec3& a);
Vec3 Normalize(const Vec3& a);

constexpr float kPi = 3.14159265358979f;

// A right-handed placement: local (x, y, z) goes to origin + x * ax + y * ay + z * az.
struct Frame {
  Vec3 origin;
  Vec3 ax{1.0f, 0.0f, 0.0f};
  Vec3 ay{0.0f, 1.0f, 0.0f};
  Vec3 az{0.0f, 0.0f, 1.0f};
  Vec3 At(const Vec3& local) const;
};
Frame FrameAt(const Vec3& origin);
// Local z along the given direction (local x stays as horizontal as it can).
Frame FrameAlong(const Vec3& origin, const Vec3& direction);
// The frame turned about its own local z by angle radians.
Frame Turned(const Frame& frame, float angle);

// Grid surface P(u, v) over [0, 1] x [0, 1] with nu x nv cells. A wrapped direction shares the
// seam's vertices (its texture vertices stay apart); vertices that fall on the same point (the
// poles of a sphere) are welded, and triangles without area are left out. The surface's outer
// side is where dP/du x dP/dv points. Texture coordinates run 0 .. uRepeat and 0 .. vRepeat.
struct SurfaceGrid {
  int nu = 8;
  int nv = 8;
  bool wrapU = false;
  bool wrapV = false;
  float uRepeat = 1.0f;
  float vRepeat = 1.0f;
  uint32_t smoothing = 1;  // 0 = faceted
};
void AddSurface(AseMesh& mesh, const SurfaceGrid& grid,
                const std::function<Vec3(float u, float v)>& at);

void AddSphere(AseMesh& mesh, const Vec3& centre, float radius, int nu, int nv,
               float uRepeat = 1.0f, float vRepeat = 1.0f);
// A sphere whose radius varies with direction: radius(u, v) with u the azimuth and v from the
// south pole (0) to the north pole (1).
void AddBlob(AseMesh& mesh, const Vec3& centre, int nu, int nv,
             const std::function<float(float u, float v)>& radius);
// Ring of major radius R around the frame's z axis, tube radius r.
void AddTorus(AseMesh& mesh, const Frame& frame, float R, float r, int nu, int nv,
              float uRepeat = 4.0f, float vRepeat = 1.0f);
// Surface of revolution about the frame's z axis; profile points are (radius, height) from the
// bottom up. A profile that starts or ends at radius 0 closes that end.
struct ProfilePoint {
  float r;
  float z;
};
void AddLathe(AseMesh& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile,
              int segments, float uRepeat = 1.0f, float vRepeat = 1.0f, uint32_t smoothing = 1);
// Box of the given half extents along the frame's axes; each side its own smoothing group.
void AddBox(AseMesh& mesh, const Frame& frame, const Vec3& half, float uvPerUnit = 0.01f);
// Flat rectangle in the frame's xy plane facing +z, centred on the origin.
void AddPlane(AseMesh& mesh, const Frame& frame, float width, float depth, int nu, int nv,
              float uRepeat = 1.0f, float vRepeat = 1.0f);
// Closed tube of radius r around the closed curve centre(t), t in [0, 1).
void AddTube(AseMesh& mesh, const std::function<Vec3(float t)>& centre, float r, int nu, int nv,
             float uRepeat = 8.0f, float vRepeat = 1.0f);

// Signed volume enclosed by the mesh (positive when every face winds outward): a check that a
// closed shape shows its outer side.
float SignedVolume(const AseMesh& mesh);
