// The player side of a particle system: timed bursts and additive, camera-facing drawing.
#include "particles/ParticleSystem.h"

#include <cmath>

#include "platform/GLWindow.h"
#include "platform/TextureCache.h"

namespace {
// Push of one particle on another per unit of distance and weight.
constexpr float kBurstFactor = 0.00084f;
}  // namespace

ParticleSystem::~ParticleSystem() { Release(); }

void ParticleSystem::Release() {
  for (int32_t t = 0; t < textureCount && t < kMaxTextures; ++t) {
    ReleaseTexture(textures[t]);
    textures[t] = 0;
  }
  textureCount = 0;
  delete[] particles;
  delete[] textureIndex;
  particles = nullptr;
  textureIndex = nullptr;
  count = 0;
}

// Each particle moves by k * sum_j w_j (p_j - p_i) = k * (S - p_i * W) with S = sum_j w_j p_j and
// W = sum_j w_j. Keeping S up to date as particles move gives the in-place result (particle i
// sees the moved 0 .. i-1) in linear time instead of N * N. The sums are kept in double so the
// running updates lose nothing a direct single-precision sum would keep.
// A particle of infinite weight (size 0, as the generator makes from a size range below 1) pushes
// nothing, and a step that overflows moves nothing: one bad particle must not turn the whole
// cloud into NaN.
void ParticleSystem::Burst() {
  double weightSum = 0.0, sumX = 0.0, sumY = 0.0, sumZ = 0.0;
  for (uint32_t j = 0; j < count; ++j) {
    const Particle& p = particles[j];
    const double w = 1.0f / p.size;
    if (!std::isfinite(w)) continue;
    weightSum += w;
    sumX += w * p.x;
    sumY += w * p.y;
    sumZ += w * p.z;
  }
  for (uint32_t i = 0; i < count; ++i) {
    Particle& p = particles[i];
    const float sx = static_cast<float>((sumX - p.x * weightSum) * kBurstFactor);
    const float sy = static_cast<float>((sumY - p.y * weightSum) * kBurstFactor);
    const float sz = static_cast<float>((sumZ - p.z * weightSum) * kBurstFactor);
    const float oldX = p.x, oldY = p.y, oldZ = p.z;
    const float nx = p.x - sx * strength, ny = p.y - sy * strength, nz = p.z - sz * strength;
    if (!std::isfinite(nx) || !std::isfinite(ny) || !std::isfinite(nz)) continue;
    p.x = nx;
    p.y = ny;
    p.z = nz;
    const double w = 1.0f / p.size;
    if (!std::isfinite(w)) continue;
    sumX += w * (static_cast<double>(p.x) - oldX);
    sumY += w * (static_cast<double>(p.y) - oldY);
    sumZ += w * (static_cast<double>(p.z) - oldZ);
  }
}

void ParticleSystem::Advance() {
  if (!started) {
    timer.Start();
    started = true;
  }
  if (timer.ElapsedMs() >= burstInterval && burstsLeft > 0) {
    Burst();
    --burstsLeft;
    timer.Reset();
  }
}

void ParticleSystem::Draw() {
  Advance();

  // The camera of the scene drawn before: particles live in its space.
  GLfloat m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);  // the scene still hides particles behind it
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_LIGHTING);
  glColor4f(alpha, alpha, alpha, alpha);
  // Set once for all billboards, not around each one: every state change between two draws costs
  // the software renderer a new look at its whole pipeline state.
  if (count > 0) {
    glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
  }

  for (uint32_t c = 0; c < count; ++c) {
    const Particle& p = particles[c];
    const EyePoint e{m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12],
                     m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                     m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]};
    DrawBillboard(e, p.size, textureIndex[c]);
  }

  glEnable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
}

void ParticleSystem::DrawBillboard(const EyePoint& e, float s, int32_t k) {
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(e.x, e.y, e.z);
  // The loader keeps indices in range; a caller's stray index draws untextured, not out of bounds.
  glBindTexture(GL_TEXTURE_2D, k >= 0 && k < kMaxTextures ? textures[k] : 0);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-s, -s, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-s, s, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(s, s, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(s, -s, 0.0f);
  glEnd();
  glPopMatrix();
}
