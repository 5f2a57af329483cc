// The seek: back to the start-up state, then the frames before the target replayed without
// drawing on a clock of its own, which moves only as a frame loop would move the real one.
#include <cstdint>
#include <cstdlib>

#include "effects/LayerSlot.h"
#include "platform/Clock.h"
#include "platform/GLWindow.h"
#include "platform/MusicPlayer.h"
#include "platform/Random.h"
#include "render/AquaDeformation.h"
#include "render/Renderer.h"
#include "render/SceneRenderer.h"
#include "scene/Scene.h"
#include "timeline/Timeline.h"

namespace {

// Counts in the units of the clock it stands in for, so the timers started or reset during the
// replay read right on that clock afterwards. Frame `frames` of the replay starts at the count the
// replaced clock shows now: the run goes on from there.
class ReplayClock : public ClockSource {
 public:
  ReplayClock(ClockSource& base, int framesPerSecond, int64_t frames) : m_fps(framesPerSecond) {
    m_hasCounter = base.Frequency(m_perSecond) && m_perSecond > 0;
    if (!m_hasCounter) m_perSecond = 1000;  // the tick count, in milliseconds
    const int64_t now = m_hasCounter ? base.Counter() : base.TickCount();
    m_origin = now - Offset(frames);
    m_count = m_origin;
  }

  bool Frequency(int64_t& countsPerSecond) override {
    countsPerSecond = m_perSecond;
    return m_hasCounter;
  }
  int64_t Counter() override { return m_count; }
  uint32_t TickCount() override {
    if (!m_hasCounter) return static_cast<uint32_t>(m_count);
    const int64_t ms = m_count / m_perSecond * 1000 + m_count % m_perSecond * 1000 / m_perSecond;
    return static_cast<uint32_t>(ms);
  }

  // False when a scene's wait has already carried the clock past the frame's start: on the
  // screen that frame would show the one before.
  bool MoveToFrame(int64_t frame) {
    const int64_t start = m_origin + Offset(frame);
    if (m_count > start) return false;
    m_count = start;
    return true;
  }
  // A scene waiting for its next animation frame: at least one count, since the timers scale
  // counts in single precision and can fall a fraction short of what was asked.
  void Wait(double missingMs) {
    const double counts = missingMs * static_cast<double>(m_perSecond) / 1000.0;
    const int64_t whole = static_cast<int64_t>(counts);
    m_count += whole < counts ? whole + 1 : (whole > 0 ? whole : 1);
  }

 private:
  int64_t Offset(int64_t frame) const { return frame * m_perSecond / m_fps; }

  int m_fps;
  bool m_hasCounter = true;
  int64_t m_perSecond = 0;
  int64_t m_origin = 0;
  int64_t m_count = 0;
};

}  // namespace

float MusicPositionAtFrame(int64_t frame, int framesPerSecond) {
  return static_cast<float>(static_cast<double>(frame * kMusicRate / framesPerSecond) /
                            kMusicRate);
}

int64_t FirstFrameAt(float seconds, int framesPerSecond) {
  int64_t frame = static_cast<int64_t>(static_cast<double>(seconds) * framesPerSecond);
  while (frame > 0 && MusicPositionAtFrame(frame - 1, framesPerSecond) >= seconds) --frame;
  while (MusicPositionAtFrame(frame, framesPerSecond) < seconds) ++frame;
  return frame;
}

void Timeline::MarkStart() { start = EffectState::Of(*this); }

// A drawn frame takes random numbers for its shakes: three for each shaking scene, two for each
// shaking layer (the noise overlay's included). The replay takes as many, so a shake after a seek
// takes the very steps it takes in a run from the start.
void Timeline::AdvanceFrame() {
  int draws = 0;
  for (int32_t i = 0; i < sceneCount; ++i) {
    if (!sceneActive[i]) continue;
    advanceScene(*sceneTargets[i], sceneTargets[i]->aquaEnabled);
    if (sceneTargets[i]->shakeAmount >= 1) draws += 3;
  }
  for (int32_t i = 0; i < particleCount; ++i)
    if (particleActive[i]) particleTargets[i]->Advance();
  for (int32_t i = 0; i < layerCount; ++i)
    if (layerActive[i] && layerTargets[i]->shakeAmount >= 1) draws += 2;
  AdvanceNoise();
  const int32_t noise = NoiseLayer();
  if (noise >= 0 && layerTargets[noise]->shakeAmount >= 1) draws += 2;
  for (int k = 0; k < draws; ++k) Random();
}

void Timeline::Seek(float seconds, int framesPerSecond) {
  if (!(seconds > 0)) seconds = 0;
  if (framesPerSecond < 1) framesPerSecond = 1;
  start.ApplyTo(*this);

  // The frames before `seconds`: those whose music position has not reached it.
  const int64_t frames = FirstFrameAt(seconds, framesPerSecond);

  ClockSource& base = CurrentClock();
  ReplayClock clock(base, framesPerSecond, frames);
  SetClockSource(&clock);
  FrameWaitHandler previous = setFrameWaitHandler([&clock](double missingMs) {
    clock.Wait(missingMs);
    return true;
  });
  bool quit = false;
  for (int64_t k = 0; k < frames && !quit; ++k) {
    if (!clock.MoveToFrame(k)) continue;
    const float now = MusicPositionAtFrame(k, framesPerSecond);
    Due due = Due::Applied;
    while (cursor < static_cast<uint32_t>(eventCount) && due == Due::Applied)
      due = ApplyNextEvent(now);
    quit = due == Due::Quit;
    if (quit) break;
    ApplyMoves(now);
    AdvanceFrame();
  }
  setFrameWaitHandler(std::move(previous));
  SetClockSource(&base);

  for (int32_t i = 0; i < sceneCount; ++i) {
    Scene& scene = *sceneTargets[i];
    for (uint32_t k = 0; k < scene.objectCount; ++k) settleDeformation(scene.objects[k]);
  }
  // The projection as the frame before the target left it, from the field of view replayed; the
  // frames replayed drew nothing a trail could start from.
  if (window) {
    window->Resize(-1, -1);
    ActiveRenderer().ForgetTrail(*window);
  }
  if (music) music->SetPosition(seconds);
}
