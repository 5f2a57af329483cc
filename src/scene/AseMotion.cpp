#include "scene/AseMotion.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "scene/Scene.h"
#include "scene/Transform.h"

namespace {

// The file's frame (z up) to the engine's: (x, y, z) becomes (x, z, -y); and back.
const Matrix kToEngine = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
const Matrix kFromEngine = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};

// NODE_TM's rows are the images of the node's axes and its origin: the matrix's columns.
Matrix RestOf(const AseNodeMotion& node) {
  Matrix m = Identity();
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r) m[c * 4 + r] = node.rows[c][r];
  return m;
}

// The key before frame f (the first when f comes before them all) and how far f is on to the
// next one, 0..1; keys are in file order, frames rising.
size_t KeyAt(const std::vector<AseNodeMotion::Key>& keys, double f, size_t& from, double& s) {
  while (from + 1 < keys.size() && keys[from + 1].frame <= f) ++from;
  const AseNodeMotion::Key& a = keys[from];
  s = 0;
  if (from + 1 < keys.size() && f > a.frame) {
    const double span = keys[from + 1].frame - a.frame;
    s = span > 0 ? (f - a.frame) / span : 1;
  }
  return from;
}

// Where one node stands at each frame, worked out frame by frame in rising order.
class NodeTrack {
 public:
  NodeTrack(const AseNodeMotion& node, const Matrix& localRest) : node_(node), local_(localRest) {
    Decompose(localRest, t_, r_, s_);
    // A rotation key turns on from the one before it: the turns are summed once, here.
    double turn[4] = {0, 0, 0, 1};
    for (const AseNodeMotion::Key& key : node.rotations) {
      // The file's angle turns the other way round its axis from a quaternion's.
      double step[4], sum[4];
      AxisAngle(key.v, -key.v[3], step);
      QuaternionProduct(turn, step, sum);
      std::copy(sum, sum + 4, turn);
      turns_.push_back({sum[0], sum[1], sum[2], sum[3]});
    }
  }

  Matrix localAt(double f) {
    if (!node_.animated()) return local_;
    double t[3] = {t_[0], t_[1], t_[2]}, r[4] = {r_[0], r_[1], r_[2], r_[3]},
           s[3] = {s_[0], s_[1], s_[2]};
    double blend;
    if (!node_.positions.empty()) {
      const size_t k = KeyAt(node_.positions, f, position_, blend);
      Lerp(node_.positions, k, blend, t);
    }
    if (!node_.rotations.empty()) {
      const size_t k = KeyAt(node_.rotations, f, rotation_, blend);
      const std::array<double, 4>& a = turns_[k];
      const std::array<double, 4>& b = turns_[k + 1 < turns_.size() ? k + 1 : k];
      Slerp(a.data(), b.data(), blend, r);
    }
    if (!node_.scales.empty()) {
      const size_t k = KeyAt(node_.scales, f, scale_, blend);
      Lerp(node_.scales, k, blend, s);
    }
    return Compose(t, r, s);
  }

 private:
  static void Lerp(const std::vector<AseNodeMotion::Key>& keys, size_t k, double s, double* out) {
    const double* a = keys[k].v;
    const double* b = keys[k + 1 < keys.size() ? k + 1 : k].v;
    for (int c = 0; c < 3; ++c) out[c] = a[c] + s * (b[c] - a[c]);
  }

  const AseNodeMotion& node_;
  Matrix local_;
  double t_[3], r_[4], s_[3];
  std::vector<std::array<double, 4>> turns_;
  size_t position_ = 0, rotation_ = 0, scale_ = 0;
};

}  // namespace

void AseMotion::giveTracks(Scene& scene, const char* path) const {
  const size_t count = std::min<size_t>(nodes.size(), scene.objectsReady ? scene.objectCount : 0);
  const int32_t lastFrame = scene.params.lastFrame;
  if (count == 0 || lastFrame < 0) return;
  const uint64_t samples = static_cast<uint64_t>(lastFrame) + 1;
  // A parent is a node named before its child: a name met later, or none, leaves it a root. A
  // node flat in its transform cannot be undone to its vertices: it stays, and so do children
  // that only it moved.
  std::vector<int> parent(count, -1);
  std::vector<Matrix> rest(count), restInverse(count, Identity());
  std::vector<size_t> walk;  // the tracked nodes, parents first
  std::vector<NodeTrack> tracks;
  tracks.reserve(count);
  bool flatTold = false;
  for (size_t i = 0; i < count; ++i) {
    for (size_t p = 0; p < i && nodes[i].parent[0]; ++p)
      if (std::strcmp(nodes[p].name, nodes[i].parent) == 0) parent[i] = static_cast<int>(p);
    rest[i] = RestOf(nodes[i]);
    Matrix parentInverse = Identity();
    if (parent[i] >= 0) Invert(rest[parent[i]], parentInverse);
    tracks.emplace_back(nodes[i], Multiply(parentInverse, rest[i]));
    const bool parentMoves = parent[i] >= 0 && scene.objects[parent[i]].motion.trackLength > 0;
    if (!nodes[i].animated() && !parentMoves) continue;
    if (!Invert(rest[i], restInverse[i])) {
      if (!flatTold)
        std::printf("]> ** WARNING ** [ %s ] an object is flat in its node transform: it keeps "
                    "its place.\n", path);
      flatTold = true;
      continue;
    }
    if ((walk.size() + 1) * samples > kMostObjectFrames) {
      std::printf("]> ** WARNING ** [ %s ] moves more objects for longer than a scene holds "
                  "(%llu object frames): objects from %zu on keep their place.\n",
                  path, static_cast<unsigned long long>(kMostObjectFrames), i);
      break;
    }
    scene.objects[i].motion.setupTrack(static_cast<uint32_t>(samples));
    if (scene.objects[i].motion.trackLength > 0) walk.push_back(i);
  }
  std::vector<Matrix> world(rest);
  for (uint64_t k = 0; k < samples && !walk.empty(); ++k)
    for (size_t i : walk) {
      const Matrix local = tracks[i].localAt(static_cast<double>(k));
      world[i] = parent[i] >= 0 ? Multiply(world[parent[i]], local) : local;
      // In the engine's frame: from where the vertices lie to where the node stands now.
      const Matrix place =
          Multiply(kToEngine, Multiply(world[i], Multiply(restInverse[i], kFromEngine)));
      ObjectFrame frame;
      for (int e = 0; e < 16; ++e) frame.matrix[e] = static_cast<float>(place[e]);
      scene.objects[i].motion.setSample(static_cast<uint32_t>(k), frame);
    }
}
