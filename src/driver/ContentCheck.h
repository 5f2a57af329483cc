#pragma once
// The author's check of a production: every file its manifest names, and its script against what
// is loaded. Each finding is one line "file:line: what" (or "file: what"), in the words the
// author needs to mend it.
#include <string>
#include <vector>

#include "timeline/ScriptCheck.h"

struct ContentManifest;

// Files the manifest names, and the textures its scenes and particle files name, that are
// missing, not regular files, unreadable or empty; music the player cannot read; scenes that are
// cut short, damaged or hold a number nothing can draw, and particle files that cannot be used.
// Every scene and particle file is read and the music's headers too (the player stops on these
// before its window opens); with `decode` every image is decoded as well, and the checker's (no
// `warnings`) plays the music through to find where it gives out early. `targets` gets what the
// script can address, and the music's length (0 when there is no music to play).
// Findings the player plays on with (a damaged scene keeps what was read, an unusable particle
// file gives an empty system, music that cannot be played leaves a silent clock) go to
// `warnings` when it is given, else to `findings` with the rest. A scene's map that cannot be
// used is a finding of the checker only (no `warnings`): the player tells of it as it loads it.
void CheckContentFiles(const ContentManifest& manifest, bool decode, ScriptTargets& targets,
                       std::vector<std::string>& findings,
                       std::vector<std::string>* warnings = nullptr);

// The manifest's script against `targets`. False when the script cannot be read at all (a
// finding says why); `events` is then 0. `whole` gets the check itself, events and lines kept.
bool CheckContentScript(const ContentManifest& manifest, const ScriptTargets& targets,
                        std::vector<std::string>& findings, int32_t& events,
                        ScriptCheck* whole = nullptr);
