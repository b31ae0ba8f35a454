# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads).
# VANDREL_WINDOWS_PREFIX names the folder of the cross-built libraries
# (scripts/build-windows makes it); only headers and libraries from there and
# from mingw-w64 itself are seen, never the build machine's own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VANDREL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANDREL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VANDREL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VANDREL_MINGW}-windres)
set(CMAKE_AR ${VANDREL_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VANDREL_MINGW}-ranlib CACHE FILEPATH "")

# The toolchain file is read again for every try-compile; the prefix travels
# through the environment so those see it too.
if(VANDREL_WINDOWS_PREFIX)
  set(ENV{VANDREL_WINDOWS_PREFIX} "${VANDREL_WINDOWS_PREFIX}")
else()
  set(VANDREL_WINDOWS_PREFIX "$ENV{VANDREL_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANDREL_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${VANDREL_MINGW} ${VANDREL_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config looks only at the cross-built libraries.
if(VANDREL_WINDOWS_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} "${VANDREL_WINDOWS_PREFIX}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()
