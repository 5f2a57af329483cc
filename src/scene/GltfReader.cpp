#include "scene/GltfReader.h"

#include <nlohmann/json.hpp>
#include <tiny_gltf.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/Transform.h"

namespace {

// Time of an animation longer than this (one hour) is taken as damage, not a scene.
constexpr double kLongestAnimation = 3600;
// A camera's target sits this far ahead when the scene has nothing to look at.
constexpr float kLoneTargetDistance = 1;
constexpr double kPi = 3.14159265358979323846;
// The most JSON text a file may hold: read whole it costs about five times this, its data: URIs
// decoded included, which keeps the largest file under a gigabyte.
constexpr size_t kLargestJson = 64u << 20;

// The local transform of a node: translation, rotation (x, y, z, w) and scale.
struct Pose {
  double t[3] = {0, 0, 0};
  double r[4] = {0, 0, 0, 1};
  double s[3] = {1, 1, 1};
  bool fixed = false;  // the node gives a whole matrix, which animation cannot change
  Matrix matrix = Identity();

  Matrix toMatrix() const { return fixed ? matrix : Compose(t, r, s); }
};

void TransformPoint(const Matrix& m, const float in[3], float out[3]) {
  for (int r = 0; r < 3; ++r)
    out[r] = static_cast<float>(m[r] * in[0] + m[4 + r] * in[1] + m[8 + r] * in[2] + m[12 + r]);
}

// Normals go through the inverse transpose of the upper 3 x 3, which is its cofactor matrix
// up to a scale that the normalisation removes. Worked out once per transform, not per normal.
struct NormalTransform {
  double cofactor[3][3];

  explicit NormalTransform(const Matrix& m) {
    auto at = [&](int r, int c) { return m[c * 4 + r]; };
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        const int r1 = (r + 1) % 3, r2 = (r + 2) % 3, c1 = (c + 1) % 3, c2 = (c + 2) % 3;
        cofactor[r][c] = at(r1, c1) * at(r2, c2) - at(r1, c2) * at(r2, c1);
      }
  }

  void apply(const float in[3], float out[3]) const {
    double n[3] = {0, 0, 0};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) n[r] += cofactor[r][c] * in[c];
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; ++k) out[k] = length > 0 ? static_cast<float>(n[k] / length) : 0;
  }
};

// One component of type T at p, integers scaled to 0..1 or -1..1 when normalised (glTF does
// not normalise 32-bit integers).
template <typename T>
double Component(const unsigned char* p, bool normalized) {
  T v;
  std::memcpy(&v, p, sizeof v);
  if (std::is_floating_point<T>::value || std::is_same<T, uint32_t>::value || !normalized)
    return v;
  const double top = std::numeric_limits<T>::max();
  return std::is_signed<T>::value ? std::max(v / top, -1.0) : v / top;
}

// The numbers of count elements of `components` components of type T, one element every
// stride bytes from base.
template <typename T>
void Components(const unsigned char* base, uint64_t count, uint64_t stride, int components,
                bool normalized, double* out) {
  for (uint64_t i = 0; i < count; ++i)
    for (int c = 0; c < components; ++c)
      out[i * components + c] = Component<T>(base + i * stride + c * sizeof(T), normalized);
}

// An accessor's elements, `components` numbers per element. False when it names no data, has
// another shape or does not fit inside its buffer: tinygltf leaves those checks to its user.
bool ReadAccessor(const tinygltf::Model& model, int index, int components,
                  std::vector<double>& out) {
  out.clear();
  if (index < 0 || static_cast<size_t>(index) >= model.accessors.size()) return false;
  const tinygltf::Accessor& accessor = model.accessors[index];
  if (accessor.sparse.isSparse || tinygltf::GetNumComponentsInType(accessor.type) != components)
    return false;
  const int type = accessor.componentType;
  if (type != TINYGLTF_COMPONENT_TYPE_FLOAT && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
      type != TINYGLTF_COMPONENT_TYPE_BYTE && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
      type != TINYGLTF_COMPONENT_TYPE_SHORT && type != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT)
    return false;
  if (accessor.bufferView < 0 ||
      static_cast<size_t>(accessor.bufferView) >= model.bufferViews.size())
    return false;
  const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
  if (view.buffer < 0 || static_cast<size_t>(view.buffer) >= model.buffers.size()) return false;
  const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
  const uint64_t size = tinygltf::GetComponentSizeInBytes(type);
  const uint64_t element = size * components;
  const uint64_t stride = view.byteStride ? view.byteStride : element;
  const uint64_t count = accessor.count;
  if (count == 0) return true;
  if (stride < element || (count > 1 && stride > view.byteLength) || count > data.size() ||
      view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset ||
      accessor.byteOffset > view.byteLength ||
      stride * (count - 1) + element > view.byteLength - accessor.byteOffset)
    return false;
  const unsigned char* base = data.data() + view.byteOffset + accessor.byteOffset;
  out.resize(count * components);
  // One loop per component type, so the type is not looked at again for every number.
  const bool n = accessor.normalized;
  switch (type) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
      Components<float>(base, count, stride, components, n, out.data());
      break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
      Components<uint8_t>(base, count, stride, components, n, out.data());
      break;
    case TINYGLTF_COMPONENT_TYPE_BYTE:
      Components<int8_t>(base, count, stride, components, n, out.data());
      break;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
      Components<uint16_t>(base, count, stride, components, n, out.data());
      break;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
      Components<int16_t>(base, count, stride, components, n, out.data());
      break;
    default:  // unsigned int: the only other type let through above
      Components<uint32_t>(base, count, stride, components, n, out.data());
  }
  return true;
}

// One animated property of one node, its keys read and checked once.
struct Channel {
  int node = -1;
  int property = 0;  // 0 translation, 1 rotation, 2 scale
  int components = 3;
  enum { linear, step, cubic } interpolation = linear;
  std::vector<double> times, values;

