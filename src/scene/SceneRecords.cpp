#include "scene/SceneRecords.h"

#include <cstring>

#include "scene/Material.h"

void CopyName(char (&field)[256], const char* name) {
  if (!name) name = "";
  std::strncpy(field, name, sizeof field - 1);
  field[sizeof field - 1] = '\0';
}

void TextureMap::setBitmap(const char* path) { CopyName(bitmap, path); }
