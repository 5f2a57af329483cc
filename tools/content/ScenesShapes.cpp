#include "ScenesShapes.h"

#include <cmath>
#include <map>
#include <tuple>

Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
float Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalize(const Vec3& a) {
  float len = Length(a);
  return len > 0.0f ? a * (1.0f / len) : Vec3{};
}

Vec3 Frame::At(const Vec3& local) const {
  return origin + ax * local.x + ay * local.y + az * local.z;
}

Frame FrameAt(const Vec3& origin) {
  Frame f;
  f.origin = origin;
  return f;
}

Frame FrameAlong(const Vec3& origin, const Vec3& direction) {
  Frame f;
  f.origin = origin;
  f.az = Normalize(direction);
  f.ax = Normalize(Cross({0.0f, 0.0f, 1.0f}, f.az));
  if (Length(f.ax) == 0.0f) f.ax = {1.0f, 0.0f, 0.0f};
  f.ay = Cross(f.az, f.ax);
  return f;
}

Frame Turned(const Frame& frame, float angle) {
  Frame f = frame;
  float c = std::cos(angle), s = std::sin(angle);
  f.ax = frame.ax * c + frame.ay * s;
  f.ay = frame.ay * c - frame.ax * s;
  return f;
}

void AddSurface(AseMesh& mesh, const SurfaceGrid& grid,
                const std::function<Vec3(float u, float v)>& at) {
  const int columns = grid.wrapU ? grid.nu : grid.nu + 1;
  const int rows = grid.wrapV ? grid.nv : grid.nv + 1;
  std::vector<uint32_t> index(static_cast<size_t>(columns) * rows);
  std::map<std::tuple<float, float, float>, uint32_t> placed;  // welds coincident points
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      Vec3 p = at(static_cast<float>(i) / grid.nu, static_cast<float>(j) / grid.nv);
      auto found = placed.emplace(std::make_tuple(p.x, p.y, p.z),
                                  static_cast<uint32_t>(mesh.vertices.size()));
      if (found.second) mesh.vertices.push_back(p);
      index[static_cast<size_t>(j) * columns + i] = found.first->second;
    }
  }
  const uint32_t firstTvert = static_cast<uint32_t>(mesh.tverts.size());
  for (int j = 0; j <= grid.nv; ++j)
    for (int i = 0; i <= grid.nu; ++i)
      mesh.tverts.push_back({grid.uRepeat * i / grid.nu, grid.vRepeat * j / grid.nv});

  auto vertexAt = [&](int i, int j) {
    return index[static_cast<size_t>(j % rows) * columns + (i % columns)];
  };
  auto tvertAt = [&](int i, int j) {
    return firstTvert + static_cast<uint32_t>(j * (grid.nu + 1) + i);
  };
  auto addTriangle = [&](const int (&corner)[3][2]) {
    AseFace f;
    for (int k = 0; k < 3; ++k) {
      f.v[k] = vertexAt(corner[k][0], corner[k][1]);
      f.t[k] = tvertAt(corner[k][0], corner[k][1]);
    }
    if (f.v[0] == f.v[1] || f.v[1] == f.v[2] || f.v[0] == f.v[2]) return;
    const Vec3& a = mesh.vertices[f.v[0]];
    if (Length(Cross(mesh.vertices[f.v[1]] - a, mesh.vertices[f.v[2]] - a)) < 1e-6f) return;
    f.smoothing = grid.smoothing;
    mesh.faces.push_back(f);
  };
  for (int j = 0; j < grid.nv; ++j) {
    for (int i = 0; i < grid.nu; ++i) {
      const int first[3][2] = {{i, j}, {i + 1, j}, {i + 1, j + 1}};
      const int second[3][2] = {{i, j}, {i + 1, j + 1}, {i, j + 1}};
      addTriangle(first);
      addTriangle(second);
    }
  }
}

void AddBlob(AseMesh& mesh, const Vec3& centre, int nu, int nv,
             const std::function<float(float u, float v)>& radius) {
  SurfaceGrid grid;
  grid.nu = nu;
  grid.nv = nv;
  grid.wrapU = true;
  AddSurface(mesh, grid, [&](float u, float v) {
    float theta = 2.0f * kPi * u, phi = kPi * v;
    float r = radius(u, v);
    // Exact zeros at the poles, so their points weld.
    float ring = (v <= 0.0f || v >= 1.0f) ? 0.0f : std::sin(phi);
    float height = v <= 0.0f ? -1.0f : (v >= 1.0f ? 1.0f : -std::cos(phi));
    return centre + Vec3{r * ring * std::cos(theta), r * ring * std::sin(theta), r * height};
  });
}

