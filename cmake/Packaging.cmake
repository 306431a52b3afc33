# `cmake --install` and the Debian package (scripts/package.sh runs cpack).
# Layout: cmake/InstallDirs.cmake. The programs find each other from their
# own folder, so the package works from its prefix or unpacked elsewhere.
install(TARGETS tsm-discover RUNTIME DESTINATION ${TSM_INSTALL_BIN_DIR})
install(TARGETS zyhost LIBRARY DESTINATION ${TSM_INSTALL_PRIVATE_LIB_DIR})
install(TARGETS tsmplugin LIBRARY DESTINATION ${TSM_INSTALL_PLUGIN_DIR})
install(TARGETS dsmadmc RUNTIME DESTINATION ${TSM_INSTALL_LIBEXEC_DIR})
# The plug-in finds the host library through the host that loads it; the
# run path serves any other host and dpkg-shlibdeps.
set_target_properties(tsmplugin PROPERTIES INSTALL_RPATH "$ORIGIN/${TSM_PLUGIN_TO_PRIVATE_LIB}")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/site DESTINATION ${TSM_INSTALL_DATA_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/tools.md
        ${CMAKE_SOURCE_DIR}/docs/inventory.schema.json ${CMAKE_SOURCE_DIR}/docs/diff.schema.json
        DESTINATION ${TSM_INSTALL_DOC_DIR})
install(FILES ${CMAKE_BINARY_DIR}/man/tsm-discover.1 ${CMAKE_BINARY_DIR}/man/dsmadmc-sim.1
        DESTINATION ${TSM_INSTALL_MAN_DIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tsm-discover)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "TSM discovery maintainers <tsm-discover@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "TSM discovery plug-in, its small host tsm-discover and a dsmadmc simulator")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The discovery plug-in through which the backup product takes over a TSM site, tsm-discover (runs a discovery, writes the takeover report, the JSON inventory and the changes between two runs) and, for the demo, a dsmadmc simulator with a sample site.")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Run-time dependencies from the binaries (dpkg-shlibdeps), not typed here;
# the host library is the package's own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_STRIP_FILES ON)
include(CPack)
