#pragma once
// The content-build step that turns a scene's ASE export into the binary scene the player
// loads: "escenas\" + name + ".ase" becomes "escenas_bin\" + name + ".bin", and the scene's
// textures are copied into "textures\" (with the copy log beside the scene file). The two
// output folders are made when missing.
//
// False when nothing new was written: the ASE file is missing, unreadable, empty, without a
// geometric object or cut short, the name does not fit the 256-byte paths, or the scene file
// could not be written. An existing scene file then stays as it was.
bool ConvertSceneFromAse(const char* name);