  // What makes the keys unusable, in words; empty when they are sound: times that are numbers,
  // from 0 to an hour, in order, and values that are numbers.
  std::string fault() const {
    for (size_t k = 0; k < times.size(); ++k) {
      if (!std::isfinite(times[k])) return "whose key times are not all numbers";
      if (times[k] < 0 || times[k] > kLongestAnimation)
      {
        char text[64];
        std::snprintf(text, sizeof text, "with a key at %g s, outside the first hour", times[k]);
        return text;
      }
      if (k > 0 && times[k] < times[k - 1]) return "whose key times are not in order";
    }
    for (double v : values)
      if (!std::isfinite(v)) return "whose values are not all numbers";
    return "";
  }

  // The value at time t, held at the first and last keys. Keys are found by halving, so a
  // long animation costs each frame the logarithm of its keys, not their number.
  void sample(double t, double* out) const {
    const size_t keys = times.size();
    const size_t stride = interpolation == cubic ? 3 : 1;
    auto value = [&](size_t k, size_t part) { return &values[(k * stride + part) * components]; };
    const size_t mid = interpolation == cubic ? 1 : 0;
    // The last key at or before t (the first when t comes before them all).
    const size_t after = static_cast<size_t>(std::upper_bound(times.begin(), times.end(), t) -
                                             times.begin());
    const size_t k = after == 0 ? 0 : after - 1;
    const double* a = value(k, mid);
    if (k + 1 >= keys || t <= times[k] || interpolation == step) {
      std::copy(a, a + components, out);
      return;
    }
    const double dt = times[k + 1] - times[k], s = (t - times[k]) / dt;
    const double* b = value(k + 1, mid);
    if (interpolation == cubic) {
      const double *outTangent = value(k, 2), *inTangent = value(k + 1, 0);
      const double s2 = s * s, s3 = s2 * s;
      for (int c = 0; c < components; ++c)
        out[c] = (2 * s3 - 3 * s2 + 1) * a[c] + (s3 - 2 * s2 + s) * dt * outTangent[c] +
                 (-2 * s3 + 3 * s2) * b[c] + (s3 - s2) * dt * inTangent[c];
    } else if (property == 1) {
      // Rotations turn at an even pace, the short way round, as glTF asks.
      Slerp(a, b, s, out);
    } else {
      for (int c = 0; c < components; ++c) out[c] = a[c] + s * (b[c] - a[c]);
    }
  }
};

class GltfScene {
 public:
  GltfScene(const char* path, const tinygltf::Model& model)
      : path_(path), model_(model), warnings_(path) {}
  // False (with an error line) when the file is not a scene this reader can take.
  bool read(Scene& scene, ImportResult& result);
  void warn(const std::string& what) { warnings_.warn(what); }

 private:
  std::string path_;
  const tinygltf::Model& model_;
  ImportWarnings warnings_;
  ImportedScene out_;
  std::vector<int> parent_, order_;  // each node's parent; the scene's nodes, parents first
  std::vector<char> moves_;          // the node or one of its parents is animated
  std::vector<char> animated_;       // the node itself is animated
  std::vector<Channel> channels_;
  std::vector<int> cameraNodes_, lightNodes_;
  // The objects a moving mesh node became: out_.objects[begin, end).
  struct MovingObject {
    int node;
    size_t begin, end;
  };
  std::vector<MovingObject> movingObjects_;
  std::vector<std::array<double, 6>> uvTransforms_;  // each material's texture transform
  int defaultMaterial_ = -1;
  float centre_[3] = {0, 0, 0};

  bool fail(const std::string& why) {
    std::printf("]> ** ERROR ** [ %s ] %s.\n", path_.c_str(), why.c_str());
    out_.discard();
    return false;
  }
  bool buildHierarchy();
  void readChannels(SceneParams& params);
  Pose restPose(int node) const;
  // Every node's world transform at time t.
  std::vector<Matrix> worldAt(double t) const;
  // The world transforms at time t of the nodes in walk (parents before children), into world.
  void worldAt(double t, const std::vector<int>& walk, std::vector<Matrix>& world) const;
  void readMaterials();
  std::string texturePath(int textureIndex);
  bool readPrimitive(const tinygltf::Primitive& primitive, const Matrix& world,
                     const std::string& name);
  void placeCamera(int node, const Matrix& world, CameraFrame& frame) const;
  void readCamerasAndLights(const std::vector<Matrix>& rest);
  void sampleTracks(const SceneParams& params, const std::vector<Matrix>& rest);
  void findCentre();
};

bool GltfScene::buildHierarchy() {
  const size_t n = model_.nodes.size();
  parent_.assign(n, -1);
  for (size_t i = 0; i < n; ++i)
    for (int child : model_.nodes[i].children) {
      if (child < 0 || static_cast<size_t>(child) >= n || parent_[child] != -1 ||
          size_t(child) == i)
        return fail("has a node hierarchy that is not a tree");
      parent_[child] = static_cast<int>(i);
    }
  std::vector<int> roots;
  const int which = model_.defaultScene >= 0 ? model_.defaultScene : 0;
  if (static_cast<size_t>(which) < model_.scenes.size()) {
    for (int node : model_.scenes[which].nodes)
      if (node >= 0 && static_cast<size_t>(node) < n && parent_[node] == -1) roots.push_back(node);
  } else {
    for (size_t i = 0; i < n; ++i)
      if (parent_[i] == -1) roots.push_back(static_cast<int>(i));
  }
  if (model_.scenes.size() > 1)
    warnings_.warn("holds several scenes: only the default one is carried");
  // Depth first, parents before children. A loop of nodes has no root and is never reached.
  std::vector<int> pending(roots.rbegin(), roots.rend());
  std::vector<char> seen(n, 0);
  while (!pending.empty()) {
    const int node = pending.back();
    pending.pop_back();
    if (seen[node]) continue;
    seen[node] = 1;
    order_.push_back(node);
    const std::vector<int>& children = model_.nodes[node].children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
  }
  return true;
}

