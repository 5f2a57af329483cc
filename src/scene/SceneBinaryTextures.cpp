#include "scene/SceneBinaryTextures.h"

#include <cstdio>
#include <sstream>

#include "platform/Files.h"
#include "scene/ConvertedTextures.h"
#include "scene/Scene.h"
#include "scene/SceneBinaryFile.h"
#include "scene/TextureImport.h"

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

// name with its extension, if any, replaced by ".jpg".
std::string JpegName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return (dot != std::string::npos && dot > 0 ? name.substr(0, dot) : name) + ".jpg";
}

enum class Source { usable, missing, outside };

// Where the map's image is: only a regular file inside the production (the bound of reads,
// links and junctions followed to their end) may be read.
Source FindSource(const char* bitmap, FileStamp& stamp) {
  const std::string real = RealPath(bitmap);
  if (real.empty()) return Source::missing;
  if (LiesOutsideReads(bitmap)) return Source::outside;
  if (ExamineFile(real.c_str()).kind != FileKind::regular) return Source::missing;
  stamp = StampOfFile(real.c_str());
  return Source::usable;
}

// The picture a map names and where it was found: at its path as written or, for a path of the
// modeller's machine ("D:\maps\wood.png"), under textures\ by its own name or already as a JPEG.
struct Found {
  Source where = Source::missing;
  std::string path;
  FileStamp stamp;
  std::vector<std::string> lookedAt;  // in order, for a picture found nowhere
};

Found Locate(const char* bitmap, const std::string& name) {
  Found found;
  found.path = bitmap;
  found.lookedAt.push_back(bitmap);
  found.where = FindSource(bitmap, found.stamp);
  if (found.where == Source::usable) return found;
  for (const std::string& local : {TexturePath(name, 1), TexturePath(JpegName(name), 1)}) {
    if (local == found.lookedAt.back()) continue;
    found.lookedAt.push_back(local);
    FileStamp stamp;
    if (FindSource(local.c_str(), stamp) == Source::usable) {
      found.where = Source::usable;
      found.path = local;
      found.stamp = stamp;
      break;
    }
  }
  return found;
}

enum class Target { free, holdsTheImage, ours, taken };

// source is the stamp of a picture copied as it is (null for one converted): a destination that
// is that very file holds it already. A destination the converter itself wrote from the same
// picture, untouched since, is its own to replace: a picture exported again does not pile up
// copies under new names.
Target Examine(const std::string& destination, const std::vector<uint8_t>& content,
               const FileStamp* source, const std::string& sourcePath,
               const ConvertedTextures& record) {
  const FileFacts facts = ExamineFile(destination.c_str());
  if (facts.kind == FileKind::missing || facts.kind == FileKind::danglingLink) return Target::free;
  // The image already in place, or a copy of it: nothing to write.
  const FileStamp st = StampOfFile(destination.c_str());
  if (source && st.device == source->device && st.inode == source->inode)
    return Target::holdsTheImage;
  std::vector<uint8_t> there;
  const bool ours = record.Lists(destination, sourcePath);
  if (facts.kind != FileKind::regular || (facts.size != content.size() && !ours) ||
      !ReadWholeFile(destination.c_str(), ReadLimit::kTexture, there))
    return Target::taken;
  if (there == content) return Target::holdsTheImage;
  return record.Ours(destination, sourcePath, there) ? Target::ours : Target::taken;
}

