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
  set(dir ${PROJECT_SOURCE_DIR}/src/platform/win32)
  set(VANDREL_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.manifest)
  configure_file(${dir}/Vandrel.manifest.in ${VANDREL_MANIFEST} @ONLY)
  # The icon is drawn by icongen on the build machine (the native build's icons).
  set(VANDREL_ICON_LINE "// (no icon: the native build has not drawn icons/vandrel.ico)")
  if(VANDREL_ICON_FILE)
    set(VANDREL_ICON_LINE "103 ICON \"${VANDREL_ICON_FILE}\"")
  endif()
  configure_file(${dir}/Vandrel.rc.in ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/Vandrel.rc)
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
