#pragma once
// printf-style argument checks. With mingw-w64 the printf family used here is its GNU-like one
// (__USE_MINGW_ANSI_STDIO: %zu, %lld), while GCC's plain "printf" check there means Microsoft's.
#ifdef __MINGW32__
#define ZB_PRINTF_FORMAT(text, first) __attribute__((format(gnu_printf, text, first)))
#else
#define ZB_PRINTF_FORMAT(text, first) __attribute__((format(printf, text, first)))
#endif
