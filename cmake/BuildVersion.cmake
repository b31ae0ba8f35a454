# Writes the game's version file: the project's version and the source tree's
# git description. Run at every build; the file is rewritten only when its text
# changes, so an unchanged tree rebuilds nothing.
# cmake -DSOURCE_DIR=... -DVERSION=... -DOUT=... -P BuildVersion.cmake
execute_process(
  COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --tags
  OUTPUT_VARIABLE describe
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR describe STREQUAL "")
  # A source tree without its history (a release tarball, say).
  set(describe "no git description")
endif()
set(text "// Made by cmake/BuildVersion.cmake at build time.\n#include \"main/BuildVersion.h\"\n\nnamespace vandrel {\nconst char* const kVersion = \"${VERSION}\";\nconst char* const kBuildDescription = \"${describe}\";\n} // namespace vandrel\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
