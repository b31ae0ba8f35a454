# Builds whose bytes depend on the source alone, wherever and whenever they are
# made: on by default when SOURCE_DATE_EPOCH is set (scripts/release sets it from
# the commit, as Debian's builders do).
#
# The compilers write the source and build folders into debug information and
# __FILE__; both are mapped to fixed names. The data set, the archives and the
# version file carry no times of their own. The Windows linker would stamp the
# link time into the PE header, so it never does.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(reproducible_default ON)
else()
  set(reproducible_default OFF)
endif()
option(VANDREL_REPRODUCIBLE "Map the source and build folders out of the binaries" ${reproducible_default})
if(VANDREL_REPRODUCIBLE)
  # The cross builds' libraries lie in the user's cache, whose path differs from
  # machine to machine; their headers' names reach __FILE__ (SDL's assertions).
  foreach(prefix VANDREL_WINDOWS_PREFIX VANDREL_WEB_PREFIX)
    if(${prefix})
      add_compile_options("-ffile-prefix-map=${${prefix}}=deps")
    endif()
  endforeach()
  # The last map given is tried first: the build folder may lie inside the source.
  add_compile_options("-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
endif()
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
