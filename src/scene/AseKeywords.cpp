#include "scene/AseKeywords.h"

#include <cstring>

namespace ase {

namespace {

constexpr KeywordName kKeywordNames[] = {
    {"*SCENE", kScene},
    {"*MATERIAL_LIST", kMaterialList},
    {"*GEOMOBJECT", kGeomObject},
    {"*CAMERAOBJECT", kCameraObject},
    {"*LIGHTOBJECT", kLightObject},
    {"*SCENE_LASTFRAME", kSceneLastFrame},
    {"*SCENE_FRAMESPEED", kSceneFrameSpeed},
    {"*SCENE_TICKSPERFRAME", kSceneTicksPerFrame},
    {"*SCENE_BACKGROUND_STATIC", kSceneBackground},
    {"*SCENE_AMBIENT_STATIC", kSceneAmbient},
    {"*MATERIAL_COUNT", kMaterialCount},
    {"*MATERIAL", kMaterial},
    {"*MATERIAL_AMBIENT", kMaterialAmbient},
    {"*MATERIAL_DIFFUSE", kMaterialDiffuse},
    {"*MATERIAL_SPECULAR", kMaterialSpecular},
    {"*MATERIAL_SHINE", kMaterialShine},
    {"*MATERIAL_TWOSIDED", kMaterialTwoSided},
    {"*MATERIAL_TRANSPARENCY", kMaterialTransparency},
    {"*MATERIAL_SELFILLUM", kMaterialSelfIllum},
    {"*BITMAP", kBitmap},
    {"*MAP_TYPE", kMapType},
    {"*UVW_U_TILING", kUTiling},
    {"*UVW_V_TILING", kVTiling},
    {"*UVW_U_OFFSET", kUOffset},
    {"*UVW_V_OFFSET", kVOffset},
    {"*NODE_NAME", kNodeName},
    {"*MESH_NUMVERTEX", kNumVertex},
    {"*MESH_NUMFACES", kNumFaces},
    {"*MESH_NUMTVERTEX", kNumTVertex},
    {"*MESH_NUMTVFACES", kNumTVFaces},
    {"*MESH_VERTEX", kVertex},
    {"*MESH_TVERT", kTVert},
    {"*MESH_FACE", kFace},
    {"*MESH_TFACE", kTFace},
    {"*MESH_FACENORMAL", kFaceNormal},
    {"*MESH_MAPPINGCHANNEL", kMappingChannel},
    {"*MATERIAL_REF", kMaterialRef},
    {"*TM_POS", kTmPos},
    {"*LIGHT_COLOR", kLightColor},
    {"*LIGHT_USEGLOBAL", kLightUseGlobal},
    {"*CONTROL_POS_TRACK", kPosTrack},
    {"*CONTROL_POS_SAMPLE", kPosSample},
    {"*CAMERA_FOV", kCameraFov},
    {"*CAMERA_ANIMATION", kCameraAnimation},
    {"*NODE_PARENT", kNodeParent},
    {"*TM_ROW0", kTmRow0},
    {"*TM_ROW1", kTmRow1},
    {"*TM_ROW2", kTmRow2},
    {"*TM_ROW3", kTmRow3},
    {"*CONTROL_BEZIER_POS_KEY", kPosKey},
    {"*CONTROL_TCB_POS_KEY", kPosKey},
    {"*CONTROL_ROT_SAMPLE", kRotKey},
    {"*CONTROL_TCB_ROT_KEY", kRotKey},
    {"*CONTROL_BEZIER_ROT_KEY", kRotKey},
    {"*CONTROL_SCALE_SAMPLE", kScaleKey},
    {"*CONTROL_TCB_SCALE_KEY", kScaleKey},
    {"*CONTROL_BEZIER_SCALE_KEY", kScaleKey},
    {"*LIGHT_TYPE", kLightType},
    {"*LIGHT_INTENS", kLightIntens},
    {"*LIGHT_HOTSPOT", kLightHotspot},
    {"*LIGHT_FALLOFF", kLightFalloff},
};

}  // namespace

KeywordTable::KeywordTable() {
  for (const KeywordName& k : kKeywordNames) {
    const size_t length = std::strlen(k.text);
    size_t slot = Hash(k.text, length);
    while (slots_[slot].text) slot = (slot + 1) & kMask;
    slots_[slot] = k;
    lengths_[slot] = static_cast<uint8_t>(length);
  }
}

const KeywordTable kKeywordTable;

}  // namespace ase