void GltfScene::readChannels(SceneParams& params) {
  moves_.assign(model_.nodes.size(), 0);
  animated_.assign(model_.nodes.size(), 0);
  if (model_.animations.empty()) return;
  if (model_.animations.size() > 1)
    warnings_.warn("holds several animations: only the first is carried");
  const tinygltf::Animation& animation = model_.animations[0];
  double length = 0;
  for (const tinygltf::AnimationChannel& source : animation.channels) {
    if (source.target_path == "weights") {
      warnings_.warn("animates morph targets: not carried");
      continue;
    }
    Channel channel;
    channel.node = source.target_node;
    channel.property = source.target_path == "translation" ? 0
                       : source.target_path == "rotation"  ? 1
                       : source.target_path == "scale"     ? 2
                                                           : -1;
    channel.components = channel.property == 1 ? 4 : 3;
    if (channel.property < 0 || channel.node < 0 ||
        static_cast<size_t>(channel.node) >= model_.nodes.size() || source.sampler < 0 ||
        static_cast<size_t>(source.sampler) >= animation.samplers.size()) {
      warnings_.warn("has an animation channel that names nothing this reader knows: not carried");
      continue;
    }
    const tinygltf::AnimationSampler& sampler = animation.samplers[source.sampler];
    channel.interpolation = sampler.interpolation == "STEP"          ? Channel::step
                            : sampler.interpolation == "CUBICSPLINE" ? Channel::cubic
                                                                     : Channel::linear;
    const size_t perKey = channel.interpolation == Channel::cubic ? 3 : 1;
    if (!ReadAccessor(model_, sampler.input, 1, channel.times) || channel.times.empty() ||
        !ReadAccessor(model_, sampler.output, channel.components, channel.values) ||
        channel.values.size() != channel.times.size() * perKey * channel.components) {
      warnings_.warn("has an animation channel whose keys cannot be read: not carried");
      continue;
    }
    const std::string fault = channel.fault();
    if (!fault.empty()) {
      warnings_.warn("has an animation channel " + fault + ": not carried");
      continue;
    }
    if (model_.nodes[channel.node].matrix.size() == 16) {
      warnings_.warn("animates a node given by a matrix: not carried");
      continue;
    }
    length = std::max(length, channel.times.back());
    channels_.push_back(std::move(channel));
  }
  params = ImportedParams(static_cast<int32_t>(std::ceil(length * kImportFrameRate - 1e-6)));
  for (const Channel& channel : channels_) animated_[channel.node] = moves_[channel.node] = 1;
  for (int node : order_)
    if (parent_[node] >= 0 && moves_[parent_[node]]) moves_[node] = 1;
}

std::vector<Matrix> GltfScene::worldAt(double t) const {
  std::vector<Matrix> world(model_.nodes.size(), Identity());
  worldAt(t, order_, world);
  return world;
}

void GltfScene::worldAt(double t, const std::vector<int>& walk, std::vector<Matrix>& world) const {
  for (int node : walk) {
    Pose pose = restPose(node);
    if (animated_[node])
      for (const Channel& channel : channels_)
        if (channel.node == node)
          channel.sample(t, channel.property == 0 ? pose.t : channel.property == 1 ? pose.r : pose.s);
    const Matrix local = pose.toMatrix();
    world[node] = parent_[node] >= 0 ? Multiply(world[parent_[node]], local) : local;
  }
}

Pose GltfScene::restPose(int index) const {
  const tinygltf::Node& node = model_.nodes[index];
  Pose pose;
  if (node.matrix.size() == 16) {
    pose.fixed = true;
    std::copy(node.matrix.begin(), node.matrix.end(), pose.matrix.begin());
  }
  if (node.translation.size() == 3) std::copy(node.translation.begin(), node.translation.end(), pose.t);
  if (node.rotation.size() == 4) std::copy(node.rotation.begin(), node.rotation.end(), pose.r);
  if (node.scale.size() == 3) std::copy(node.scale.begin(), node.scale.end(), pose.s);
  return pose;
}

std::string UrlDecoded(const std::string& uri) {
  std::string text;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(uri[i + 2]))) {
      text += static_cast<char>(std::stoi(uri.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      text += uri[i];
    }
  }
  return text;
}

std::string GltfScene::texturePath(int textureIndex) {
  if (textureIndex < 0) return "";
  if (static_cast<size_t>(textureIndex) >= model_.textures.size() ||
      model_.textures[textureIndex].source < 0 ||
      static_cast<size_t>(model_.textures[textureIndex].source) >= model_.images.size()) {
    warnings_.warn("names a texture that is not in the file: not carried");
    return "";
  }
  const tinygltf::Image& image = model_.images[model_.textures[textureIndex].source];
  if (image.bufferView >= 0 || image.uri.compare(0, 5, "data:") == 0) {
    warnings_.warn(
        "holds its images inside the file: not carried (export the textures as separate files)");
    return "";
  }
  const std::string path = BesideSceneFile(path_, UrlDecoded(image.uri));
  if (path.empty()) warnings_.warn("names a texture outside its own folder: not carried");
  return path;
}

// glTF's sampler wrap modes in the engine's terms.
TextureWrap WrapOf(int mode) {
  return mode == TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE     ? TextureWrap::clamp
         : mode == TINYGLTF_TEXTURE_WRAP_MIRRORED_REPEAT ? TextureWrap::mirror
                                                         : TextureWrap::repeat;
}

// KHR_texture_transform on a texture reference: offset, rotation and scale of its coordinates
// as a 2 x 3 matrix, u' = m[0] u + m[1] v + m[2] and v' = m[3] u + m[4] v + m[5].
std::array<double, 6> UvTransform(const tinygltf::TextureInfo& info) {
  const auto found = info.extensions.find("KHR_texture_transform");
  if (found == info.extensions.end() || !found->second.IsObject()) return {1, 0, 0, 0, 1, 0};
  const tinygltf::Value& t = found->second;
  auto number = [&](const char* key, int i, double fallback) {
    const tinygltf::Value& v = t.Get(key);
    if (i < 0) return v.IsNumber() ? v.GetNumberAsDouble() : fallback;
    return v.IsArray() && v.ArrayLen() > size_t(i) && v.Get(i).IsNumber() ? v.Get(i).GetNumberAsDouble()
                                                                          : fallback;
  };
  const double r = number("rotation", -1, 0), c = std::cos(r), s = std::sin(r);
  const double su = number("scale", 0, 1), sv = number("scale", 1, 1);
  return {c * su, s * sv, number("offset", 0, 0), -s * su, c * sv, number("offset", 1, 0)};
}

