#pragma once
// How the geometric objects of an ASE export move: each object's transform as exported (its
// NODE_TM, which placed its vertices), its parent, and the keys of its TM_ANIMATION. Once the
// whole file is read they become object tracks: one sample per frame carrying the object from
// where its vertices lie to where it stands.
//
// Position keys are absolute, in the parent's frame. Rotation keys are axis and angle, each
// turning on from the key before it (the first from nothing). Scale keys replace the scale.
// Keys are followed in straight lines (rotations on the sphere), Bezier and TCB ones too.
#include <cstdint>
#include <vector>

class Scene;

struct AseNodeMotion {
  struct Key {
    double frame;   // tick / ticks per frame
    double v[4];    // x y z, or axis x y z and angle, or scale x y z
  };
  char name[256] = {};
  char parent[256] = {};
  double rows[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};  // TM_ROW0..3
  std::vector<Key> positions, rotations, scales;

  bool animated() const { return !positions.empty() || !rotations.empty() || !scales.empty(); }
};

class AseMotion {
 public:
  std::vector<AseNodeMotion> nodes;  // one per geometric object, in slot order

  // Gives a track of lastFrame + 1 samples to every object that moves or whose parent moves,
  // as far as kMostObjectFrames allows (a line says where it stops). path names the file.
  void giveTracks(Scene& scene, const char* path) const;
};
