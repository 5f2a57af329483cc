#include "scene/SceneBinaryTextures.h"

#include <cstdio>
#include <cstring>

#include "platform/Files.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"

namespace {

const char* const kBanner = SceneBinaryFile::kBanner;

// The path field holds this many characters before its NUL.
const size_t kPathRoom = 254;
// How many names one image may try before its copy is given up.
const int kMaxVariants = 100;

// The last non-empty piece of bitmap between "\", "/" and ":"; empty when there is none or it
// is "." or "..", which name folders.
std::string FileName(const char* bitmap) {
  std::string name, piece;
  for (const char* p = bitmap;; ++p) {
    if (*p == '\0' || *p == '\\' || *p == '/' || *p == ':') {
      if (!piece.empty()) name = piece;
      piece.clear();
      if (*p == '\0') break;
    } else {
      piece += *p;
    }
  }
  return name == "." || name == ".." ? std::string() : name;
}

// "textures\" + name; from the second variant on, "_n" goes before the extension. Cut to the
// path field, keeping the suffix and a short extension.
std::string TexturePath(const std::string& name, int variant) {
  const std::string folder = "textures\\";
  if (variant == 1) return (folder + name).substr(0, kPathRoom);
  const size_t dot = name.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && dot > 0 && name.size() - dot <= 8;
  const std::string stem = hasExtension ? name.substr(0, dot) : name;
  const std::string tail = "_" + std::to_string(variant) + (hasExtension ? name.substr(dot) : "");
  return folder + stem.substr(0, kPathRoom - folder.size() - tail.size()) + tail;
}

enum class Source { usable, missing, outside };

// Where the map's image is: only a regular file inside the production (the working directory,
// links and junctions followed to their end) may be read.
Source FindSource(const char* bitmap, FileStamp& stamp) {
  const std::string root = RealPath("."), real = RealPath(bitmap);
  if (root.empty() || real.empty()) return Source::missing;
  if (!PathWithin(real, root)) return Source::outside;
  if (ExamineFile(real.c_str()).kind != FileKind::regular) return Source::missing;
  stamp = StampOfFile(real.c_str());
  return Source::usable;
}

bool SameBytes(const char* a, const char* b) {
  FILE* fa = OpenFile(a, "rb", ReadLimit::kTexture);
  FILE* fb = fa ? OpenFile(b, "rb", ReadLimit::kTexture) : nullptr;
  bool same = fa && fb;
  char x[4096], y[4096];
  while (same) {
    const size_t n = std::fread(x, 1, sizeof x, fa);
    same = std::fread(y, 1, sizeof y, fb) == n && std::memcmp(x, y, n) == 0;
    if (n < sizeof x) break;
  }
  same = same && !std::ferror(fa) && !std::ferror(fb);
  if (fa) std::fclose(fa);
  if (fb) std::fclose(fb);
  return same;
}

enum class Target { free, holdsTheImage, taken };

Target Examine(const std::string& destination, const char* bitmap, const FileStamp& source) {
  const FileFacts facts = ExamineFile(destination.c_str());
  if (facts.kind == FileKind::missing || facts.kind == FileKind::danglingLink) return Target::free;
  // The image already in place, or a copy of it: nothing to write.
  const FileStamp st = StampOfFile(destination.c_str());
  if ((st.device == source.device && st.inode == source.inode) ||
      (facts.kind == FileKind::regular && static_cast<int64_t>(facts.size) == source.size &&
       SameBytes(bitmap, destination.c_str())))
    return Target::holdsTheImage;
  return Target::taken;
}

// Copies one map's image and logs the copy; returns the path the file stores.
std::string CopyTexture(SceneBinaryFile& file, const char* bitmap, std::string& copyLog) {
  const std::string name = FileName(bitmap);
  if (name.empty()) {
    std::printf("%s - [NORMALIZANDO] - La textura [%s] no nombra ningun fichero; no se copia.\n",
                kBanner, bitmap);
    return bitmap;
  }
  std::string destination = TexturePath(name, 1);
  if (destination.size() < 9 + name.size())
    std::printf("%s - AVISO: la ruta [textures\\%s] no cabe en %zu caracteres; se recorta.\n",
                kBanner, name.c_str(), kPathRoom);

  FileStamp source;
  const Source where = FindSource(bitmap, source);
  Target target = Target::taken;
  if (where == Source::usable) {
    int variant = 1;
    while (variant <= kMaxVariants &&
           (target = Examine(TexturePath(name, variant), bitmap, source)) == Target::taken)
      ++variant;
    if (target != Target::taken) {
      if (variant > 1)
        std::printf("%s - AVISO: [%s] already holds another image: kept; [%s] goes to [%s].\n",
                    kBanner, destination.c_str(), bitmap, TexturePath(name, variant).c_str());
      destination = TexturePath(name, variant);
    }
  }
  std::printf("%s - [NORMALIZANDO] - Copiando [%s] -> [%s]\n", kBanner, bitmap,
              destination.c_str());
  if (where == Source::missing)
    std::printf("%s - ERROR: no se puede abrir [%s] para copiarlo.\n", kBanner, bitmap);
  else if (where == Source::outside)
    std::printf("%s - ERROR: [%s] lies outside the production: not read, not copied.\n", kBanner,
                bitmap);
  else if (target == Target::taken)
    std::printf("%s - ERROR: no free name under textures for [%s]: not copied.\n", kBanner, bitmap);
  const bool copied = where == Source::usable && target != Target::taken &&
                      (target == Target::holdsTheImage ||
                       file.copyFile(bitmap, destination.c_str(), true));
  copyLog += "Copiando " + std::string(bitmap) + " -> " + destination + " ..." +
             (copied ? "OK\n" : "FALLO\n");
  return destination;
}

}  // namespace

std::vector<std::string> CopySceneTextures(SceneBinaryFile& file, const Scene& scene,
                                           std::string& copyLog) {
  std::vector<std::string> stored;
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    const Material material = scene.getMaterial(i);
    for (uint32_t k = 0; k < material.header.mapCount && k < 2; ++k) {
      stored.push_back(CopyTexture(file, material.maps[k].bitmap, copyLog));
    }
  }
  return stored;
}

bool SceneBinaryFile::copyFile(const char* source, const char* destination, bool binary) {
  FILE* in = OpenFile(source, binary ? "rb" : "r", ReadLimit::kTexture);
  if (!in) {
    std::printf("%s - ERROR: no se puede abrir [%s] para copiarlo.\n", kBanner, source);
    return false;
  }
  AtomicFile out;
  FILE* stream = out.Open(destination);
  if (!stream) {
    std::fclose(in);
    std::printf("%s - ERROR: no se puede crear [%s].\n", kBanner, destination);
    return false;
  }
  char buffer[2048];
  bool ok = true;
  size_t n;
  while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
    ok = std::fwrite(buffer, 1, n, stream) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  if (!ok || !out.Commit()) {
    std::printf("%s - ERROR: fallo al copiar [%s] -> [%s].\n", kBanner, source, destination);
    return false;
  }
  return true;
}
