#pragma once
// Live reload of what a demo maker edits while the production plays.
#include <string>
#include <vector>

// Reads the manifest and the script again and brings the production to the music's current time
// under them, with the start-up's warnings. When the manifest lists other content (scenes,
// layers, particle files, noise sets, music or font), that content is loaded in place of the old.
// Nothing is taken that the player would not play: a manifest with a fault, content whose files
// cannot all be read whole, or a script that start-up would refuse (unreadable, not plain text,
// no events) leaves the production playing as it was, and `why` says what was wrong.
// `contentLoaded` tells whether the content was loaded anew. `changedFiles` (as ResolvePath
// gives them): files of the content changed on disk, so it is loaded anew even when the manifest
// lists the same.
bool ReloadProduction(std::string& why, bool& contentLoaded,
                      const std::vector<std::string>& changedFiles = {});
