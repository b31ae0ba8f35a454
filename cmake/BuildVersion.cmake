# Writes the game's version file: the project's version and the source tree's
# git description. Run at every build; the file is rewritten only when its text
# changes, so an unchanged tree rebuilds nothing.
# cmake -DSOURCE_DIR=... -DVERSION=... -DOUT=... -P BuildVersion.cmake
#
# The description is git's only when SOURCE_DIR is the top of its own
# repository: a source tarball unpacked inside some other clone would otherwise
# name that clone's commit. A tarball made by `git archive` carries its own
# description in cmake/SourceDescription.txt (filled in by export-subst).
set(describe "")
execute_process(
  COMMAND git -C "${SOURCE_DIR}" rev-parse --show-toplevel
  OUTPUT_VARIABLE top
  OUTPUT_STRIP_TRAILING_WHITESPACE
  ERROR_QUIET
  RESULT_VARIABLE result)
if(result EQUAL 0)
  file(REAL_PATH "${SOURCE_DIR}" source_real)
  file(REAL_PATH "${top}" top_real)
  if(source_real STREQUAL top_real)
    execute_process(
      COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --tags --abbrev=12
      OUTPUT_VARIABLE describe
      OUTPUT_STRIP_TRAILING_WHITESPACE
      ERROR_QUIET
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      set(describe "")
    endif()
  endif()
endif()
if(describe STREQUAL "" AND EXISTS "${SOURCE_DIR}/cmake/SourceDescription.txt")
  # First line: git describe of the archived commit (empty when it has no tag
  # to name), second line: its hash. Unfilled, both start with "$Format".
  # Hashes are cut to twelve digits here and above, not to git's choice, which
  # grows with the repository and would make two clones' builds differ.
  file(STRINGS "${SOURCE_DIR}/cmake/SourceDescription.txt" lines)
  foreach(line IN LISTS lines)
    if(describe STREQUAL "" AND NOT line STREQUAL "" AND NOT line MATCHES "^\\$Format")
      set(describe "${line}")
      if(line MATCHES "^[0-9a-f]+$")
        string(SUBSTRING "${line}" 0 12 describe)
      endif()
    endif()
  endforeach()
endif()
if(describe STREQUAL "")
  # A source tree without its history and without a description.
  set(describe "no git description")
endif()
set(text "// Made by cmake/BuildVersion.cmake at build time.\n#include \"main/BuildVersion.h\"\n\nnamespace vandrel {\nconst char* const version = \"${VERSION}\";\nconst char* const buildDescription = \"${describe}\";\n} // namespace vandrel\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()