void GltfScene::readMaterials() {
  for (size_t i = 0; i < model_.materials.size(); ++i) {
    const tinygltf::Material& source = model_.materials[i];
    const tinygltf::PbrMetallicRoughness& pbr = source.pbrMetallicRoughness;
    float rgba[4] = {1, 1, 1, 1}, emission[3] = {0, 0, 0};
    for (size_t c = 0; c < 4 && c < pbr.baseColorFactor.size(); ++c)
      rgba[c] = static_cast<float>(pbr.baseColorFactor[c]);
    for (size_t c = 0; c < 3 && c < source.emissiveFactor.size(); ++c)
      emission[c] = static_cast<float>(source.emissiveFactor[c]);
    if (pbr.metallicRoughnessTexture.index >= 0 || source.normalTexture.index >= 0 ||
        source.occlusionTexture.index >= 0 || source.emissiveTexture.index >= 0)
      warnings_.warn(
          "has PBR maps (metal and roughness, normal, occlusion, emission): only the base colour "
          "texture is carried");
    const float alpha = source.alphaMode == "BLEND" ? rgba[3] : 1.0f;
    Material material = ImportedMaterial(static_cast<int32_t>(i), rgba, alpha, emission,
                                         source.doubleSided, texturePath(pbr.baseColorTexture.index));
    MaterialLook& look = material.look;
    look.unlit = source.extensions.count("KHR_materials_unlit") > 0;
    if (source.alphaMode == "MASK") {
      // The material stays opaque, so the colour's alpha moves into the cut-off: alpha times
      // the vertex's stands at the cut-off where the vertex's stands at cut-off / alpha. A
      // cut-off of 0 would draw every pixel.
      const double cutoff = std::isfinite(source.alphaCutoff) ? source.alphaCutoff : 0.5;
      const double scaled = rgba[3] > 0 ? cutoff / rgba[3] : 1;
      look.alphaCutoff = static_cast<float>(std::min(1.0, std::max(scaled, 1e-6)));
      if (pbr.baseColorTexture.index >= 0)
        warnings_.warn(
            "masks with its textures' alpha: the engine's textures carry none, so only the "
            "colour's and the vertex colours' alpha is cut");
    }
    const int texture = pbr.baseColorTexture.index;
    if (material.header.mapCount > 0 && static_cast<size_t>(texture) < model_.textures.size()) {
      const int sampler = model_.textures[texture].sampler;
      if (sampler >= 0 && static_cast<size_t>(sampler) < model_.samplers.size()) {
        look.wrap[0] = WrapOf(model_.samplers[sampler].wrapS);
        look.wrap[1] = WrapOf(model_.samplers[sampler].wrapT);
      }
    }
    uvTransforms_.push_back(UvTransform(pbr.baseColorTexture));
    out_.materials.push_back(material);
  }
}

