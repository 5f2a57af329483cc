// The burst step: the pairwise in-place rule is the reference the linear-time step must follow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "particles/ParticleSystem.h"
#include "platform/Random.h"

namespace {

// Every particle summed against every other, in place and in index order.
void ReferenceBurst(std::vector<Particle>& p, float strength) {
  for (size_t i = 0; i < p.size(); ++i) {
    float sx = 0.0f, sy = 0.0f, sz = 0.0f;
    for (size_t j = 0; j < p.size(); ++j) {
      const float w = 1.0f / p[j].size;
      sx += (p[j].x - p[i].x) * w * 0.00084f;
      sy += (p[j].y - p[i].y) * w * 0.00084f;
      sz += (p[j].z - p[i].z) * w * 0.00084f;
    }
    p[i].x -= sx * strength;
    p[i].y -= sy * strength;
    p[i].z -= sz * strength;
  }
}

TEST(ParticleBurst, LaterParticlesSeeTheMovedEarlierOnes) {
  ParticleSystem system;
  ASSERT_TRUE(system.Allocate(2, 0.0f, 0.0f));
  system.particles[0] = Particle{0.0f, 0.0f, 0.0f, 1.0f};
  system.particles[1] = Particle{10.0f, 0.0f, 0.0f, 2.0f};
  system.Burst();
  // The first is pushed by 10 x 1/2 x 0.00084; the second by the distance to the moved first.
  EXPECT_NEAR(system.particles[0].x, -0.0042f, 1e-6f);
  EXPECT_NEAR(system.particles[1].x, 10.0f + 10.0042f * 0.00084f, 1e-5f);
  EXPECT_FLOAT_EQ(system.particles[0].y, 0.0f);
  EXPECT_FLOAT_EQ(system.particles[1].z, 0.0f);
}

TEST(ParticleBurst, FollowsThePairwiseRuleOverManyBurstsAndStrengths) {
  for (float strength : {1.0f, 0.35f, -2.0f}) {
    ParticleSystem system;
    SeedRandom(77);
    ASSERT_TRUE(system.Allocate(600, 12.0f, 300.0f));
    system.Randomize();
    system.strength = strength;
    std::vector<Particle> reference(system.particles, system.particles + system.count);
    for (int burst = 0; burst < 5; ++burst) {
      system.Burst();
      ReferenceBurst(reference, strength);
    }
    double worst = 0.0;
    for (uint32_t i = 0; i < system.count; ++i) {
      const Particle& a = system.particles[i];
      const Particle& b = reference[i];
      // Single-precision sums of 600 terms carry a few units in the last place of the positions.
      const double scale = std::max(1.0, std::fabs(static_cast<double>(b.x)) +
                                             std::fabs(static_cast<double>(b.y)) +
                                             std::fabs(static_cast<double>(b.z)));
      worst = std::max(worst, (std::fabs(a.x - b.x) + std::fabs(a.y - b.y) +
                               std::fabs(a.z - b.z)) / scale);
      EXPECT_EQ(a.size, b.size);
    }
    EXPECT_LT(worst, 1e-5) << "strength " << strength;
  }
}

// A particle of size 0 (what the generator makes from a size range below 1) or a step that
// overflows must not turn the cloud into NaN: the others still move apart as without it.
TEST(ParticleBurst, InfiniteWeightsAndOverflowingStepsLeaveTheCloudFinite) {
  ParticleSystem system;
  ASSERT_TRUE(system.Allocate(3, 1.0f, 1.0f));
  system.particles[0] = Particle{-1.0f, 0.0f, 0.0f, 1.0f};
  system.particles[1] = Particle{1.0f, 0.0f, 0.0f, 1.0f};
  system.particles[2] = Particle{0.0f, 0.0f, 0.0f, 0.0f};
  system.Burst();
  EXPECT_LT(system.particles[0].x, -1.0f);
  EXPECT_GT(system.particles[1].x, 1.0f);
  system.particles[2] = Particle{3e38f, 0.0f, 0.0f, 1e-30f};
  system.Burst();
  for (uint32_t i = 0; i < system.count; ++i) {
    const Particle& p = system.particles[i];
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) << i;
  }
}

TEST(ParticleAuthoring, RandomizeFillsACentredCubeAndCopesWithEmptyRanges) {
  ParticleSystem system;
  SeedRandom(5);
  ASSERT_TRUE(system.Allocate(400, 10.0f, 10.0f));
  system.Randomize();
  bool sawLow = false, sawHigh = false;
  for (uint32_t i = 0; i < system.count; ++i) {
    const Particle& p = system.particles[i];
    for (float v : {p.x, p.y, p.z}) {
      EXPECT_GE(v, -5.0f);
      EXPECT_LE(v, 4.0f);
      EXPECT_EQ(v, std::floor(v));
      sawLow |= v == -5.0f;
      sawHigh |= v == 4.0f;
    }
    EXPECT_GE(p.size, 1.0f);
    EXPECT_LE(p.size, 10.0f);
    EXPECT_EQ(system.textureIndex[i], 0);
  }
  EXPECT_TRUE(sawLow && sawHigh);

  // Ranges below one whole unit hold no random value: the centre and the smallest size are used.
  ASSERT_TRUE(system.Allocate(3, 0.5f, 0.75f));
  system.Randomize();
  for (uint32_t i = 0; i < system.count; ++i) {
    EXPECT_EQ(system.particles[i].x, 0.0f);
    EXPECT_EQ(system.particles[i].y, 0.0f);
    EXPECT_EQ(system.particles[i].z, 0.0f);
    EXPECT_FLOAT_EQ(system.particles[i].size, 0.05f);
  }
}

}  // namespace
