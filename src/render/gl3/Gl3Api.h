#pragma once
// The OpenGL entry points the shader renderer calls beyond the 1.1 ones every system library
// exports, fetched from the driver once its context is current. Only what OpenGL ES 3.0 also has.
#include "platform/OpenGL.h"

#define ZB_GL3_ENTRIES(X)                                                                 \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture, glActiveTexture)                               \
  X(PFNGLATTACHSHADERPROC, AttachShader, glAttachShader)                                  \
  X(PFNGLBINDBUFFERPROC, BindBuffer, glBindBuffer)                                        \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer, glBindFramebuffer)                         \
  X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer, glBindRenderbuffer)                      \
  X(PFNGLBINDSAMPLERPROC, BindSampler, glBindSampler)                                     \
  X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray, glBindVertexArray)                         \
  X(PFNGLBUFFERDATAPROC, BufferData, glBufferData)                                        \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus, glCheckFramebufferStatus)    \
  X(PFNGLCOMPILESHADERPROC, CompileShader, glCompileShader)                               \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram, glCreateProgram)                               \
  X(PFNGLCREATESHADERPROC, CreateShader, glCreateShader)                                  \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers, glDeleteBuffers)                               \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers, glDeleteFramebuffers)                \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram, glDeleteProgram)                               \
  X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers, glDeleteRenderbuffers)             \
  X(PFNGLDELETESAMPLERSPROC, DeleteSamplers, glDeleteSamplers)                            \
  X(PFNGLDELETESHADERPROC, DeleteShader, glDeleteShader)                                  \
  X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays, glDeleteVertexArrays)                \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray, glDisableVertexAttribArray) \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray, glEnableVertexAttribArray) \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer, glFramebufferRenderbuffer) \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D, glFramebufferTexture2D)          \
  X(PFNGLGENBUFFERSPROC, GenBuffers, glGenBuffers)                                        \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers, glGenFramebuffers)                         \
  X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers, glGenRenderbuffers)                      \
  X(PFNGLGENSAMPLERSPROC, GenSamplers, glGenSamplers)                                     \
  X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays, glGenVertexArrays)                         \
  X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, GetFramebufferAttachmentParameteriv,    \
    glGetFramebufferAttachmentParameteriv)                                                \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog, glGetProgramInfoLog)                   \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv, glGetProgramiv)                                  \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog, glGetShaderInfoLog)                      \
  X(PFNGLGETSHADERIVPROC, GetShaderiv, glGetShaderiv)                                     \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation, glGetUniformLocation)                \
  X(PFNGLLINKPROGRAMPROC, LinkProgram, glLinkProgram)                                     \
  X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage, glRenderbufferStorage)             \
  X(PFNGLSAMPLERPARAMETERIPROC, SamplerParameteri, glSamplerParameteri)                   \
  X(PFNGLSHADERSOURCEPROC, ShaderSource, glShaderSource)                                  \
  X(PFNGLUNIFORM1FPROC, Uniform1f, glUniform1f)                                           \
  X(PFNGLUNIFORM1FVPROC, Uniform1fv, glUniform1fv)                                        \
  X(PFNGLUNIFORM1IPROC, Uniform1i, glUniform1i)                                           \
  X(PFNGLUNIFORM2FPROC, Uniform2f, glUniform2f)                                           \
  X(PFNGLUNIFORM3FVPROC, Uniform3fv, glUniform3fv)                                        \
  X(PFNGLUNIFORM4FPROC, Uniform4f, glUniform4f)                                           \
  X(PFNGLUNIFORM4FVPROC, Uniform4fv, glUniform4fv)                                        \
  X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv, glUniformMatrix4fv)                      \
  X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv, glUniformMatrix3fv)                      \
  X(PFNGLUSEPROGRAMPROC, UseProgram, glUseProgram)                                        \
  X(PFNGLVERTEXATTRIB4FPROC, VertexAttrib4f, glVertexAttrib4f)                            \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer, glVertexAttribPointer)

struct Gl3Api {
#define ZB_GL3_FIELD(type, field, name) type field = nullptr;
  ZB_GL3_ENTRIES(ZB_GL3_FIELD)
#undef ZB_GL3_FIELD
  // Fetches every entry; false, naming the first missing one in `missing`, when one is not there.
  bool Load(const char*& missing);
};

extern Gl3Api gl3;
