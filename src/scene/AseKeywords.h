#pragma once
// The keywords the ASE reader acts on. Keywords are whole, case-sensitive words; the rotation
// keywords of objects have no entry, so their numbers are read as ignored words like those of
// any unknown keyword.
#include <cstddef>
#include <cstdint>

#include "scene/AseTokenizer.h"

namespace ase {

enum Keyword : uint8_t {
  kOther,
  kOpen,
  kClose,
  kScene,
  kMaterialList,
  kGeomObject,
  kCameraObject,
  kLightObject,
  kSceneLastFrame,
  kSceneFrameSpeed,
  kSceneTicksPerFrame,
  kSceneBackground,
  kSceneAmbient,
  kMaterialCount,
  kMaterial,
  kMaterialAmbient,
  kMaterialDiffuse,
  kMaterialSpecular,
  kMaterialShine,
  kMaterialTwoSided,
  kMaterialTransparency,
  kMaterialSelfIllum,
  kBitmap,
  kMapType,
  kUTiling,
  kVTiling,
  kUOffset,
  kVOffset,
  kNodeName,
  kNumVertex,
  kNumFaces,
  kNumTVertex,
  kNumTVFaces,
  kVertex,
  kTVert,
  kFace,
  kTFace,
  kFaceNormal,
  kMappingChannel,
  kMaterialRef,
  kTmPos,
  kLightColor,
  kLightUseGlobal,
  kPosTrack,
  kPosSample,
  kCameraFov,
  kCameraAnimation,
  // An object's node and its animation keys.
  kNodeParent,
  kTmRow0,
  kTmRow1,
  kTmRow2,
  kTmRow3,
  kPosKey,
  kRotKey,
  kScaleKey,
  // A light's kind, strength and cone.
  kLightType,
  kLightIntens,
  kLightHotspot,
  kLightFalloff,
};

struct KeywordName {
  const char* text;
  Keyword id;
};

// Most words of a file are numbers or unknown keywords. A word is looked up by a hash of its
// length and three of its characters in a small open-addressed table, and confirmed whole.
class KeywordTable {
 public:
  KeywordTable();

  Keyword find(const AseToken& token) const {
    if (token.length == 1) {
      if (token.text[0] == '{') return kOpen;
      if (token.text[0] == '}') return kClose;
      return kOther;
    }
    if (token.text[0] != '*' || token.length < 2 || token.length > kLongest) return kOther;
    for (size_t slot = Hash(token.text, token.length); slots_[slot].text; slot = (slot + 1) & kMask) {
      if (lengths_[slot] != token.length) continue;
      const char* name = slots_[slot].text;
      size_t k = 1;  // both begin with '*'
      while (k < token.length && name[k] == token.text[k]) ++k;
      if (k == token.length) return slots_[slot].id;
    }
    return kOther;
  }

 private:
  static constexpr size_t kSize = 256;  // a power of two, well above the keyword count
  static constexpr size_t kMask = kSize - 1;
  static constexpr size_t kLongest = 25;

  static size_t Hash(const char* text, size_t length) {
    const auto c = [&](size_t i) { return static_cast<size_t>(static_cast<unsigned char>(text[i])); };
    return (length * 97 + c(1) * 7 + c(length / 2) * 31 + c(length - 1) * 131) & kMask;
  }

  KeywordName slots_[kSize] = {};
  uint8_t lengths_[kSize] = {};
};

extern const KeywordTable kKeywordTable;

// The keyword a word is; kOther for every other word.
inline Keyword Lookup(const AseToken& token) { return kKeywordTable.find(token); }

}  // namespace ase
