# Toolchain for the browser build: Debian's emscripten, with the libraries that
# scripts/build-web-deps cross-built from Debian's sources into a prefix
# (VANDREL_WEB_PREFIX, on the command line or in the environment).
execute_process(COMMAND em-config EMSCRIPTEN_ROOT OUTPUT_VARIABLE _vandrel_em_root
  OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE _vandrel_em_result)
if(NOT _vandrel_em_result EQUAL 0 OR NOT EXISTS "${_vandrel_em_root}")
  set(_vandrel_em_root /usr/share/emscripten)
endif()
include("${_vandrel_em_root}/cmake/Modules/Platform/Emscripten.cmake")

if(NOT VANDREL_WEB_PREFIX AND DEFINED ENV{VANDREL_WEB_PREFIX})
  set(VANDREL_WEB_PREFIX "$ENV{VANDREL_WEB_PREFIX}")
endif()
# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VANDREL_WEB_PREFIX)
if(VANDREL_WEB_PREFIX)
  set(ENV{VANDREL_WEB_PREFIX} "${VANDREL_WEB_PREFIX}")
  list(APPEND CMAKE_FIND_ROOT_PATH "${VANDREL_WEB_PREFIX}")
  list(APPEND CMAKE_PREFIX_PATH "${VANDREL_WEB_PREFIX}")
  # Only the cross-built .pc files: the host's SDL2 headers must not leak in.
  set(ENV{PKG_CONFIG_LIBDIR} "${VANDREL_WEB_PREFIX}/lib/pkgconfig:${VANDREL_WEB_PREFIX}/share/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
endif()