// Copies one map's image (a picture in another format becomes a JPEG named after it) and logs
// the copy; returns the path the file stores.
std::string CopyTexture(SceneBinaryFile& file, const char* bitmap, ConvertedTextures& record,
                        std::string& copyLog) {
  std::string name = FileName(bitmap);
  if (name.empty()) {
    std::printf("%s - [NORMALIZANDO] - The texture [%s] names no file; not copied.\n",
                kBanner, bitmap);
    return bitmap;
  }
  const Found found = Locate(bitmap, name);
  if (found.path != bitmap) {
    std::printf("%s - [NORMALIZANDO] - [%s] is not in the production; found as [%s].\n", kBanner,
                bitmap, found.path.c_str());
    name = FileName(found.path.c_str());
  }
  std::vector<uint8_t> content;
  std::string fault;
  bool converted = false;
  if (found.where == Source::usable) {
    if (!ReadWholeFile(found.path.c_str(), ReadLimit::kTexture, content)) {
      fault = "cannot be read";
    } else if (!TakenAsItIs(content, name)) {
      std::vector<uint8_t> jpeg;
      converted = PictureToJpeg(content, jpeg, fault);
      if (converted) {
        content.swap(jpeg);
        name = JpegName(name);
      }
    }
  }
  std::string destination = TexturePath(name, 1);
  if (destination.size() < 9 + name.size())
    std::printf("%s - WARNING: the path [textures\\%s] does not fit in %zu characters; it is cut.\n",
                kBanner, name.c_str(), kPathRoom);

  Target target = Target::taken;
  if (found.where == Source::usable && fault.empty()) {
    int variant = 1;
    while (variant <= kMaxVariants &&
           (target = Examine(TexturePath(name, variant), content,
                             converted ? nullptr : &found.stamp, found.path, record)) ==
               Target::taken)
      ++variant;
    if (target != Target::taken) {
      if (variant > 1)
        std::printf("%s - WARNING: [%s] already holds another image: kept; [%s] goes to [%s].\n",
                    kBanner, destination.c_str(), found.path.c_str(),
                    TexturePath(name, variant).c_str());
      destination = TexturePath(name, variant);
    }
  }
  if (found.where == Source::missing) {
    std::string places;
    for (const std::string& place : found.lookedAt)
      places += (places.empty() ? "[" : ", [") + place + "]";
    // Not an error: the player draws a stand-in, and the converter says so with the mend.
    std::printf("%s - texture not found: looked for at %s in the production [%s]; not copied.\n",
                kBanner, places.c_str(), RealPath(".").c_str());
  } else if (found.where == Source::outside) {
    std::printf("%s - ERROR: [%s] lies outside the production: not read, not copied.\n", kBanner,
                bitmap);
  } else if (!fault.empty()) {
    std::printf("%s - ERROR: [%s] %s: nothing copied, nothing replaced.\n", kBanner,
                found.path.c_str(), fault.c_str());
  } else if (target == Target::taken) {
    std::printf("%s - ERROR: no free name under textures for [%s]: not copied.\n", kBanner, bitmap);
  } else {
    if (converted)
      std::printf("%s - [NORMALIZANDO] - Converting [%s] -> [%s] (JPEG, quality %d)\n", kBanner,
                  found.path.c_str(), destination.c_str(), kTextureJpegQuality);
    else
      std::printf("%s - [NORMALIZANDO] - Copiando [%s] -> [%s]\n", kBanner, found.path.c_str(),
                  destination.c_str());
  }
  bool copied = found.where == Source::usable && fault.empty() && target != Target::taken;
  if (copied && target != Target::holdsTheImage) {
    if (!converted)
      copied = file.copyFile(found.path.c_str(), destination.c_str(), true);
    else if (!(copied = WriteWholeFile(destination.c_str(), content.data(), content.size())))
      std::printf("%s - ERROR: cannot create [%s].\n", kBanner, destination.c_str());
    if (copied) record.Note(destination, found.path, content);
  }
  copyLog += "Copiando " + std::string(bitmap) + " -> " + destination + " ..." +
             (copied ? "OK\n" : "FAILED\n");
  return destination;
}

}  // namespace

std::vector<std::string> CopySceneTextures(SceneBinaryFile& file, const Scene& scene,
                                           std::string& copyLog) {
  // The production is the working directory, whoever writes the scene.
  ReadsWithin bound(".");
  ConvertedTextures record;
  record.Read();
  std::vector<std::string> stored;
  for (uint32_t i = 0; i < scene.materialCount; ++i) {
    const Material material = scene.getMaterial(i);
    for (uint32_t k = 0; k < material.header.mapCount && k < 2; ++k) {
      stored.push_back(CopyTexture(file, material.maps[k].bitmap, record, copyLog));
    }
  }
  // Without it a later export could not tell these copies from the author's pictures: they
  // would be kept and new ones made beside them, never replaced.
  if (!record.Write())
    std::printf("%s - WARNING: cannot write [%s]; a later conversion will not replace these "
                "copies.\n",
                kBanner, kConvertedTexturesFile);
  return stored;
}

std::vector<std::string> PicturesOfCopyLog(const std::string& copyLogPath) {
  std::vector<uint8_t> bytes;
  std::vector<std::string> pictures;
  if (!ReadWholeFile(copyLogPath.c_str(), ReadLimit::kScript, bytes)) return pictures;
  std::istringstream text(std::string(bytes.begin(), bytes.end()));
  const std::string start = "Copiando ";
  std::string line;
  while (std::getline(text, line)) {
    const size_t arrow = line.rfind(" -> ");
    if (line.compare(0, start.size(), start) != 0 || arrow == std::string::npos) continue;
    const std::string bitmap = line.substr(start.size(), arrow - start.size());
    const std::string name = FileName(bitmap.c_str());
    if (name.empty()) continue;
    const Found found = Locate(bitmap.c_str(), name);
    if (found.where == Source::usable) pictures.push_back(ResolvePath(found.path.c_str()));
  }
  return pictures;
}

bool SceneBinaryFile::copyFile(const char* source, const char* destination, bool binary) {
  FILE* in = OpenFile(source, binary ? "rb" : "r", ReadLimit::kTexture);
  if (!in) {
    std::printf("%s - ERROR: cannot open [%s] to copy it.\n", kBanner, source);
    return false;
  }
  AtomicFile out;
  FILE* stream = out.Open(destination);
  if (!stream) {
    std::fclose(in);
    std::printf("%s - ERROR: cannot create [%s].\n", kBanner, destination);
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
    std::printf("%s - ERROR: copying [%s] -> [%s] failed.\n", kBanner, source, destination);
    return false;
  }
  return true;
}
