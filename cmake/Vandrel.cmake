# Shared helpers for the library folders, the tests and the fuzz targets.

# vandrel_warnings(TARGET...)
# The compiler warnings every target of ours is built with; set per target so
# that imported and third-party targets keep their own.
function(vandrel_warnings)
  foreach(target ${ARGN})
    target_compile_options(${target} PRIVATE -Wall -Wextra)
  endforeach()
endfunction()

# vandrel_library(NAME SOURCES files... [LINKS targets...] [PRIVATE_LINKS targets...])
# One static library for one source folder, from the files it names (no glob:
# a new file is added to its folder's list). LINKS are the layers below it.
#
# The folders a library may include from are its own and those of the libraries
# it links, directly or through them; an include of any other folder of src/ is
# a layer above (or beside) it and stops the configure step, so the layering
# the links state is the layering the code has.
function(vandrel_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS;PRIVATE_LINKS" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${L_LINKS} PRIVATE ${L_PRIVATE_LINKS})
  vandrel_warnings(${name})

  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(allowed ${folder})
  # A sub-folder without a CMakeLists.txt of its own (win32/) is part of this library.
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND NOT EXISTS ${child}/CMakeLists.txt)
      get_filename_component(child ${child} NAME)
      list(APPEND allowed ${folder}/${child})
    endif()
  endforeach()
  foreach(link ${L_LINKS} ${L_PRIVATE_LINKS})
    get_property(below GLOBAL PROPERTY vandrel_folders_${link})
    list(APPEND allowed ${below})
  endforeach()
  list(REMOVE_DUPLICATES allowed)
  set_property(GLOBAL PROPERTY vandrel_folders_${name} ${allowed})
  # Sources added for one system only (win32/) are listed after this call.
  # (a deferred call reads its arguments when it runs, hence the EVAL).
  cmake_language(EVAL CODE "cmake_language(DEFER CALL vandrel_check_includes ${name})")
endfunction()

function(vandrel_check_includes name)
  get_property(allowed GLOBAL PROPERTY vandrel_folders_${name})
  get_target_property(sources ${name} SOURCES)
  set(dirs)
  foreach(source ${sources})
    get_filename_component(dir ${source} DIRECTORY)
    if(NOT IS_ABSOLUTE "${dir}")
      set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    endif()
    list(APPEND dirs ${dir})
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  foreach(dir ${dirs})
    file(RELATIVE_PATH own ${PROJECT_SOURCE_DIR}/src ${dir})
    list(APPEND allowed ${own})
    file(GLOB files ${dir}/*.h ${dir}/*.cpp)
    foreach(file ${files})
      file(STRINGS ${file} includes REGEX "^#include \"[A-Za-z0-9_/]+/[A-Za-z0-9_.]+\"")
      foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([A-Za-z0-9_/]+)/[A-Za-z0-9_.]+\".*" "\\1" included "${line}")
        if(NOT included IN_LIST allowed AND IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${included})
          file(RELATIVE_PATH shown ${PROJECT_SOURCE_DIR} ${file})
          message(FATAL_ERROR "${shown}: '${line}' climbs above ${name}, which may include only from: ${allowed}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()

# vandrel_node_executable(TARGET)
# In the browser build, a program for Node rather than for the page: it reads
# and writes the machine's files directly (its tests' sources, the data set,
# recordings), its memory grows as it needs, and its exit code reaches the
# shell once its output is flushed.
function(vandrel_node_executable target)
  if(EMSCRIPTEN)
    target_link_options(${target} PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
  endif()
endfunction()

# vandrel_test(NAME SOURCES files... LIBS targets... [LABELS labels...])
# One GoogleTest binary; every test runs without a display or a sound card, and
# a high-score table a test saves lands in the build folder, never in a real home.
# LABELS go on each of its tests, for a stage that runs only those
# (ctest -L threads: the ThreadSanitizer stage of ./test).
if(VANDREL_TESTS)
  include(GoogleTest)
  find_package(GTest REQUIRED)
endif()
function(vandrel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  vandrel_warnings(${name})
  vandrel_node_executable(${name})
  target_compile_definitions(${name} PRIVATE
    VANDREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANDREL_BINARY_DIR="${PROJECT_BINARY_DIR}"
    VANDREL_GAME_FILE="${VANDREL_GAME_FILE}")
  # A cross-built test binary runs only through the emulator (Wine, Node), so its
  # tests are listed when ctest starts rather than during the build.
  set(discovery)
  if(CMAKE_CROSSCOMPILING)
    set(discovery DISCOVERY_MODE PRE_TEST)
  endif()
  set(labels)
  if(T_LABELS)
    set(labels PROPERTIES LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 120 ${discovery} ${labels})
  # gtest_discover_tests splits a list-valued ENVIRONMENT into separate
  # properties, so the environment is set on the discovered tests afterwards.
  set(env "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
  list(APPEND env "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-store")
  list(APPEND env "VANDREL_MACHINE_STORE=${PROJECT_BINARY_DIR}/test-store/no-machine-store")
  set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()
