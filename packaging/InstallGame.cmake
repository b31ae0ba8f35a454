# Runs at install time (cmake --install, cpack): installs the game and writes its
# menu entry for the prefix it is installed under.

if(IS_ABSOLUTE "${VANDREL_GAMESDIR}")
  set(gamesdir "${VANDREL_GAMESDIR}")
else()
  set(gamesdir "${CMAKE_INSTALL_PREFIX}/${VANDREL_GAMESDIR}")
endif()

if(CMAKE_INSTALL_DO_STRIP)
  set(game "${VANDREL_STRIPPED_GAME}")
else()
  set(game "${VANDREL_GAME}")
endif()
if(NOT EXISTS "${game}")
  message(FATAL_ERROR "vandrel: ${game} is not built; build the project before installing it")
endif()
file(INSTALL DESTINATION "${gamesdir}" TYPE PROGRAM FILES "${game}")

# The entry names the game by its full path: a menu started from a session
# whose PATH lacks the games folder still finds it.
file(READ "${VANDREL_DESKTOP_IN}" entry)
string(REPLACE "@GAME@" "${gamesdir}/vandrel" entry "${entry}")
string(REPLACE "@APP_ID@" "${VANDREL_APP_ID}" entry "${entry}")
file(WRITE "${VANDREL_DESKTOP_OUT}" "${entry}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VANDREL_APPLICATIONS_DIR}" TYPE FILE FILES "${VANDREL_DESKTOP_OUT}")