bool GltfScene::readPrimitive(const tinygltf::Primitive& primitive, const Matrix& world,
                              const std::string& name) {
  if (primitive.mode != -1 && primitive.mode != TINYGLTF_MODE_TRIANGLES) {
    warnings_.warn("has points, lines or triangle strips: not carried");
    return true;
  }
  if (!primitive.targets.empty()) warnings_.warn("has morph targets: not carried");
  const bool hasMaterial =
      primitive.material >= 0 && static_cast<size_t>(primitive.material) < model_.materials.size();
  const int uvSet =
      hasMaterial
          ? model_.materials[primitive.material].pbrMetallicRoughness.baseColorTexture.texCoord
          : 0;
  for (const auto& attribute : primitive.attributes) {
    const std::string& key = attribute.first;
    if (key.compare(0, 6, "JOINTS") == 0 || key.compare(0, 7, "WEIGHTS") == 0)
      warnings_.warn("has skinning: not carried");
    else if (key.compare(0, 6, "COLOR_") == 0 && key != "COLOR_0")
      warnings_.warn("has more than one set of vertex colours: only the first is carried");
    else if (key.compare(0, 9, "TEXCOORD_") == 0 && key != "TEXCOORD_" + std::to_string(uvSet))
      warnings_.warn(
          "has more than one set of texture coordinates: only the base colour's is carried");
  }
  auto find = [&](const std::string& key) {
    const auto it = primitive.attributes.find(key);
    return it == primitive.attributes.end() ? -1 : it->second;
  };
  std::vector<double> positions, normals, uvs, indices, colours;
  if (!ReadAccessor(model_, find("POSITION"), 3, positions))
    return fail("has a mesh whose positions cannot be read");
  const size_t vertexCount = positions.size() / 3;
  const int normalAccessor = find("NORMAL"), uvAccessor = find("TEXCOORD_" + std::to_string(uvSet));
  if (normalAccessor >= 0 &&
      (!ReadAccessor(model_, normalAccessor, 3, normals) || normals.size() != positions.size()))
    return fail("has a mesh whose normals cannot be read");
  // A normal of NaN would come out of the transform as a zero one, without a word.
  if (!std::all_of(normals.begin(), normals.end(), [](double v) { return std::isfinite(v); }))
    return fail("has a mesh" + (name.empty() ? "" : " (\"" + name + "\")") +
                " whose normals are not all finite numbers");
  if (uvAccessor >= 0 &&
      (!ReadAccessor(model_, uvAccessor, 2, uvs) || uvs.size() / 2 != vertexCount))
    return fail("has a mesh whose texture coordinates cannot be read");
  const int colourAccessor = find("COLOR_0");
  if (colourAccessor >= 0 &&
      !((ReadAccessor(model_, colourAccessor, 4, colours) && colours.size() == vertexCount * 4) ||
        (ReadAccessor(model_, colourAccessor, 3, colours) && colours.size() == vertexCount * 3)))
    return fail("has a mesh whose vertex colours cannot be read");
  if (primitive.indices >= 0) {
    if (!ReadAccessor(model_, primitive.indices, 1, indices))
      return fail("has a mesh whose indices cannot be read");
  } else {
    for (size_t i = 0; i < vertexCount; ++i) indices.push_back(static_cast<double>(i));
  }
  if (indices.size() % 3 != 0) return fail("has a mesh whose triangles are not whole");

  ImportedTriangles mesh;
  mesh.positions.resize(positions.size());
  for (size_t i = 0; i < vertexCount; ++i) {
    const float p[3] = {float(positions[i * 3]), float(positions[i * 3 + 1]),
                        float(positions[i * 3 + 2])};
    TransformPoint(world, p, &mesh.positions[i * 3]);
  }
  // A mirroring transform turns the triangles inside out; their corners swap back.
  const bool mirrored = Determinant3(world) < 0;
  mesh.faces.reserve(indices.size());
  for (size_t f = 0; f < indices.size(); f += 3)
    for (int k : {0, mirrored ? 2 : 1, mirrored ? 1 : 2}) {
      const double index = indices[f + k];
      if (!(index >= 0 && index < double(vertexCount)))
        return fail("has a mesh index beyond its vertices");
      mesh.faces.push_back(static_cast<uint32_t>(index));
    }
  if (!uvs.empty()) {
    mesh.uvFaces = mesh.faces;
    mesh.uvs.resize(uvs.size());
    // The material's texture transform is the same for every corner: it goes into them here.
    const std::array<double, 6> m =
        hasMaterial ? uvTransforms_[primitive.material] : std::array<double, 6>{1, 0, 0, 0, 1, 0};
    for (size_t i = 0; i < uvs.size(); i += 2) {
      const double u = m[0] * uvs[i] + m[1] * uvs[i + 1] + m[2];
      const double v = m[3] * uvs[i] + m[4] * uvs[i + 1] + m[5];
      mesh.uvs[i] = static_cast<float>(u);
      mesh.uvs[i + 1] = static_cast<float>(v - 1);  // origin from the top to the bottom, negated
    }
  }
  if (!colours.empty()) {
    mesh.colours.resize(vertexCount * 4);
    const size_t channels = colours.size() / vertexCount;  // 3 or 4
    for (size_t i = 0; i < vertexCount; ++i)
      for (size_t c = 0; c < 4; ++c)
        mesh.colours[i * 4 + c] = c < channels ? static_cast<float>(colours[i * channels + c]) : 1.0f;
  }
  if (!normals.empty()) {
    // Each vertex's normal is turned once; the corners that share the vertex copy it.
    const NormalTransform turn(world);
    std::vector<float> turned(normals.size());
    for (size_t i = 0; i < vertexCount; ++i) {
      const float n[3] = {float(normals[i * 3]), float(normals[i * 3 + 1]),
                          float(normals[i * 3 + 2])};
      turn.apply(n, &turned[i * 3]);
    }
    mesh.cornerNormals.resize(mesh.faces.size() * 3);
    for (size_t i = 0; i < mesh.faces.size(); ++i)
      for (int c = 0; c < 3; ++c) mesh.cornerNormals[i * 3 + c] = turned[mesh.faces[i] * 3 + c];
  }
  int32_t material = primitive.material;
  if (!hasMaterial) {
    // glTF draws a primitive without a material in plain white.
    if (defaultMaterial_ < 0) {
      const float white[3] = {1, 1, 1}, none[3] = {0, 0, 0};
      defaultMaterial_ = static_cast<int>(out_.materials.size());
      out_.materials.push_back(ImportedMaterial(defaultMaterial_, white, 1, none, false, ""));
    }
    material = defaultMaterial_;
  }
  if (!out_.addObject(mesh, material, name)) return fail("has a mesh too large to hold");
  return true;
}

void GltfScene::findCentre() {
  float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  bool any = false;
  for (const SceneObject& object : out_.objects)
    for (uint32_t i = 0; i < object.vertexCount; ++i)
      for (int c = 0; c < 3; ++c) {
        const float v = object.vertices[i].position[c];
        low[c] = any ? std::min(low[c], v) : v;
        high[c] = any ? std::max(high[c], v) : v;
        any = any || c == 2;
      }
  for (int c = 0; c < 3; ++c) centre_[c] = (low[c] + high[c]) / 2;
}

// A glTF camera looks down -Z of its node. The engine wants a point to look at: it goes on that
// line as far ahead as the centre of the scene is, so the target is where a modeller's target
// camera would have its target, and the look itself does not depend on the distance.
void GltfScene::placeCamera(int node, const Matrix& world, CameraFrame& frame) const {
  const float origin[3] = {0, 0, 0};
  TransformPoint(world, origin, frame.position);
  Matrix direction = world;
  direction[12] = direction[13] = direction[14] = 0;
  const float ahead[3] = {0, 0, -1};
  float forward[3];
  TransformPoint(direction, ahead, forward);
  const double length =
      std::sqrt(forward[0] * forward[0] + forward[1] * forward[1] + forward[2] * forward[2]);
  double distance = 0;
  for (int c = 0; c < 3; ++c)
    distance += (centre_[c] - frame.position[c]) * (centre_[c] - frame.position[c]);
  distance = std::sqrt(distance);
  if (!(distance > 1e-3)) distance = kLoneTargetDistance;
  for (int c = 0; c < 3; ++c)
    frame.target[c] = static_cast<float>(frame.position[c] + (length > 0 ? forward[c] / length
                                                              : c == 2   ? -1
                                                                         : 0) *
                                                                 distance);
  const tinygltf::Camera& camera = model_.cameras[model_.nodes[node].camera];
  frame.fov = camera.type == "perspective" ? static_cast<float>(camera.perspective.yfov * 180 / kPi)
                                           : 45.0f;
}

