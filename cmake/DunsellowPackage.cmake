# The Debian package of the installed tree (`bash scripts/package`): the
# suite under /usr, the udev rule and the monitor's autostart entry in their
# system places, run-time dependencies found from the binaries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dunsellow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Dunsellow developers")
set(CPACK_PACKAGE_CONTACT "Dunsellow developers <dunsellow@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop suite for USB document cameras")
set(CPACK_PACKAGE_DESCRIPTION "Live preview, photos and movies with sound from a USB document camera,
with a thumbnail album, photo and movie editors, a photo viewer, a media
player, printing and e-mail hand-off, and a monitor for the camera's buttons.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
# The udev rule and the autostart entry have absolute destinations: they
# must land inside the package, not on the building machine.
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The shared layers live in the package's private lib folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The package's copyright file and changelog, where Debian keeps them.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debian)
execute_process(COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/cmake/debian/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/cmake/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION share/doc/dunsellow)
include(CPack)
