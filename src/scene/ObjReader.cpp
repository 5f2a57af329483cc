#include "scene/ObjReader.h"

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <map>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"
#include "scene/Scene.h"

namespace {

bool ReadText(const std::string& path, std::string& text) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path.c_str(), ReadLimit::kAse, bytes)) return false;
  text.assign(bytes.begin(), bytes.end());
  return true;
}

// A text as the stream tinyobjloader parses, read where it lies rather than copied as a string
// stream would copy it (a large OBJ would be held twice over).
class TextStream : public std::istream {
 public:
  explicit TextStream(std::string& text) : std::istream(&buffer_) { buffer_.over(text); }

 private:
  struct Buffer : std::streambuf {
    void over(std::string& text) { setg(text.data(), text.data(), text.data() + text.size()); }
  };
  Buffer buffer_;
};

// tinyobjloader cuts a face into triangles ear by ear, in time that grows with the square of its
// corners or worse; a face of more corners than this is cut as a fan before it reads the text.
constexpr size_t kLargestClippedFace = 64;

// The lines of an OBJ text and the words on each.
class Lines {
 public:
  explicit Lines(const std::string& text) : p_(text.data()), end_(p_ + text.size()) {}
  // Moves to the next line; false at the end of the text.
  bool next() {
    if (p_ >= end_) return false;
    const void* eol = std::memchr(p_, '\n', size_t(end_ - p_));
    eol_ = eol ? static_cast<const char*>(eol) : end_;
    line_ = word_ = p_;
    p_ = eol_ + 1;
    ++number;
    return true;
  }
  // The next word of the line; empty at its end.
  std::string_view word() {
    while (word_ < eol_ && Blank(*word_)) ++word_;
    const char* start = word_;
    while (word_ < eol_ && !Blank(*word_)) ++word_;
    return std::string_view(start, size_t(word_ - start));
  }
  std::string_view line() const { return std::string_view(line_, size_t(eol_ - line_)); }
  size_t number = 0;

 private:
  static bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
  const char* p_;
  const char* end_;
  const char* line_ = nullptr;
  const char* eol_ = nullptr;
  const char* word_ = nullptr;
};

// Whether a face corner "v", "v/t", "v//n" or "v/t/n" holds only indices that fit in an int.
bool IndicesFit(std::string_view corner) {
  uint64_t value = 0;
  for (char c : corner) {
    if (c == '/') value = 0;
    if (c >= '0' && c <= '9' && (value = value * 10 + uint64_t(c - '0')) > uint64_t(INT32_MAX))
      return false;
  }
  return true;
}

// What tinyobjloader would take without a word: a coordinate that is not a number (it reads
// "nan" and "inf" as 0) and an index beyond any int (it wraps round to another vertex). Also
// the most corners of one face. The fault is "line 3: ..." or empty.
std::string SurveyText(const std::string& text, size_t& largestFace) {
  largestFace = 0;
  for (Lines lines(text); lines.next();) {
    const std::string_view keyword = lines.word();
    if (keyword == "f") {
      size_t corners = 0;
      for (std::string_view corner = lines.word(); !corner.empty(); corner = lines.word()) {
        if (!IndicesFit(corner))
          return "line " + std::to_string(lines.number) + ": the index " + std::string(corner) +
                 " lies beyond any vertex";
        ++corners;
      }
      largestFace = std::max(largestFace, corners);
    } else if (keyword == "v" || keyword == "vn" || keyword == "vt") {
      // The coordinates proper; what may follow them (a weight, a colour) is not looked at.
      for (int k = 0; k < 3; ++k) {
        const std::string_view number = lines.word();
        if (number.empty()) break;
        const size_t digit = number[0] == '-' || number[0] == '+' ? 1 : 0;
        if (digit >= number.size() ||
            !(std::isdigit(static_cast<unsigned char>(number[digit])) || number[digit] == '.'))
          return "line " + std::to_string(lines.number) + ": the coordinate " +
                 std::string(number) + " is not a number";
      }
    }
  }
  return "";
}

// The text with every face of more than kLargestClippedFace corners written as a fan of
// triangles from its first corner.
std::string LargeFacesAsFans(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::vector<std::string_view> corners;
  for (Lines lines(text); lines.next();) {
    corners.clear();
    if (lines.word() == "f")
      for (std::string_view corner = lines.word(); !corner.empty(); corner = lines.word())
        corners.push_back(corner);
    if (corners.size() <= kLargestClippedFace) {
      out.append(lines.line()).push_back('\n');
      continue;
    }
    for (size_t k = 1; k + 1 < corners.size(); ++k)
      for (std::string_view part : {std::string_view("f "), corners[0], std::string_view(" "),
                                    corners[k], std::string_view(" "), corners[k + 1],
                                    std::string_view("\n")})
        out.append(part);
  }
  return out;
}

