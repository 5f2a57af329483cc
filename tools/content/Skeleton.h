// The smallest production that plays: one scene, one layer, a short piece of music, a manifest
// and a commented script to start a new production from.
#pragma once

#include <string>

// The skeleton's scene, converted by the caller (zorbanel-convert) once the files are written.
extern const char kSkeletonScene[];

// Writes everything but the binary scene into the current directory, which must be empty.
bool WriteSkeleton();

// A hand-written part, written whole or not at all; a message names the file on failure.
bool WriteText(const char* path, const char* text);
