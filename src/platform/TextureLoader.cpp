#include "platform/TextureLoader.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include <jpeglib.h>

#include "platform/Files.h"
#include "platform/GLWindow.h"
#include "platform/OpenGL.h"

namespace {

// The library's default error handler ends the process; ours records the text and jumps back to
// the decode call, which then fails cleanly.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf escape;
  char message[JMSG_LENGTH_MAX];
  char warning[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->escape, 1);
}

// Warnings (a truncated file, a damaged segment) leave a usable picture; the first one is kept
// for the caller to report.
void OnMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  if (level < 0 && err->warning[0] == '\0') (*cinfo->err->format_message)(cinfo, err->warning);
  if (level < 0) cinfo->err->num_warnings++;
}

// Widens decoded rows of the given layout to RGB, in place from the last pixel back, so the
// buffer needs no second copy. inverted marks Adobe CMYK, stored with every channel inverted.
void ConvertToRgb(std::vector<uint8_t>& pixels, uint64_t count, int components, bool inverted) {
  if (components == 1) {
    for (uint64_t i = count; i-- > 0;) {
      uint8_t g = pixels[i];
      pixels[i * 3] = pixels[i * 3 + 1] = pixels[i * 3 + 2] = g;
    }
  } else if (components == 4) {
    for (uint64_t i = 0; i < count; ++i) {
      int c = pixels[i * 4], m = pixels[i * 4 + 1], y = pixels[i * 4 + 2], k = pixels[i * 4 + 3];
      if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
      pixels[i * 3] = static_cast<uint8_t>(c * k / 255);
      pixels[i * 3 + 1] = static_cast<uint8_t>(m * k / 255);
      pixels[i * 3 + 2] = static_cast<uint8_t>(y * k / 255);
    }
  }
  pixels.resize(count * 3);
}

// The decode proper. Only trivially destructible locals live across setjmp.
bool Decode(const uint8_t* data, size_t size, DecodedImage& image, std::string& message) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.message[0] = err.warning[0] = '\0';
  if (setjmp(err.escape)) {
    jpeg_destroy_decompress(&cinfo);
    image = DecodedImage();
    message = err.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);

  bool inverted = false;
  switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
      cinfo.out_color_space = JCS_GRAYSCALE;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo.out_color_space = JCS_CMYK;
      inverted = cinfo.saw_Adobe_marker;
      break;
    case JCS_RGB:
    case JCS_YCbCr:
      cinfo.out_color_space = JCS_RGB;
      break;
    default:
      std::snprintf(err.message, sizeof err.message, "colour space not supported (%d)",
                    static_cast<int>(cinfo.jpeg_color_space));
      longjmp(err.escape, 1);
  }
  jpeg_start_decompress(&cinfo);
  uint64_t pixelCount = static_cast<uint64_t>(cinfo.output_width) * cinfo.output_height;
  int components = cinfo.output_components;
  if (pixelCount == 0 || pixelCount > kMaxTexturePixels ||
      (components != 1 && components != 3 && components != 4)) {
    std::snprintf(err.message, sizeof err.message, "imagen no soportada (%ux%u, %d componentes)",
                  cinfo.output_width, cinfo.output_height, components);
    longjmp(err.escape, 1);
  }

  image.width = static_cast<int32_t>(cinfo.output_width);
  image.height = static_cast<int32_t>(cinfo.output_height);
  image.rowBytes = image.width * 3;
  size_t decodedRow = static_cast<size_t>(image.width) * components;
  // Room for the larger of the decoded and the RGB layouts, so the conversion works in place.
  image.pixels.resize(pixelCount * (components > 3 ? components : 3));
  auto rows = static_cast<JSAMPARRAY>((*cinfo.mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, image.height * sizeof(JSAMPROW)));
  for (int32_t i = 0; i < image.height; ++i) rows[i] = image.pixels.data() + i * decodedRow;
  while (cinfo.output_scanline < cinfo.output_height) {
    JDIMENSION done = cinfo.output_scanline;
    if (jpeg_read_scanlines(&cinfo, rows + done, cinfo.output_height - done) == 0) {
      std::snprintf(err.message, sizeof err.message, "datos incompletos");
      longjmp(err.escape, 1);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  ConvertToRgb(image.pixels, pixelCount, components, inverted);
  message = err.warning;
  return true;
}

}  // namespace