int LightOf(const tinygltf::Node& node) {
  const auto it = node.extensions.find("KHR_lights_punctual");
  if (it == node.extensions.end() || !it->second.IsObject()) return -1;
  const tinygltf::Value& light = it->second.Get("light");
  return light.IsNumber() ? light.GetNumberAsInt() : -1;
}

// Where a light or camera node points: its -Z, in the world.
void AimOf(const Matrix& world, float out[3]) {
  double d[3];
  for (int r = 0; r < 3; ++r) d[r] = -world[8 + r];
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  for (int r = 0; r < 3; ++r) out[r] = length > 0 ? static_cast<float>(d[r] / length) : (r == 2 ? -1.0f : 0.0f);
}

void GltfScene::readCamerasAndLights(const std::vector<Matrix>& rest) {
  for (int node : order_) {
    const tinygltf::Node& source = model_.nodes[node];
    if (source.camera >= 0 && static_cast<size_t>(source.camera) < model_.cameras.size()) {
      if (model_.cameras[source.camera].type != "perspective")
        warnings_.warn("has orthographic cameras: drawn in perspective");
      cameraNodes_.push_back(node);
    }
    const int light = LightOf(source);
    if (light < 0 || static_cast<size_t>(light) >= model_.lights.size()) continue;
    const std::string& type = model_.lights[light].type;
    if (type != "point" && type != "directional" && type != "spot") {
      warnings_.warn("has lights of a kind this reader does not know: not carried");
      continue;
    }
    lightNodes_.push_back(node);
  }
  if (lightNodes_.size() > size_t(kSceneLightSlots))
    warnings_.warn("has more than six lights: the ones after the sixth are not lit");
  for (int node : cameraNodes_) {
    SceneCamera camera;
    camera.frame.filled = false;
    placeCamera(node, rest[node], camera.frame);
    out_.cameras.push_back(camera);
  }
  for (int node : lightNodes_) {
    SceneLight light;
    const tinygltf::Light& source = model_.lights[LightOf(model_.nodes[node])];
    light.frame.lightNumber = static_cast<int32_t>(out_.lights.size());
    // glTF's intensity scales the colour; points and spots fade with the square of the
    // distance, as glTF defines their candela.
    const float intensity = static_cast<float>(source.intensity);
    for (size_t c = 0; c < 3; ++c)
      light.frame.color[c] =
          (c < source.color.size() ? static_cast<float>(source.color[c]) : 1.0f) * intensity;
    const float origin[3] = {0, 0, 0};
    TransformPoint(rest[node], origin, light.frame.position);
    if (source.type == "directional") {
      light.shape.kind = LightKind::directional;
    } else {
      light.shape.attenuation[0] = 0;
      light.shape.attenuation[2] = 1;
      if (source.type == "spot")
        ShapeSpot(light.shape, static_cast<float>(source.spot.innerConeAngle * 180 / kPi),
                  static_cast<float>(source.spot.outerConeAngle * 180 / kPi));
    }
    if (source.range > 0) warnings_.warn("has lights with a range: they reach beyond it");
    AimOf(rest[node], light.shape.direction);
    out_.lights.push_back(light);
  }
}

// Tracks only for what moves, one sample per frame, like a modeller's export: cameras, the
// lights that are lit, and moving objects as far as kMostObjectFrames allows. Each frame works
// out only the nodes that tracks follow and their parents.
void GltfScene::sampleTracks(const SceneParams& params, const std::vector<Matrix>& rest) {
  if (channels_.empty()) return;
  const uint32_t samples = static_cast<uint32_t>(params.lastFrame) + 1;
  std::vector<char> needed(model_.nodes.size(), 0);
  for (size_t i = 0; i < cameraNodes_.size(); ++i)
    if (moves_[cameraNodes_[i]]) {
      out_.cameras[i].setupTrack(samples);
      needed[cameraNodes_[i]] = 1;
    }
  for (size_t i = 0; i < lightNodes_.size() && i < size_t(kSceneLightSlots); ++i)
    if (moves_[lightNodes_[i]]) {
      out_.lights[i].setupTrack(samples);
      if (out_.lights[i].shape.kind != LightKind::point) out_.lights[i].aims.setupTrack(samples);
      needed[lightNodes_[i]] = 1;
    }
  uint64_t objectSamples = 0;
  std::vector<Matrix> restInverse(movingObjects_.size());
  std::vector<size_t> tracked;  // the moving objects given tracks
  for (size_t m = 0; m < movingObjects_.size(); ++m) {
    const MovingObject& moving = movingObjects_[m];
    if (!Invert(rest[moving.node], restInverse[m])) {
      warnings_.warn("scales a moving object to nothing at the start: it keeps its first pose");
      continue;
    }
    const uint64_t more = uint64_t(samples) * (moving.end - moving.begin);
    if (objectSamples + more > kMostObjectFrames) {
      warnings_.warn("moves more objects for longer than a scene holds (" +
                     std::to_string(kMostObjectFrames) +
                     " object frames): the ones past it keep their first pose");
      break;
    }
    objectSamples += more;
    for (size_t o = moving.begin; o < moving.end; ++o) out_.objects[o].motion.setupTrack(samples);
    needed[moving.node] = 1;
    tracked.push_back(m);
  }
  // Parents come before their children in order_: walking it backwards marks every ancestor.
  for (auto it = order_.rbegin(); it != order_.rend(); ++it)
    if (needed[*it] && parent_[*it] >= 0) needed[parent_[*it]] = 1;
  std::vector<int> walk;
  for (int node : order_)
    if (needed[node]) walk.push_back(node);

  std::vector<Matrix> world(model_.nodes.size(), Identity());
  for (uint32_t k = 0; k < samples; ++k) {
    worldAt(static_cast<double>(k) / kImportFrameRate, walk, world);
    for (size_t i = 0; i < cameraNodes_.size(); ++i) {
      SceneCamera& camera = out_.cameras[i];
      if (k >= camera.trackLength) continue;
      CameraFrame frame;
      placeCamera(cameraNodes_[i], world[cameraNodes_[i]], frame);
      frame.filled = true;
      camera.setSample(k, frame);
    }
    for (size_t i = 0; i < lightNodes_.size() && i < size_t(kSceneLightSlots); ++i) {
      SceneLight& light = out_.lights[i];
      if (k >= light.trackLength) continue;
      LightFrame frame;
      const float origin[3] = {0, 0, 0};
      TransformPoint(world[lightNodes_[i]], origin, frame.position);
      light.setSample(k, frame);
      if (k >= light.aims.trackLength) continue;
      LightAim aim;
      AimOf(world[lightNodes_[i]], aim.direction);
      light.aims.setSample(k, aim);
    }
    for (size_t m : tracked) {
      const MovingObject& moving = movingObjects_[m];
      if (k >= out_.objects[moving.begin].motion.trackLength) continue;
      // From where the vertices were placed (the first frame's pose) to this frame's.
      const Matrix place = Multiply(world[moving.node], restInverse[m]);
      ObjectFrame frame;
      for (int e = 0; e < 16; ++e) frame.matrix[e] = static_cast<float>(place[e]);
      for (size_t o = moving.begin; o < moving.end; ++o) out_.objects[o].motion.setSample(k, frame);
    }
  }
}

