#pragma once
// The author's check of a production: every file its manifest names, and its script against what
// is loaded. Each finding is one line "file:line: what" (or "file: what"), in the words the
// author needs to mend it.
#include <string>
#include <vector>

#include "timeline/ScriptCheck.h"

struct ContentManifest;

// Files the manifest names that are missing or cannot be used. With `decode` every image, scene
// (the textures it names included), particle file and the music is read whole, and `targets`
// gets what the script can address; without it the files are only looked for, as the player
// reads them itself.
void CheckContentFiles(const ContentManifest& manifest, bool decode, ScriptTargets& targets,
                       std::vector<std::string>& findings);

// The manifest's script against `targets`. False when the script cannot be read at all (a
// finding says why); `events` is then 0.
bool CheckContentScript(const ContentManifest& manifest, const ScriptTargets& targets,
                        std::vector<std::string>& findings, int32_t& events);