// Material libraries are read beside the OBJ file through the engine's own file access, and
// never from outside its folder.
class LibraryBeside : public tinyobj::MaterialReader {
 public:
  LibraryBeside(const std::string& objPath, ImportWarnings& warnings)
      : objPath_(objPath), warnings_(warnings) {}
  bool operator()(const std::string& name, std::vector<tinyobj::material_t>* materials,
                  std::map<std::string, int>* names, std::string* warn, std::string* err) override {
    const std::string path = BesideSceneFile(objPath_, name);
    std::string text;
    if (path.empty() || !ReadText(path, text)) {
      warnings_.warn("names the material library [ " + name + " ], which " +
                     (path.empty() ? "lies outside its folder" : "cannot be read") +
                     ": drawn in a default grey");
      return false;
    }
    TextStream stream(text);
    tinyobj::LoadMtl(names, materials, &stream, warn, err);
    return true;
  }

 private:
  std::string objPath_;
  ImportWarnings& warnings_;
};

Material MaterialOf(int32_t index, const tinyobj::material_t& source, const std::string& objPath,
                    ImportWarnings& warnings) {
  if (!source.ambient_texname.empty() || !source.specular_texname.empty() ||
      !source.specular_highlight_texname.empty() || !source.bump_texname.empty() ||
      !source.displacement_texname.empty() || !source.alpha_texname.empty() ||
      !source.reflection_texname.empty() || !source.roughness_texname.empty() ||
      !source.metallic_texname.empty() || !source.sheen_texname.empty() ||
      !source.emissive_texname.empty() || !source.normal_texname.empty())
    warnings.warn(
        "has maps other than the diffuse one (bump, normal, specular, PBR...): not carried");
  std::string texture;
  if (!source.diffuse_texname.empty()) {
    texture = BesideSceneFile(objPath, source.diffuse_texname);
    if (texture.empty()) warnings.warn("names a texture outside its own folder: not carried");
  }
  const float rgb[3] = {source.diffuse[0], source.diffuse[1], source.diffuse[2]};
  const float emission[3] = {source.emission[0], source.emission[1], source.emission[2]};
  Material material = ImportedMaterial(index, rgb, source.dissolve, emission, false, texture);
  if (material.header.mapCount == 1) {
    material.maps[0].setUTiling(source.diffuse_texopt.scale[0]);
    material.maps[0].setVTiling(source.diffuse_texopt.scale[1]);
  }
  return material;
}

// Numbers the file's vertices afresh for one object at a time, in the order the object first
// uses them. One table for the whole file, cleared after each object by the entries it used, so
// an object costs what it uses rather than what the file holds.
class Renumbering {
 public:
  explicit Renumbering(size_t count) : number_(count, kNone) {}
  // The object's number for the file's vertex i; fresh is set when i is new to the object.
  uint32_t of(size_t i, bool& fresh) {
    fresh = number_[i] == kNone;
    if (fresh) {
      number_[i] = static_cast<uint32_t>(used_.size());
      used_.push_back(i);
    }
    return number_[i];
  }
  void clear() {
    for (size_t i : used_) number_[i] = kNone;
    used_.clear();
  }

 private:
  static constexpr uint32_t kNone = UINT32_MAX;
  std::vector<uint32_t> number_;
  std::vector<size_t> used_;
};

