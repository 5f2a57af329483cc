#pragma once
// The OpenGL 1.x headers, GLU and the extension types. mingw-w64's gl.h pulls in <windows.h>
// unless APIENTRY and WINGDIAPI are already defined, and windows.h declares the very Win32 names
// (MSG, HWND, PeekMessageA, SwapBuffers ...) that the engine defines for itself; the three
// macros the headers need are given here instead.
#if defined(_WIN32) && !defined(APIENTRY)
#define APIENTRY __stdcall
#endif
#if defined(_WIN32) && !defined(WINGDIAPI)
#define WINGDIAPI __declspec(dllimport)
#endif
#if defined(_WIN32) && !defined(CALLBACK)
#define CALLBACK __stdcall
#endif
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