bool DecodeJpegMemory(const uint8_t* data, size_t size, DecodedImage& image, std::string& message) {
  image = DecodedImage();
  message.clear();
  if (!data || size == 0) {
    message = "empty file";
    return false;
  }
  return Decode(data, size, image, message);
}

bool DecodeJpegFile(const char* path, DecodedImage& image, std::string& message) {
  image = DecodedImage();
  message.clear();
  std::vector<uint8_t> data;
  if (!path || !ReadWholeFile(path, ReadLimit::kTexture, data)) {
    message = std::string("cannot read \"") + (path ? path : "") + "\"";
    return false;
  }
  if (!DecodeJpegMemory(data.data(), data.size(), image, message)) {
    message = std::string("\"") + path + "\" is not a valid JPEG: " + message;
    return false;
  }
  return true;
}

namespace {

int g_failures = 0;

// The production cannot run with a texture missing: say which one, in the log and on the
// console. The caller gets no texture, and start-up stops at its next step.
uint32_t FailTexture(const std::string& message) {
  std::fprintf(stderr, "Cannot load texture: %s\n", message.c_str());
  std::printf("Cannot load texture: %s\n", message.c_str());
  ++g_failures;
  return 0;
}

bool PowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

// The next mipmap level as GLU makes it: each texel the rounded mean of a 2 x 2 block, and once
// a side is down to 1, the truncated mean of a pair.
DecodedImage HalveImage(const DecodedImage& in) {
  DecodedImage out;
  out.width = in.width > 1 ? in.width / 2 : 1;
  out.height = in.height > 1 ? in.height / 2 : 1;
  out.rowBytes = out.width * 3;
  out.pixels.resize(static_cast<size_t>(out.rowBytes) * out.height);
  const uint8_t* from = in.pixels.data();
  uint8_t* to = out.pixels.data();
  if (in.width == 1 || in.height == 1) {
    for (size_t i = 0; i < out.pixels.size(); i += 3)
      for (size_t c = 0; c < 3; ++c)
        to[i + c] = static_cast<uint8_t>((from[2 * i + c] + from[2 * i + 3 + c]) / 2);
    return out;
  }
  for (int32_t y = 0; y < out.height; ++y) {
    const uint8_t* upper = from + static_cast<size_t>(2 * y) * in.rowBytes;
    const uint8_t* lower = upper + in.rowBytes;
    uint8_t* row = to + static_cast<size_t>(y) * out.rowBytes;
    for (int32_t x = 0; x < out.rowBytes; x += 3) {
      for (int32_t c = 0; c < 3; ++c) {
        const int32_t i = 2 * x + c;
        row[x + c] =
            static_cast<uint8_t>((upper[i] + upper[i + 3] + lower[i] + lower[i + 3] + 2) / 4);
      }
    }
  }
  return out;
}

// Three components as the fixed-function library has always been given them; a core-profile
// context knows only sized formats.
GLint InternalFormat() { return g_coreProfile ? GL_RGB8 : 3; }

// A core-profile context has no GLU: the picture goes up at its own size (any size is a texture
// there) and the driver makes the smaller levels.
void UploadWithDriverLevels(const DecodedImage& picture) {
  static const auto generate =
      reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(GLProcAddress("glGenerateMipmap"));
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, picture.width, picture.height, 0, GL_RGB,
               GL_UNSIGNED_BYTE, picture.pixels.data());
  if (generate) generate(GL_TEXTURE_2D);
}

// Whether the driver takes level 0 at its size, as GLU asks before it uploads a chain.
bool LevelZeroFits(const DecodedImage& image) {
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, InternalFormat(), image.width, image.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               nullptr);
  GLint width = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
  return width == image.width;
}

}  // namespace

