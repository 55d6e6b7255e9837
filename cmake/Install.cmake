# What `cmake --install` puts where (GNU layout): the program in bin, its read-only data in
# share/spraydash/Data, the read-me in the documentation folder; assets/icon adds the desktop
# entry and the hicolor icons. The installed program finds its data from its own location and keeps
# the saves in a per-user folder (platform/DataLocation), so a staged install (DESTDIR) or another
# prefix works as well.
include(GNUInstallDirs)

set(SPRAYDASH_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/spraydash)
install(TARGETS spraydash RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${SPRAYDASH_DATA_DIR}/Res ${SPRAYDASH_DATA_DIR}/Music ${SPRAYDASH_DATA_DIR}/Fonts
                  ${SPRAYDASH_DATA_DIR}/Icon
        DESTINATION ${SPRAYDASH_INSTALL_DATA_DIR}/Data
        PATTERN "*.stamp" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/spraydash OPTIONAL)

# The program looks for its data relative to its own folder, so only the path from bin to the data
# is built in.
file(RELATIVE_PATH _spraydash_data_rel ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/spraydash)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/DataLocation.cpp APPEND PROPERTY
             COMPILE_DEFINITIONS SPRAYDASH_INSTALL_DATA_REL="${_spraydash_data_rel}")

# The install itself, into a scratch folder: the layout, and that the installed program starts,
# finds its data and writes its saves into the user's folder only.
if(SPRAYDASH_TESTS)
  add_test(NAME install_layout
    COMMAND ${CMAKE_SOURCE_DIR}/tests/window/install.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${CMAKE_INSTALL_PREFIX}
            ${CMAKE_INSTALL_BINDIR} ${SPRAYDASH_INSTALL_DATA_DIR} ${CMAKE_INSTALL_DATADIR}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(install_layout PROPERTIES TIMEOUT 600 LABELS window)
endif()
