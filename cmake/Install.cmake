# What `cmake --install` puts where, in the layout Debian uses for games: the program in games/,
# its read-only data in share/games/spraydash/Data, the desktop entry, hicolor icons (assets/icon),
# AppStream data, the manual page and the documentation. Everything here belongs to the install
# component "game"; the score service installs its own component "scores". The installed program
# finds its data from its own location and keeps the saves in a per-user folder
# (platform/DataLocation), so a staged install (DESTDIR), a package or another prefix works as well.
include(GNUInstallDirs)

set(SPRAYDASH_INSTALL_GAMESDIR games CACHE STRING "Where the program is installed, relative to the prefix")
set(SPRAYDASH_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/games/spraydash CACHE STRING
    "Where the game's data is installed, relative to the prefix")
set(SPRAYDASH_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/spraydash)

# The game's home on the web is the publisher's site, which the score service serves at its root
# (with the screenshots under /static), so a release build that sets SPRAYDASH_SCORE_SERVER_HOST
# gets matching addresses in its package and AppStream data.
set(SPRAYDASH_HOMEPAGE "http://${SPRAYDASH_SCORE_SERVER_HOST}/" CACHE STRING "The game's home page")
set(SPRAYDASH_BUGTRACKER "${SPRAYDASH_HOMEPAGE}" CACHE STRING "Where players report problems")
set(SPRAYDASH_SCREENSHOT_BASE "${SPRAYDASH_HOMEPAGE}static" CACHE STRING
    "Web folder holding screenshot-menu.png and screenshot-race.png, for software centres")
set(SPRAYDASH_APP_ID "io.github.spraydash.SprayDash" CACHE STRING "The AppStream component id")
set(SPRAYDASH_MAINTAINER "Spray Dash developers <spraydash@users.noreply.github.com>" CACHE STRING
    "Package maintainer, \"Name <address>\"")
set(SPRAYDASH_RELEASE_DATE "2026-12-10" CACHE STRING "Date of this version, YYYY-MM-DD")
set(SPRAYDASH_VERSION ${PROJECT_VERSION})

install(TARGETS spraydash RUNTIME DESTINATION ${SPRAYDASH_INSTALL_GAMESDIR} COMPONENT game)
install(DIRECTORY ${SPRAYDASH_DATA_DIR}/Res ${SPRAYDASH_DATA_DIR}/Music ${SPRAYDASH_DATA_DIR}/Fonts
                  ${SPRAYDASH_DATA_DIR}/Icon
        DESTINATION ${SPRAYDASH_INSTALL_DATA_DIR}/Data COMPONENT game
        PATTERN "*.stamp" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${SPRAYDASH_INSTALL_DOCDIR} COMPONENT game)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${SPRAYDASH_INSTALL_DOCDIR} COMPONENT game)

# Manual page and changelog, compressed the way Debian wants them (no time stamp in the gzip header,
# so two builds give the same bytes).
execute_process(COMMAND date -u -R -d ${SPRAYDASH_RELEASE_DATE} OUTPUT_VARIABLE SPRAYDASH_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(_pkg ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_SOURCE_DIR}/packaging/spraydash.6 ${_pkg}/spraydash.6 @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${_pkg}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/metainfo.xml.in ${_pkg}/${SPRAYDASH_APP_ID}.metainfo.xml @ONLY)
find_program(GZIP_PROGRAM gzip REQUIRED)
foreach(_f spraydash.6 changelog)
  add_custom_command(OUTPUT ${_pkg}/${_f}.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${_pkg}/${_f} > ${_pkg}/${_f}.gz
    DEPENDS ${_pkg}/${_f} VERBATIM)
endforeach()
add_custom_target(spraydash_docs ALL DEPENDS ${_pkg}/spraydash.6.gz ${_pkg}/changelog.gz)
install(FILES ${_pkg}/spraydash.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES ${_pkg}/changelog.gz DESTINATION ${SPRAYDASH_INSTALL_DOCDIR} COMPONENT game)
install(FILES ${_pkg}/${SPRAYDASH_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
# The score service's package carries the same copyright and changelog under its own name.
if(TARGET spraydash-scores)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${_pkg}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/spraydash-scores COMPONENT scores)
endif()

# The program looks for its data relative to its own folder, so only the path from the program's
# folder to the data is built in.
file(RELATIVE_PATH _spraydash_data_rel ${CMAKE_INSTALL_PREFIX}/${SPRAYDASH_INSTALL_GAMESDIR}
     ${CMAKE_INSTALL_PREFIX}/${SPRAYDASH_INSTALL_DATA_DIR})
set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/DataLocation.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS SPRAYDASH_INSTALL_DATA_REL="${_spraydash_data_rel}")

include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)

# The install itself, into a scratch folder: the layout, and that the installed program starts,
# finds its data and writes its saves into the user's folder only; then the Debian package of the
# same build, checked by lintian and the desktop and AppStream validators, unpacked and run.
if(SPRAYDASH_TESTS)
  add_test(NAME install_layout
    COMMAND ${CMAKE_SOURCE_DIR}/tests/window/install.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${CMAKE_INSTALL_PREFIX}
            ${SPRAYDASH_INSTALL_GAMESDIR} ${SPRAYDASH_INSTALL_DATA_DIR} ${CMAKE_INSTALL_DATADIR}
            ${CMAKE_CPACK_COMMAND} ${SPRAYDASH_APP_ID}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(install_layout PROPERTIES TIMEOUT 600 LABELS window)
endif()
