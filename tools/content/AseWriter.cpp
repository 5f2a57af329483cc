#include "AseWriter.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "platform/Files.h"
#include "platform/PrintfFormat.h"

namespace {

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Add(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normalized(const Vec3& a) {
  float len = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  if (len <= 0.0f) return {0.0f, 0.0f, 0.0f};
  return {a.x / len, a.y / len, a.z / len};
}

// Text is built in one string; printf-style pieces keep the package's number format (%.4f).
class Text {
 public:
  void line(int indent, const char* format, ...) ZB_PRINTF_FORMAT(3, 4) {
    text_.append(static_cast<size_t>(indent), '\t');
    char buffer[512];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n > 0) text_.append(buffer, static_cast<size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
    text_ += '\n';
  }
  void vec(int indent, const char* keyword, const Vec3& v) {
    line(indent, "%s %.4f\t%.4f\t%.4f", keyword, v.x, v.y, v.z);
  }
  std::string& str() { return text_; }

 private:
  std::string text_;
};

// The map slots of a standard material and the sub-map numbers the package gives them.
int MapSubNumber(const std::string& slot) {
  static const char* const kSlots[] = {"MAP_AMBIENT",  "MAP_DIFFUSE",  "MAP_SPECULAR",
                                       "MAP_SHINE",    "MAP_SHINESTRENGTH", "MAP_SELFILLUM",
                                       "MAP_OPACITY",  "MAP_FILTERCOLOR",   "MAP_BUMP",
                                       "MAP_REFLECT",  "MAP_REFRACT"};
  for (int i = 0; i < static_cast<int>(sizeof kSlots / sizeof kSlots[0]); ++i)
    if (slot == kSlots[i]) return i;
  return 1;
}

void WriteNodeTm(Text& t, const std::string& name, const Vec3 rows[3], const Vec3& pos,
                 const Vec3& axis, float angle) {
  t.line(1, "*NODE_TM {");
  t.line(2, "*NODE_NAME \"%s\"", name.c_str());
  t.line(2, "*INHERIT_POS 0 0 0");
  t.line(2, "*INHERIT_ROT 0 0 0");
  t.line(2, "*INHERIT_SCL 0 0 0");
  t.vec(2, "*TM_ROW0", rows[0]);
  t.vec(2, "*TM_ROW1", rows[1]);
  t.vec(2, "*TM_ROW2", rows[2]);
  t.vec(2, "*TM_ROW3", pos);
  t.vec(2, "*TM_POS", pos);
  t.vec(2, "*TM_ROTAXIS", axis);
  t.line(2, "*TM_ROTANGLE %.4f", angle);
  t.line(2, "*TM_SCALE 1.0000\t1.0000\t1.0000");
  t.line(2, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
  t.line(2, "*TM_SCALEAXISANG 0.0000");
  t.line(1, "}");
}

void WriteIdentityTm(Text& t, const std::string& name, const Vec3& pos) {
  const Vec3 rows[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  WriteNodeTm(t, name, rows, pos, {0, 0, 0}, 0.0f);
}

// A target camera's node: looks down its local -Z, local Y up, world Z up.
void WriteCameraTm(Text& t, const std::string& name, const Vec3& pos, const Vec3& target) {
  Vec3 z = Normalized(Sub(pos, target));
  Vec3 x = Normalized(Cross({0, 0, 1}, z));
  if (x.x == 0.0f && x.y == 0.0f && x.z == 0.0f) x = {1, 0, 0};
  Vec3 y = Cross(z, x);
  const Vec3 rows[3] = {x, y, z};
  // Axis and angle of the rotation whose columns are the three axes.
  float trace = x.x + y.y + z.z;
  float c = std::fmax(-1.0f, std::fmin(1.0f, (trace - 1.0f) * 0.5f));
  float angle = std::acos(c);
  Vec3 axis = Normalized({y.z - z.y, z.x - x.z, x.y - y.x});
  WriteNodeTm(t, name, rows, pos, axis, angle);
}

void WritePosTrack(Text& t, const std::string& node, const std::vector<Vec3>& samples,
                   int ticksPerFrame) {
  t.line(1, "*TM_ANIMATION {");
  t.line(2, "*NODE_NAME \"%s\"", node.c_str());
  t.line(2, "*CONTROL_POS_TRACK {");
  for (size_t i = 0; i < samples.size(); ++i)
    t.line(3, "*CONTROL_POS_SAMPLE %d\t%.4f\t%.4f\t%.4f", static_cast<int>(i) * ticksPerFrame,
           samples[i].x, samples[i].y, samples[i].z);
  t.line(2, "}");
  t.line(1, "}");
}

void WriteMaterial(Text& t, int index, const AseMaterial& m) {
  t.line(1, "*MATERIAL %d {", index);
  t.line(2, "*MATERIAL_NAME \"%s\"", m.name.c_str());
  t.line(2, "*MATERIAL_CLASS \"Standard\"");
  t.vec(2, "*MATERIAL_AMBIENT", m.ambient);
  t.vec(2, "*MATERIAL_DIFFUSE", m.diffuse);
  t.vec(2, "*MATERIAL_SPECULAR", m.specular);
  t.line(2, "*MATERIAL_SHINE %.4f", m.shine);
  t.line(2, "*MATERIAL_SHINESTRENGTH %.4f", m.shine * 0.5f);
  t.line(2, "*MATERIAL_TRANSPARENCY %.4f", m.transparency);
  t.line(2, "*MATERIAL_WIRESIZE 1.0000");
  t.line(2, "*MATERIAL_SHADING Blinn");
  t.line(2, "*MATERIAL_XP_FALLOFF 0.0000");
  t.line(2, "*MATERIAL_SELFILLUM %.4f", m.selfIllum);
  if (m.twoSided) t.line(2, "*MATERIAL_TWOSIDED");
  t.line(2, "*MATERIAL_FALLOFF In");
  t.line(2, "*MATERIAL_XP_TYPE %s", m.transparency > 0.0f ? "Additive" : "Filter");
  int mapNumber = index * 4 + 1;
  for (const AseMap& map : m.maps) {
    t.line(2, "*%s {", map.slot.c_str());
    t.line(3, "*MAP_NAME \"Map #%d\"", mapNumber++);
    t.line(3, "*MAP_CLASS \"Bitmap\"");
    t.line(3, "*MAP_SUBNO %d", MapSubNumber(map.slot));
    t.line(3, "*MAP_AMOUNT %.4f", map.amount);
    t.line(3, "*BITMAP \"%s\"", map.bitmap.c_str());
    t.line(3, "*MAP_TYPE %s", map.spherical ? "Spherical" : "Screen");
    t.line(3, "*UVW_U_OFFSET %.4f", map.uOffset);
    t.line(3, "*UVW_V_OFFSET %.4f", map.vOffset);
    t.line(3, "*UVW_U_TILING %.4f", map.uTiling);
    t.line(3, "*UVW_V_TILING %.4f", map.vTiling);
    t.line(3, "*UVW_ANGLE 0.0000");
    t.line(3, "*UVW_BLUR 1.0000");
    t.line(3, "*UVW_BLUR_OFFSET 0.0000");
    t.line(3, "*UVW_NOUSE_AMT 1.0000");
    t.line(3, "*UVW_NOISE_SIZE 1.0000");
    t.line(3, "*UVW_NOISE_LEVEL 1");
    t.line(3, "*UVW_NOISE_PHASE 0.0000");
    t.line(3, "*BITMAP_FILTER Pyramidal");
    t.line(2, "}");
  }
  t.line(1, "}");
}

// The package lists smoothing groups by number (1 .. 32), comma separated.
std::string SmoothingList(uint32_t mask) {
  std::string list;
  for (int bit = 0; bit < 32; ++bit) {
    if (!(mask & (1u << bit))) continue;
    if (!list.empty()) list += ',';
    list += std::to_string(bit + 1);
  }
  return list;
}

void WriteMesh(Text& t, const AseMesh& mesh) {
  t.line(0, "*GEOMOBJECT {");
  t.line(1, "*NODE_NAME \"%s\"", mesh.name.c_str());
  WriteIdentityTm(t, mesh.name, mesh.pivot);
  t.line(1, "*MESH {");
  t.line(2, "*TIMEVALUE 0");
  t.line(2, "*MESH_NUMVERTEX %zu", mesh.vertices.size());
  t.line(2, "*MESH_NUMFACES %zu", mesh.faces.size());
  t.line(2, "*MESH_VERTEX_LIST {");
  for (size_t i = 0; i < mesh.vertices.size(); ++i) {
    const Vec3& v = mesh.vertices[i];
    t.line(3, "*MESH_VERTEX %4zu\t%.4f\t%.4f\t%.4f", i, v.x, v.y, v.z);
  }
  t.line(2, "}");
  t.line(2, "*MESH_FACE_LIST {");
  for (size_t i = 0; i < mesh.faces.size(); ++i) {
    const AseFace& f = mesh.faces[i];
    t.line(3,
           "*MESH_FACE %4zu:    A: %4u B: %4u C: %4u AB: %4d BC: %4d CA: %4d\t "
           "*MESH_SMOOTHING %s \t*MESH_MTLID 0",
           i, f.v[0], f.v[1], f.v[2], 1, 1, 0, SmoothingList(f.smoothing).c_str());
  }
  t.line(2, "}");
  t.line(2, "*MESH_NUMTVERTEX %zu", mesh.tverts.size());
  if (!mesh.tverts.empty()) {
    t.line(2, "*MESH_TVERTLIST {");
    for (size_t i = 0; i < mesh.tverts.size(); ++i)
      t.line(3, "*MESH_TVERT %zu\t%.4f\t%.4f\t0.0000", i, mesh.tverts[i].u, mesh.tverts[i].v);
    t.line(2, "}");
    t.line(2, "*MESH_NUMTVFACES %zu", mesh.faces.size());
    t.line(2, "*MESH_TFACELIST {");
    for (size_t i = 0; i < mesh.faces.size(); ++i) {
      const AseFace& f = mesh.faces[i];
      t.line(3, "*MESH_TFACE %zu\t%u\t%u\t%u", i, f.t[0], f.t[1], f.t[2]);
    }
    t.line(2, "}");
  }
  t.line(2, "*MESH_NUMCVERTEX 0");
  t.line(2, "*MESH_NORMALS {");
  std::vector<FaceNormals> normals = ComputeNormals(mesh);
  for (size_t i = 0; i < mesh.faces.size(); ++i) {
    t.line(3, "*MESH_FACENORMAL %zu\t%.4f\t%.4f\t%.4f", i, normals[i].face.x, normals[i].face.y,
           normals[i].face.z);
    for (int k = 0; k < 3; ++k) {
      const Vec3& n = normals[i].corner[k];
      t.line(4, "*MESH_VERTEXNORMAL %u\t%.4f\t%.4f\t%.4f", mesh.faces[i].v[k], n.x, n.y, n.z);
    }
  }
  t.line(2, "}");
  t.line(1, "}");
  t.line(1, "*PROP_MOTIONBLUR 0");
  t.line(1, "*PROP_CASTSHADOW 1");
  t.line(1, "*PROP_RECVSHADOW 1");
  t.line(1, "*MATERIAL_REF %d", mesh.materialRef);
  t.line(0, "}");
}

void WriteCamera(Text& t, const AseCamera& cam, int ticksPerFrame) {
  const Vec3 pos = cam.positions.empty() ? Vec3{} : cam.positions[0];
  const Vec3 target = cam.targets.empty() ? Vec3{} : cam.targets[0];
  const std::string targetName = cam.name + ".Target";
  t.line(0, "*CAMERAOBJECT {");
  t.line(1, "*NODE_NAME \"%s\"", cam.name.c_str());
  t.line(1, "*CAMERA_TYPE Target");
  WriteCameraTm(t, cam.name, pos, target);
  WriteIdentityTm(t, targetName, target);
  t.line(1, "*CAMERA_SETTINGS {");
  t.line(2, "*TIMEVALUE 0");
  t.line(2, "*CAMERA_NEAR 0.0000");
  t.line(2, "*CAMERA_FAR 1000.0000");
  t.line(2, "*CAMERA_FOV %.4f", cam.fov);
  Vec3 d = Sub(target, pos);
  t.line(2, "*CAMERA_TDIST %.4f", std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
  t.line(1, "}");
  if (cam.positions.size() > 1) WritePosTrack(t, cam.name, cam.positions, ticksPerFrame);
  if (cam.targets.size() > 1) WritePosTrack(t, targetName, cam.targets, ticksPerFrame);
  t.line(0, "}");
}

void WriteLight(Text& t, const AseLight& light, int ticksPerFrame) {
  t.line(0, "*LIGHTOBJECT {");
  t.line(1, "*NODE_NAME \"%s\"", light.name.c_str());
  t.line(1, "*LIGHT_TYPE Omni");
  WriteIdentityTm(t, light.name, light.positions.empty() ? Vec3{} : light.positions[0]);
  t.line(1, "*LIGHT_SHADOWS Off");
  t.line(1, "*LIGHT_USELIGHT 1");
  t.line(1, "*LIGHT_SPOTSHAPE Circle");
  t.line(1, "*LIGHT_USEGLOBAL %d", light.useGlobal ? 1 : 0);
  t.line(1, "*LIGHT_ABSMAPBIAS 0");
  t.line(1, "*LIGHT_OVERSHOOT 0");
  t.line(1, "*LIGHT_SETTINGS {");
  t.line(2, "*TIMEVALUE 0");
  t.vec(2, "*LIGHT_COLOR", light.color);
  t.line(2, "*LIGHT_INTENS %.4f", light.intensity);
  t.line(2, "*LIGHT_ASPECT -1.0000");
  t.line(2, "*LIGHT_TDIST -1.0000");
  t.line(2, "*LIGHT_MAPBIAS 1.0000");
  t.line(2, "*LIGHT_MAPRANGE 4.0000");
  t.line(2, "*LIGHT_MAPSIZE 512");
  t.line(2, "*LIGHT_RAYBIAS 0.0000");
  t.line(1, "}");
  if (light.positions.size() > 1) WritePosTrack(t, light.name, light.positions, ticksPerFrame);
  t.line(0, "}");
}

}  // namespace

std::vector<FaceNormals> ComputeNormals(const AseMesh& mesh) {
  const size_t faceCount = mesh.faces.size();
  std::vector<Vec3> weighted(faceCount);  // cross product: direction times twice the area
  std::vector<FaceNormals> out(faceCount);
  std::vector<std::vector<uint32_t>> around(mesh.vertices.size());
  for (size_t i = 0; i < faceCount; ++i) {
    const AseFace& f = mesh.faces[i];
    bool valid = f.v[0] < mesh.vertices.size() && f.v[1] < mesh.vertices.size() &&
                 f.v[2] < mesh.vertices.size();
    if (!valid) continue;
    const Vec3& a = mesh.vertices[f.v[0]];
    weighted[i] = Cross(Sub(mesh.vertices[f.v[1]], a), Sub(mesh.vertices[f.v[2]], a));
    out[i].face = Normalized(weighted[i]);
    for (int k = 0; k < 3; ++k) around[f.v[k]].push_back(static_cast<uint32_t>(i));
  }
  for (size_t i = 0; i < faceCount; ++i) {
    const AseFace& f = mesh.faces[i];
    for (int k = 0; k < 3; ++k) {
      out[i].corner[k] = out[i].face;
      if (f.smoothing == 0 || f.v[k] >= around.size()) continue;
      Vec3 sum;
      for (uint32_t g : around[f.v[k]])
        if (mesh.faces[g].smoothing & f.smoothing) sum = Add(sum, weighted[g]);
      Vec3 n = Normalized(sum);
      if (n.x != 0.0f || n.y != 0.0f || n.z != 0.0f) out[i].corner[k] = n;
    }
  }
  return out;
}

std::string FormatAse(const AseScene& scene) {
  Text t;
  t.line(0, "*3DSMAX_ASCIIEXPORT\t200");
  t.line(0, "*COMMENT \"Zorbanel content build - procedural scene\"");
  t.line(0, "*SCENE {");
  t.line(1, "*SCENE_FILENAME \"%s\"", scene.fileName.c_str());
  t.line(1, "*SCENE_FIRSTFRAME 0");
  t.line(1, "*SCENE_LASTFRAME %d", scene.lastFrame);
  t.line(1, "*SCENE_FRAMESPEED %d", scene.frameSpeed);
  t.line(1, "*SCENE_TICKSPERFRAME %d", scene.ticksPerFrame);
  t.vec(1, "*SCENE_BACKGROUND_STATIC", scene.background);
  t.vec(1, "*SCENE_AMBIENT_STATIC", scene.ambient);
  t.line(0, "}");
  t.line(0, "*MATERIAL_LIST {");
  t.line(1, "*MATERIAL_COUNT %zu", scene.materials.size());
  for (size_t i = 0; i < scene.materials.size(); ++i)
    WriteMaterial(t, static_cast<int>(i), scene.materials[i]);
  t.line(0, "}");
  for (const AseMesh& mesh : scene.meshes) WriteMesh(t, mesh);
  for (const AseCamera& cam : scene.cameras) WriteCamera(t, cam, scene.ticksPerFrame);
  for (const AseLight& light : scene.lights) WriteLight(t, light, scene.ticksPerFrame);
  return std::move(t.str());
}

bool WriteAse(const char* path, const AseScene& scene) {
  std::string text = FormatAse(scene);
  FILE* file = OpenFile(path, "wb");
  if (!file) {
    std::printf("zorbanel-content: cannot create %s\n", path);
    return false;
  }
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok) std::printf("zorbanel-content: error writing %s\n", path);
  return ok;
}
