# The Windows build: Vandrel.exe's resources and how it is finished.

# vandrel_windows_executable(TARGET)
# Gives the game its icon (group 103), version information and application
# manifest, and makes it a windowed program that opens no console.
function(vandrel_windows_executable target)
  set(major ${PROJECT_VERSION_MAJOR})
  set(minor 0)
  set(patch 0)
  if(PROJECT_VERSION_MINOR)
    set(minor ${PROJECT_VERSION_MINOR})
  endif()
  if(PROJECT_VERSION_PATCH)
    set(patch ${PROJECT_VERSION_PATCH})
  endif()
  set(VANDREL_VERSION_QUAD ${major}.${minor}.${patch}.0)
  set(VANDREL_VERSION_COMMAS ${major},${minor},${patch},0)
  set(dir ${PROJECT_SOURCE_DIR}/src/system/win32)
  set(VANDREL_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.manifest)
  configure_file(${dir}/Vandrel.manifest.in ${VANDREL_MANIFEST} @ONLY)
  # The icon is drawn by icongen on the build machine, in the native build this
  # one takes its tools from (VANDREL_HOST_BUILD). This runs while src/ is read,
  # before cmake/HostTools.cmake, so the path is made here. An exe without its
  # icon is not a finished game: a missing file stops the build.
  set(VANDREL_ICON_FILE ${VANDREL_HOST_BUILD}/icons/vandrel.ico)
  if(NOT EXISTS ${VANDREL_ICON_FILE})
    message(FATAL_ERROR "Vandrel.exe needs its icon, ${VANDREL_ICON_FILE}, which the native build draws: "
                        "cmake --build ${VANDREL_HOST_BUILD} --target icons (scripts/build-windows does it)")
  endif()
  configure_file(${dir}/Vandrel.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.rc)
  # Depending on the file, a build after the icon has gone fails too (no rule
  # makes it here), and a redrawn icon is taken in.
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/Vandrel.rc PROPERTIES
    OBJECT_DEPENDS "${VANDREL_MANIFEST};${VANDREL_ICON_FILE}")
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
endfunction()

# SDL's pkg-config file names SDL2main and renames main; the game has its own
# main and links the static library with the system libraries it needs.
if(TARGET PkgConfig::SDL2)
  set_target_properties(PkgConfig::SDL2 PROPERTIES
    INTERFACE_COMPILE_OPTIONS ""
    INTERFACE_COMPILE_DEFINITIONS SDL_MAIN_HANDLED
    INTERFACE_LINK_OPTIONS ""
    INTERFACE_LINK_LIBRARIES
      "${SDL2_LIBDIR}/libSDL2.a;user32;gdi32;winmm;imm32;ole32;oleaut32;version;uuid;advapi32;setupapi;shell32")
endif()
