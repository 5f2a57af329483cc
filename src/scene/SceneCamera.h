#pragma once
#include "scene/PositionTrack.h"
#include "scene/SceneRecords.h"

// A camera: its PositionTrack (track, trackLength) and the static frame used without a track.
struct SceneCamera : PositionTrack<CameraFrame> {
  CameraFrame frame = {{0, 0, 0}, {0, 0, 0}, 0, true};

  CameraFrame getFrame() const { return frame; }
  void setFrame(const CameraFrame& value) { frame = value; }
};