PreparedTexture PrepareTexture(const char* path) {
  PreparedTexture prepared;
  DecodedImage image;
  if (!path) {
    prepared.message = "ruta nula";
    return prepared;
  }
  prepared.decoded = DecodeJpegFile(path, image, prepared.message);
  if (!prepared.decoded) return prepared;
  const bool chain = PowerOfTwo(image.width) && PowerOfTwo(image.height);
  prepared.levels.push_back(std::move(image));
  while (chain && (prepared.levels.back().width > 1 || prepared.levels.back().height > 1))
    prepared.levels.push_back(HalveImage(prepared.levels.back()));
  if (chain) prepared.coverage = CoverageOf(prepared.levels.front());
  return prepared;
}

PreparedTexture PrepareCheckerTexture() {
  constexpr int32_t kSide = 64, kSquare = 8;
  PreparedTexture prepared;
  prepared.decoded = true;
  DecodedImage image;
  image.width = image.height = kSide;
  image.rowBytes = kSide * 3;
  image.pixels.resize(static_cast<size_t>(image.rowBytes) * kSide);
  for (int32_t y = 0; y < kSide; ++y) {
    for (int32_t x = 0; x < kSide; ++x) {
      const bool magenta = (x / kSquare + y / kSquare) % 2 == 0;
      uint8_t* texel = &image.pixels[static_cast<size_t>(y) * image.rowBytes + x * 3];
      texel[0] = texel[2] = magenta ? 255 : 0;
      texel[1] = 0;
    }
  }
  prepared.levels.push_back(std::move(image));
  while (prepared.levels.back().width > 1) prepared.levels.push_back(HalveImage(prepared.levels.back()));
  prepared.coverage = CoverageOf(prepared.levels.front());
  return prepared;
}

uint32_t TextureLoader::LoadTexture(const char* path, bool sphereMap) {
  return Upload(path, PrepareTexture(path), sphereMap);
}

uint32_t TextureLoader::Upload(const char* path, const PreparedTexture& prepared, bool sphereMap) {
  if (!prepared.decoded) return FailTexture(prepared.message);
  if (!prepared.message.empty())
    std::printf("Warning: texture \"%s\": %s\n", path, prepared.message.c_str());

  GLuint name = 0;
  glGenTextures(1, &name);
  if (!g_coreProfile) glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, name);
  // Rows are width x 3 bytes with no padding; the default 4-byte alignment would read past
  // the end of each row (and of the picture) for widths that are not multiples of 4.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  const DecodedImage& picture = prepared.levels.front();
  if (prepared.levels.size() > 1 && LevelZeroFits(picture)) {
    for (size_t level = 0; level < prepared.levels.size(); ++level) {
      const DecodedImage& image = prepared.levels[level];
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), InternalFormat(), image.width,
                   image.height, 0, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    }
  } else if (g_coreProfile) {
    UploadWithDriverLevels(picture);
  } else {
    // Other sides are scaled to powers of two first, which GLU does its own way.
    GLint built = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, picture.width, picture.height, GL_RGB,
                                    GL_UNSIGNED_BYTE, picture.pixels.data());
    if (built != 0)
      std::printf("Warning: texture \"%s\": %s\n", path,
                  reinterpret_cast<const char*>(gluErrorString(built)));
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  BindAsLoaded(name, sphereMap);
  return name;
}

int TextureLoader::FailureCount() { return g_failures; }

void TextureLoader::BindAsLoaded(uint32_t name, bool sphereMap) {
  if (g_coreProfile) return;  // the shader renderer binds its textures where it draws them
  glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, name);
  // The generation mode belongs to the texture unit, not to the texture: it stays in force for
  // whatever the renderer draws later with generation enabled on these units.
  if (sphereMap) {
    for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE1_ARB}) {
      glActiveTextureARB(unit);
      glBindTexture(GL_TEXTURE_2D, name);
      glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
      glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
  }
}