// The extensions this reader carries.
bool Known(const std::string& extension) {
  for (const char* known : {"KHR_lights_punctual", "KHR_mesh_quantization", "KHR_materials_unlit",
                            "KHR_texture_transform"})
    if (extension == known) return true;
  return false;
}

bool GltfScene::read(Scene& scene, ImportResult& result) {
  for (const std::string& extension : model_.extensionsRequired)
    if (!Known(extension))
      return fail("needs the extension " + extension + ", which this reader does not know");
  for (const std::string& extension : model_.extensionsUsed)
    if (!Known(extension)) warnings_.warn("uses the extension " + extension + ": not carried");
  if (!model_.skins.empty()) warnings_.warn("has skinning: not carried");
  if (!buildHierarchy()) return false;
  SceneParams params = ImportedParams(0);
  readChannels(params);
  readMaterials();
  // Vertices lie where the first frame puts them; a moving object's track carries it from there.
  const std::vector<Matrix> world = worldAt(0);
  for (int node : order_) {
    const tinygltf::Node& source = model_.nodes[node];
    if (source.mesh < 0 || static_cast<size_t>(source.mesh) >= model_.meshes.size()) continue;
    const tinygltf::Mesh& mesh = model_.meshes[source.mesh];
    const std::string name = source.name.empty() ? mesh.name : source.name;
    const size_t first = out_.objects.size();
    for (const tinygltf::Primitive& primitive : mesh.primitives)
      if (!readPrimitive(primitive, world[node], name)) return false;
    if (moves_[node] && out_.objects.size() > first)
      movingObjects_.push_back({node, first, out_.objects.size()});
  }
  findCentre();
  readCamerasAndLights(world);
  sampleTracks(params, world);
  scene.setParams(params);
  result = out_.finish(path_.c_str(), scene);
  return true;
}

// tinygltf reads the buffers and images a file names through these, so that every read goes
// through the engine's own file access and none leads out of the scene's folder.
bool Exists(const std::string& path, void*) {
  return !BesideSceneFile("", path).empty() && ExamineFile(path.c_str()).kind == FileKind::regular;
}
std::string AsGiven(const std::string& path, void*) { return path; }
bool ReadAll(std::vector<unsigned char>* out, std::string* err, const std::string& path, void*) {
  if (ReadWholeFile(path.c_str(), ReadLimit::kAse, *out)) return true;
  if (err) *err = "cannot be read";
  return false;
}
// Images are carried by name only, never decoded here.
bool KeepImageName(tinygltf::Image*, const int, std::string*, std::string*, int, int,
                   const unsigned char*, int, void*) {
  return true;
}

// The JSON text of a file: the whole of a .gltf, the first chunk of a .glb; empty when a .glb's
// header is damaged (tinygltf then says why).
std::string_view JsonOf(const std::vector<unsigned char>& bytes, bool binary) {
  const char* text = reinterpret_cast<const char*>(bytes.data());
  if (!binary) return std::string_view(text, bytes.size());
  uint32_t length = 0;
  if (bytes.size() < 20) return {};
  std::memcpy(&length, bytes.data() + 12, 4);
  return length <= bytes.size() - 20 ? std::string_view(text + 20, length) : std::string_view();
}

// What tinygltf would read without a word: a byte offset or stride that is not a whole number
// (-4, 2.5, 1e3) it takes as 0, so another part of the buffer is read. Empty when there is none.
std::string FirstBadByteCount(std::string_view json) {
  for (const char* key : {"\"byteOffset\"", "\"byteStride\""}) {
    for (size_t at = json.find(key); at != std::string_view::npos; at = json.find(key, at + 1)) {
      size_t p = at + std::strlen(key);
      auto blanks = [&] {
        while (p < json.size() && std::strchr(" \t\r\n", json[p]) && json[p]) ++p;
      };
      blanks();
      if (p >= json.size() || json[p] != ':') continue;  // a string that reads so, not a key
      ++p;
      blanks();
      const size_t start = p;
      while (p < json.size() && std::isdigit(static_cast<unsigned char>(json[p]))) ++p;
      if (p > start && (p >= json.size() || !std::strchr(".eE", json[p]) || !json[p])) continue;
      size_t stop = p;
      while (stop < json.size() && !std::strchr(",}] \t\r\n", json[stop]) && stop - start < 24)
        ++stop;
      return "has a " + std::string(key + 1, std::strlen(key) - 2) + " of " +
             std::string(json.substr(start, stop - start)) + ", not a whole number of bytes";
    }
  }
  return "";
}

// Why a file cannot be taken before tinygltf reads it, or empty.
std::string RefusedBeforeReading(const std::vector<unsigned char>& bytes, bool binary) {
  if (binary && bytes.size() >= 8) {
    uint32_t version = 0;
    std::memcpy(&version, bytes.data() + 4, 4);
    if (version != 2)
      return "is a binary glTF of version " + std::to_string(version) + ": only 2 is read";
  }
  const std::string_view json = JsonOf(bytes, binary);
  if (json.size() > kLargestJson)
    return "holds " + std::to_string(json.size() >> 20) + " MB of JSON text, more than the " +
           std::to_string(kLargestJson >> 20) +
           " MB this reader takes: keep the buffers in .bin files or in a .glb's binary chunk";
  return FirstBadByteCount(json);
}

