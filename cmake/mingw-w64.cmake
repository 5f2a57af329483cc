# 64-bit Windows from Debian's mingw-w64 (POSIX threads). ZB_WINDOWS_PREFIX is the folder of the
# cross-built libraries (scripts/windows-deps.sh prints it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZB_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ZB_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZB_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER  ${ZB_MINGW}-windres)
set(ZB_WINDOWS_PREFIX "$ENV{ZB_WINDOWS_PREFIX}" CACHE PATH "cross-built libraries for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${ZB_MINGW} ${ZB_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config looks only among the cross-built libraries, never the machine's own.
set(ENV{PKG_CONFIG_LIBDIR} "${ZB_WINDOWS_PREFIX}/lib/pkgconfig:/usr/${ZB_MINGW}/lib/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
