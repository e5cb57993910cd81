# The Debian package (cpack -G DEB in the build folder): what `cmake --install` puts under /usr,
# its library dependencies found by dpkg-shlibdeps. Manual pages and the changelog are gzipped
# here, as Debian wants them.
set(TESSARY_GZIPPED ${CMAKE_CURRENT_BINARY_DIR}/gz)
function(tessary_gzip source name)
    file(MAKE_DIRECTORY ${TESSARY_GZIPPED})
    execute_process(COMMAND gzip -9 -n -c ${source} OUTPUT_FILE ${TESSARY_GZIPPED}/${name}.gz
                    COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

tessary_gzip(${CMAKE_CURRENT_SOURCE_DIR}/changelog.Debian changelog.Debian)
install(FILES copyright ${TESSARY_GZIPPED}/changelog.Debian.gz
        DESTINATION ${TESSARY_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tessary developers <tessary-dev@lists.tessary.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "move files into and out of the RAM and Flash of FPGA boards")
# The extended description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tessary loads files into the RAM and Flash of FPGA boards whose design holds
a small memory controller, stores memory ranges into files and erases Flash
blocks, over a serial line or the lnkutil device library.

This package holds the desktop program tessary, the same operations for
scripts in tessary-cli, a simulated board on a pseudo-terminal
(tessary-board), the device library liblnkutil with its headers and
the labgrid driver TessaryDriver (Python module tessary_labgrid).")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/tessary/tessary)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The labgrid driver is a few Python files that read tessary-cli's JSON, so it ships with the
# very tessary-cli it was written against; only a lab that uses it needs Python and labgrid.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3, python3-labgrid")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/lib ${CMAKE_BINARY_DIR}/lib/lnkutil)
# The dynamic linker's cache is refreshed by dpkg's ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/triggers
                                       ${CMAKE_CURRENT_SOURCE_DIR}/shlibs)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
