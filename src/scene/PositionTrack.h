#pragma once
// The animation track of a camera, a light or a moving object: one sample per animation frame,
// index = frame.
// Copies share the samples; only the owning scene's release frees them.
#include <cstdint>
#include <new>

template <typename Frame>
struct PositionTrack {
  Frame* track = nullptr;
  uint32_t trackLength = 0;

  uint32_t getTrackLength() const { return trackLength; }

  // n default-constructed samples. A track already there is freed first: the readers build a
  // track once per camera or light, so nothing else can still refer to the one replaced.
  // If the samples cannot be allocated the track stays empty.
  void setupTrack(uint32_t n) {
    freeTrack();
    track = new (std::nothrow) Frame[n];
    trackLength = track ? n : 0;
  }

  // The sample of frame frameIndex, the track looping at its own length (a negative frame takes
  // the first); null for an empty track.
  const Frame* looped(int32_t frameIndex) const {
    if (trackLength == 0) return nullptr;
    return &track[frameIndex < 0 ? 0 : static_cast<uint32_t>(frameIndex) % trackLength];
  }

  // Unchecked: the caller keeps k below trackLength.
  Frame getSample(uint32_t k) const { return track[k]; }
  void setSample(uint32_t k, const Frame& frame) { track[k] = frame; }

  void freeTrack() {
    delete[] track;
    track = nullptr;
    trackLength = 0;
  }
};