// A node's own transform with a number beyond a float's range, or empty. JSON holds no NaN and
// tinygltf refuses what overflows a double, but a rotation of 1e300 would be normalised into no
// rotation at all, and a translation of 1e300 would place everything under it at infinity.
std::string FirstImpossibleTransform(const tinygltf::Model& model) {
  for (size_t i = 0; i < model.nodes.size(); ++i) {
    const tinygltf::Node& node = model.nodes[i];
    for (const std::vector<double>* values :
         {&node.translation, &node.rotation, &node.scale, &node.matrix})
      for (double v : *values)
        if (!(std::fabs(v) <= FLT_MAX)) {
          char number[32];
          std::snprintf(number, sizeof number, "%g", v);
          return "has a node (" + std::to_string(i) +
                 (node.name.empty() ? "" : " \"" + node.name + "\"") + ") whose transform holds " +
                 number + ", beyond a float's range";
        }
  }
  return "";
}

std::string FirstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  while (!line.empty() && (line.back() == '.' || line.back() == ' ')) line.pop_back();
  return line.empty() ? "unknown fault" : line;
}

}  // namespace

uint32_t LoadLittleEndian(const unsigned char* b) {
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

// Channels of KHR_animation_pointer (Blender writes them for a camera's field of view or a
// light's colour) name no node, and the glTF library refuses a whole file for that. They are
// taken out of the JSON before it is read; the answer is how many.
size_t DropPointerChannels(std::string& json) {
  if (json.find("KHR_animation_pointer") == std::string::npos) return 0;
  nlohmann::json doc = nlohmann::json::parse(json, nullptr, false);
  if (doc.is_discarded() || !doc.is_object() || !doc.contains("animations") ||
      !doc["animations"].is_array())
    return 0;
  size_t dropped = 0;
  for (nlohmann::json& animation : doc["animations"]) {
    if (!animation.is_object() || !animation.contains("channels") ||
        !animation["channels"].is_array())
      continue;
    nlohmann::json kept = nlohmann::json::array();
    for (nlohmann::json& channel : animation["channels"]) {
      const bool pointer = channel.is_object() && channel.contains("target") &&
                           channel["target"].is_object() &&
                           channel["target"].value("path", std::string()) == "pointer";
      if (pointer)
        ++dropped;
      else
        kept.push_back(std::move(channel));
    }
    animation["channels"] = std::move(kept);
  }
  if (dropped > 0) json = doc.dump();
  return dropped;
}

// The same for a binary file's JSON chunk, the file put back together around it.
size_t DropPointerChannels(std::vector<unsigned char>& glb) {
  if (glb.size() < 20) return 0;
  const uint32_t length = LoadLittleEndian(&glb[12]);
  if (std::memcmp(&glb[16], "JSON", 4) != 0 || length > glb.size() - 20) return 0;
  std::string json(glb.begin() + 20, glb.begin() + 20 + length);
  const size_t dropped = DropPointerChannels(json);
  if (dropped == 0) return 0;
  json.append((4 - json.size() % 4) % 4, ' ');  // chunks end on four-byte bounds
  std::vector<unsigned char> rebuilt(glb.begin(), glb.begin() + 12);
  const uint32_t jsonLength = static_cast<uint32_t>(json.size());
  for (int k = 0; k < 4; ++k) rebuilt.push_back(static_cast<unsigned char>(jsonLength >> (8 * k)));
  rebuilt.insert(rebuilt.end(), {'J', 'S', 'O', 'N'});
  rebuilt.insert(rebuilt.end(), json.begin(), json.end());
  rebuilt.insert(rebuilt.end(), glb.begin() + 20 + length, glb.end());
  const uint32_t total = static_cast<uint32_t>(rebuilt.size());
  for (int k = 0; k < 4; ++k) rebuilt[8 + k] = static_cast<unsigned char>(total >> (8 * k));
  glb.swap(rebuilt);
  return dropped;
}

ImportResult ReadGltf(const char* path, Scene& scene) {
  std::printf("]> - LOADING glTF [ %s ].\n", path);
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(path, ReadLimit::kAse, bytes)) return ImportUnreadable(path);
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImageName, nullptr);
  loader.SetFsCallbacks({Exists, AsGiven, ReadAll, nullptr, nullptr});
  const std::string text(path);
  const size_t slash = text.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : text.substr(0, slash);
  tinygltf::Model model;
  std::string err, warn;
  const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
  const std::string refused = RefusedBeforeReading(bytes, binary);
  if (!refused.empty()) return ImportRefused(path, refused);
  size_t pointers = 0;
  if (binary) {
    pointers = DropPointerChannels(bytes);
  } else {
    std::string json(bytes.begin(), bytes.end());
    pointers = DropPointerChannels(json);
    if (pointers > 0) bytes.assign(json.begin(), json.end());
  }
  const bool loaded =
      bytes.size() <= UINT32_MAX &&
      (binary ? loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(),
                                            static_cast<unsigned>(bytes.size()), folder)
              : loader.LoadASCIIFromString(&model, &err, &warn,
                                           reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<unsigned>(bytes.size()), folder));
  if (!loaded)
    return ImportRefused(path, "is not a glTF 2.0 file that can be read: " + FirstLine(err));
  const std::string impossible = FirstImpossibleTransform(model);
  if (!impossible.empty()) return ImportRefused(path, impossible);
  ImportResult result = ImportResult::unreadable;
  GltfScene reader(path, model);
  if (pointers > 0)
    reader.warn(
        "animates properties through KHR_animation_pointer (a camera's field of view, a light's "
        "colour or strength...): not carried; their first values stay");
  return reader.read(scene, result) ? result : ImportResult::unreadable;
}
