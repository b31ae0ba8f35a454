# Shared helpers for the library folders, the tests and the fuzz targets.

# vandrel_library(NAME [LINKS targets...] [PRIVATE_LINKS targets...])
# Builds every .cpp of the calling folder into a static library; a folder
# without sources yet becomes an interface target so that links still resolve.
function(vandrel_library name)
  cmake_parse_arguments(L "" "" "LINKS;PRIVATE_LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${L_LINKS} PRIVATE ${L_PRIVATE_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${L_LINKS})
  endif()
endfunction()

# vandrel_test(NAME SOURCES files... LIBS targets...)
# One GoogleTest binary; every test runs without a display or a sound card, and
# a high-score table a test saves lands in the build folder, never in a real home.
if(VANDREL_TESTS)
  include(GoogleTest)
  find_package(GTest REQUIRED)
endif()
function(vandrel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    VANDREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    VANDREL_BINARY_DIR="${PROJECT_BINARY_DIR}"
    VANDREL_GAME_FILE="${VANDREL_GAME_FILE}")
  # A cross-built test binary runs only through the emulator (Wine), so its
  # tests are listed when ctest starts rather than during the build.
  set(discovery)
  if(CMAKE_CROSSCOMPILING)
    set(discovery DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 120 ${discovery})
  # gtest_discover_tests splits a list-valued ENVIRONMENT into separate
  # properties, so the environment is set on the discovered tests afterwards.
  set(env "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
  list(APPEND env "XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-store")
  list(APPEND env "VANDREL_MACHINE_STORE=${PROJECT_BINARY_DIR}/test-store/no-machine-store")
  set(env_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(WRITE ${env_file} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${env}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${env_file})
endfunction()