void AddSphere(AseMesh& mesh, const Vec3& centre, float radius, int nu, int nv, float uRepeat,
               float vRepeat) {
  size_t first = mesh.tverts.size();
  AddBlob(mesh, centre, nu, nv, [radius](float, float) { return radius; });
  for (size_t i = first; i < mesh.tverts.size(); ++i) {
    mesh.tverts[i].u *= uRepeat;
    mesh.tverts[i].v *= vRepeat;
  }
}

void AddTorus(AseMesh& mesh, const Frame& frame, float R, float r, int nu, int nv, float uRepeat,
              float vRepeat) {
  SurfaceGrid grid;
  grid.nu = nu;
  grid.nv = nv;
  grid.wrapU = grid.wrapV = true;
  grid.uRepeat = uRepeat;
  grid.vRepeat = vRepeat;
  AddSurface(mesh, grid, [&](float u, float v) {
    float theta = 2.0f * kPi * u, phi = 2.0f * kPi * v;
    float ring = R + r * std::cos(phi);
    return frame.At({ring * std::cos(theta), ring * std::sin(theta), r * std::sin(phi)});
  });
}

void AddLathe(AseMesh& mesh, const Frame& frame, const std::vector<ProfilePoint>& profile,
              int segments, float uRepeat, float vRepeat, uint32_t smoothing) {
  if (profile.size() < 2) return;
  SurfaceGrid grid;
  grid.nu = segments;
  grid.nv = static_cast<int>(profile.size()) - 1;
  grid.wrapU = true;
  grid.uRepeat = uRepeat;
  grid.vRepeat = vRepeat;
  grid.smoothing = smoothing;
  AddSurface(mesh, grid, [&](float u, float v) {
    const ProfilePoint& p = profile[static_cast<size_t>(std::lround(v * grid.nv))];
    float theta = 2.0f * kPi * u;
    if (p.r == 0.0f) return frame.At({0.0f, 0.0f, p.z});
    return frame.At({p.r * std::cos(theta), p.r * std::sin(theta), p.z});
  });
}

void AddBox(AseMesh& mesh, const Frame& frame, const Vec3& half, float uvPerUnit) {
  struct Side {
    Vec3 normal, a, b;
  };
  const Side sides[6] = {
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
      {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
  };
  auto scaled = [&](const Vec3& axis) {
    return Vec3{axis.x * half.x, axis.y * half.y, axis.z * half.z};
  };
  for (int k = 0; k < 6; ++k) {
    const Vec3 n = scaled(sides[k].normal), a = scaled(sides[k].a), b = scaled(sides[k].b);
    SurfaceGrid grid;
    grid.nu = grid.nv = 1;
    grid.uRepeat = 2.0f * Length(a) * uvPerUnit;
    grid.vRepeat = 2.0f * Length(b) * uvPerUnit;
    grid.smoothing = 1u << (k + 1);
    AddSurface(mesh, grid, [&](float u, float v) {
      return frame.At(n + a * (2.0f * u - 1.0f) + b * (2.0f * v - 1.0f));
    });
  }
}

void AddPlane(AseMesh& mesh, const Frame& frame, float width, float depth, int nu, int nv,
              float uRepeat, float vRepeat) {
  SurfaceGrid grid;
  grid.nu = nu;
  grid.nv = nv;
  grid.uRepeat = uRepeat;
  grid.vRepeat = vRepeat;
  AddSurface(mesh, grid, [&](float u, float v) {
    return frame.At({(u - 0.5f) * width, (v - 0.5f) * depth, 0.0f});
  });
}

void AddTube(AseMesh& mesh, const std::function<Vec3(float t)>& centre, float r, int nu, int nv,
             float uRepeat, float vRepeat) {
  SurfaceGrid grid;
  grid.nu = nu;
  grid.nv = nv;
  grid.wrapU = grid.wrapV = true;
  grid.uRepeat = uRepeat;
  grid.vRepeat = vRepeat;
  const float h = 0.5f / nu;
  AddSurface(mesh, grid, [&](float u, float v) {
    // Frenet frame from central differences; the curve is periodic, so the seam matches.
    Vec3 before = centre(u - h), here = centre(u), after = centre(u + h);
    Vec3 t = Normalize(after - before);
    Vec3 bend = after - here * 2.0f + before;
    Vec3 n = Normalize(bend - t * Dot(bend, t));
    Vec3 b = Cross(t, n);
    float angle = 2.0f * kPi * v;
    return here + (n * std::cos(angle) - b * std::sin(angle)) * r;
  });
}

float SignedVolume(const AseMesh& mesh) {
  double volume = 0.0;
  for (const AseFace& f : mesh.faces) {
    const Vec3 &a = mesh.vertices[f.v[0]], &b = mesh.vertices[f.v[1]], &c = mesh.vertices[f.v[2]];
    volume += Dot(a, Cross(b, c));
  }
  return static_cast<float>(volume / 6.0);
}
