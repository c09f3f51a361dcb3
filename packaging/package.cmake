# The Debian package: `cpack -G DEB` in the build folder makes tavlor_VERSION_ARCH.deb
# from the install rules. Its run-time dependencies are found from the built programs
# and library by dpkg-shlibdeps; the desktop's caches are refreshed by the triggers of
# shared-mime-info, desktop-file-utils and the icon theme.
# The manual pages of the installed programs and the bash completion of tavlor.
install(FILES ${PROJECT_SOURCE_DIR}/doc/man/tavlor.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(program Tavlor40 TavlorCatalog)
  if(TARGET ${program})
    install(FILES ${PROJECT_SOURCE_DIR}/doc/man/${program}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavlor.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME tavlor)

set(CPACK_PACKAGE_NAME tavlor)
set(CPACK_PACKAGE_VENDOR "Quorvale")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk catalogs: catalog USB sticks, CDs and disks, browse and search them offline")
set(CPACK_PACKAGE_DESCRIPTION "Tavlor catalogs whole disks into small text catalogs, one per volume, so they can be
browsed, searched, de-duplicated and compared while the disks stay on the shelf.
It contains the browser Tavlor40, the file-manager plug-in TavlorCatalog, the
command line tavlor and the scanning library libTavscan60.")
set(CPACK_PACKAGE_CONTACT "Tavlor maintainers <tavlor@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libTavscan60.so.6 comes with the package itself.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${TAVLOR_LIBRARY_OUTPUT_DIRECTORY})
# xdg-open and xdg-mime open catalogs and decide their type; libsystemd0 is loaded when
# the system bus is first needed, so the package scan cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, shared-mime-info, fuse3, libsystemd0")
# udisks2 ejects without root; without a desktop environment xdg-mime reads the MIME
# database only through libfile-mimeinfo-perl (else a catalog is plain text to it).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udisks2, desktop-file-utils, libfile-mimeinfo-perl")
set(CPACK_STRIP_FILES ON)
include(CPack)
