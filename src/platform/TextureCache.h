#pragma once
// One texture per distinct file for the whole program: scenes, layers, flares, particles and the
// font name the same files many times, and each file is decoded and uploaded once. A texture is
// deleted when the last of its users lets go.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/TextureCoverage.h"

// The texture of the file at path, loaded on its first use. Every call leaves the same GL state
// as TextureLoader::LoadTexture (the texture bound on unit 0, and with sphereMap on unit 1 too,
// both units in sphere-map generation mode): that mode belongs to the units, not to the texture,
// so one texture serves callers with and without it. Fails as LoadTexture does (0).
uint32_t AcquireTexture(const char* path, bool sphereMap);

// The same for a scene's maps, which the production can play without: a file that cannot be
// loaded gives, after a warning on standard error and the log, a checker pattern in its place,
// and no failure is counted.
uint32_t AcquireTextureOrStandIn(const char* path, bool sphereMap);
// The files of the stand-ins in use, by absolute path: the pictures an author has yet to supply.
std::vector<std::string> StandInFiles();

// Starts reading and decoding these files on other threads, so that the AcquireTexture calls that
// follow only upload them. A file that changes on disk before it is acquired is read again then;
// failures are reported by AcquireTexture, as without this call.
void PrefetchTextures(const std::vector<std::string>& paths);

// Where the picture of a texture from AcquireTexture is black; nullptr when that is not known
// (a picture whose sides are not powers of two, a texture made elsewhere).
const TextureCoverage* CoverageOfTexture(uint32_t name);

// One user lets go of a texture from AcquireTexture; the last deletes it. Names that did not come
// from AcquireTexture (0, or a texture made elsewhere) are left alone.
void ReleaseTexture(uint32_t name);

// The context that held every texture is gone: forget them all, so the next context loads afresh.
void ForgetTextures();

// How many files have been decoded and uploaded through the cache so far.
int TextureUploadCount();
