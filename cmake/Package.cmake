# Debian packages from this build: `cpack -G DEB` in the build folder makes
# spraydash_<version>_<arch>.deb from the install component "game" and, when the score service's
# install rules are part of the build, spraydash-scores_<version>_<arch>.deb from component "scores".
# The first line of a description is the package's summary; CPack indents the rest.
# Both install below /usr; the program is stripped and its debug symbols go into a -dbgsym package.
# Library dependencies come from dpkg-shlibdeps; what it cannot see is listed by hand.
set(CPACK_PACKAGE_NAME spraydash)
set(CPACK_PACKAGE_VENDOR "The Spray Dash developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${SPRAYDASH_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SPRAYDASH_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${SPRAYDASH_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Splits the debug symbols into spraydash-dbgsym_<version>_<arch>.ddeb and strips the program in the
# package (CPACK_STRIP_FILES would strip them before they could be split off).
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_GAME_PACKAGE_NAME spraydash)
set(CPACK_DEBIAN_GAME_PACKAGE_SECTION games)
set(CPACK_DEBIAN_GAME_PACKAGE_PRIORITY optional)
# Fonts the text styles ask fontconfig for, and xdg-open for the world high-score page: neither is
# linked, so dpkg-shlibdeps cannot find them.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "fonts-liberation, fonts-dseg, xdg-utils")
set(CPACK_COMPONENT_GAME_DESCRIPTION "arcade speedboat race down a river
Spray Dash is a single-player arcade boat race. Pick one of three boats
and race down a scrolling river, level after level: dodge or shoot trees,
weed, ducks, fishermen, bridges, ships and other boats, jump the ramps,
collect bonus boxes and timed power-ups, and beat the clock. A good result
enters the local top ten and can be sent to a score server.")

set(CPACK_DEBIAN_SCORES_PACKAGE_NAME spraydash-scores)
set(CPACK_DEBIAN_SCORES_PACKAGE_SECTION web)
# Its pages use the game's fonts from the Debian font packages (the package links to them).
set(CPACK_DEBIAN_SCORES_PACKAGE_DEPENDS "fonts-liberation, fonts-dseg")
set(CPACK_DEBIAN_SCORES_PACKAGE_PRIORITY optional)
set(CPACK_COMPONENT_SCORES_DESCRIPTION "world high-score service for Spray Dash
The score service receives the results that Spray Dash players send and
serves the world high-score table as web pages. It runs as a systemd
service.")

# Only components that really have install rules become packages: until the score service is part
# of the build there is no "scores" component and only the game's package is made.
get_cmake_property(_components COMPONENTS)
set(CPACK_COMPONENTS_ALL)
foreach(_c game scores)
  if(_c IN_LIST _components)
    list(APPEND CPACK_COMPONENTS_ALL ${_c})
  endif()
endforeach()

include(CPack)