// The triangles of one shape that use one material, with positions and texture coordinates
// numbered afresh for the object.
bool Gather(const tinyobj::attrib_t& attrib, const tinyobj::mesh_t& mesh, int material,
            Renumbering& positions, Renumbering& uvs, ImportedTriangles& out) {
  positions.clear();
  uvs.clear();
  const size_t faces = mesh.num_face_vertices.size();
  bool textured = true;
  for (size_t f = 0; f < faces; ++f)
    if (mesh.material_ids[f] == material)
      for (int k = 0; k < 3; ++k)
        textured = textured && mesh.indices[f * 3 + k].texcoord_index >= 0;
  for (size_t f = 0; f < faces; ++f) {
    if (mesh.material_ids[f] != material) continue;
    const bool normals = mesh.indices[f * 3].normal_index >= 0 &&
                         mesh.indices[f * 3 + 1].normal_index >= 0 &&
                         mesh.indices[f * 3 + 2].normal_index >= 0;
    for (int k = 0; k < 3; ++k) {
      const tinyobj::index_t& index = mesh.indices[f * 3 + k];
      if (index.vertex_index < 0 || size_t(index.vertex_index) * 3 + 2 >= attrib.vertices.size())
        return false;
      bool fresh = false;
      out.faces.push_back(positions.of(index.vertex_index, fresh));
      if (fresh)
        out.positions.insert(out.positions.end(), &attrib.vertices[index.vertex_index * 3],
                             &attrib.vertices[index.vertex_index * 3] + 3);
      if (textured) {
        if (size_t(index.texcoord_index) * 2 + 1 >= attrib.texcoords.size()) return false;
        out.uvFaces.push_back(uvs.of(index.texcoord_index, fresh));
        if (fresh) {
          out.uvs.push_back(attrib.texcoords[index.texcoord_index * 2]);
          out.uvs.push_back(-attrib.texcoords[index.texcoord_index * 2 + 1]);
        }
      }
      if (normals) {
        if (size_t(index.normal_index) * 3 + 2 >= attrib.normals.size()) return false;
        out.cornerNormals.insert(out.cornerNormals.end(), &attrib.normals[index.normal_index * 3],
                                 &attrib.normals[index.normal_index * 3] + 3);
      }
    }
  }
  // A triangle without normals among triangles with them: all of them get flat ones.
  if (out.cornerNormals.size() != out.faces.size() * 3) out.cornerNormals.clear();
  return true;
}

}  // namespace

ImportResult ReadObj(const char* path, Scene& scene) {
  std::printf("]> - LOADING OBJ [ %s ].\n", path);
  std::string text;
  if (!ReadText(path, text)) return ImportUnreadable(path);
  ImportWarnings warnings(path);
  tinyobj::attrib_t attrib;
  std::vector<tinyobj::shape_t> shapes;
  std::vector<tinyobj::material_t> materials;
  std::string warn, err;
  size_t largestFace = 0;
  const std::string fault = SurveyText(text, largestFace);
  if (!fault.empty()) return ImportRefused(path, fault);
  if (largestFace > kLargestClippedFace) {
    warnings.warn("has a face of " + std::to_string(largestFace) +
                  " corners: faces of more than " + std::to_string(kLargestClippedFace) +
                  " are cut as a fan from their first corner");
    text = LargeFacesAsFans(text);
  }
  TextStream stream(text);
  LibraryBeside libraries(path, warnings);
  if (!tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &stream, &libraries, true,
                        false)) {
    std::printf("]> ** ERROR ** [ %s ] is not an OBJ file that can be read: %s.\n", path,
                err.empty() ? "unknown fault" : err.substr(0, err.find('\n')).c_str());
    return ImportResult::unreadable;
  }

  ImportedScene out;
  for (size_t i = 0; i < materials.size(); ++i)
    out.materials.push_back(MaterialOf(static_cast<int32_t>(i), materials[i], path, warnings));
  int32_t grey = -1;
  Renumbering positions(attrib.vertices.size() / 3), uvs(attrib.texcoords.size() / 2);
  for (const tinyobj::shape_t& shape : shapes) {
    if (!shape.lines.indices.empty() || !shape.points.indices.empty())
      warnings.warn("has lines or points: not carried");
    const tinyobj::mesh_t& mesh = shape.mesh;
    if (mesh.indices.size() != mesh.num_face_vertices.size() * 3 ||
        mesh.material_ids.size() != mesh.num_face_vertices.size()) {
      std::printf("]> ** ERROR ** [ %s ] has faces that cannot be cut into triangles.\n", path);
      out.discard();
      return ImportResult::unreadable;
    }
    std::vector<int> used;
    for (int id : mesh.material_ids)
      if (std::find(used.begin(), used.end(), id) == used.end()) used.push_back(id);
    for (int id : used) {
      ImportedTriangles triangles;
      int32_t material = id;
      if (id < 0 || static_cast<size_t>(id) >= materials.size()) {
        if (grey < 0) {
          const float colour[3] = {0.7f, 0.7f, 0.7f}, none[3] = {0, 0, 0};
          grey = static_cast<int32_t>(out.materials.size());
          out.materials.push_back(ImportedMaterial(grey, colour, 1, none, false, ""));
        }
        material = grey;
      }
      if (!Gather(attrib, mesh, id, positions, uvs, triangles) ||
          !out.addObject(triangles, material, shape.name)) {
        std::printf("]> ** ERROR ** [ %s ] has a face that names a vertex it does not hold.\n",
                    path);
        out.discard();
        return ImportResult::unreadable;
      }
    }
  }
  scene.setParams(ImportedParams(0));
  return out.finish(path, scene);
}
