#pragma once
// The box a scene's geometry fills, and the eye that sees all of it: what a scene without a
// camera is framed with when its manifest line asks, and what the converter tells of a scene.
#include "scene/SceneRecords.h"

class Scene;

// The fixed point a scene without a camera is seen from, looking at the origin.
constexpr float kDefaultEye[3] = {0, 50, 80};

// The window's projection: its near and far planes.
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 50000.0f;

struct SceneBounds {
  float min[3] = {0, 0, 0};
  float max[3] = {0, 0, 0};
  bool empty = true;  // no vertex yet: min and max mean nothing

  void add(const float point[3]);
  void centre(float out[3]) const;
  // Half the box's diagonal: the radius of the sphere around the centre that holds it.
  float radius() const;
};

// Every vertex of every object, as stored (the scene files hold world positions).
SceneBounds MeshBounds(const Scene& scene);

// The eye that sees the whole box with a vertical field of view of fovDegrees and a picture of
// aspect (width / height): it looks at the box's centre from the direction of kDefaultEye, far
// enough back for the sphere around the box to fit in the view. An empty box, or a field of
// view or aspect that shows nothing, gives the fixed eye at kDefaultEye.
CameraFrame FramingEye(const SceneBounds& bounds, float fovDegrees, float aspect);

// All eight corners of the box lie in the view of eye (its position, target and fov, up along
// y as the renderer looks) with a picture of aspect, between the near and far planes.
bool BoundsInView(const SceneBounds& bounds, const CameraFrame& eye, float aspect);

// How much of a picture of aspect the rectangle around the box's corners covers as eye sees
// it, 0 to 1: how large the scene shows through a camera.
float BoundsPictureShare(const SceneBounds& bounds, const CameraFrame& eye, float aspect);
