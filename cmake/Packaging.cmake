# Where the program with its index.htm and the boot kiosk's files (deploy/) go,
# and the Debian package.
#
# `cmake --install` puts the program and index.htm in bin/, its Qt WebEngine
# plugin in lib/quillory/ (where the program looks when it is not beside it),
# and the session
# script, the unit and the X configuration together in share/quillory/ for the
# operator to copy. `cpack -G DEB`, run in the build folder, makes
# quillory_<version>_<arch>.deb with these in Debian's places instead, the
# kiosk account and the configuration file (deploy/debian/). The files both
# share, the desktop file and the icons, are the unnamed component.

set(QUILLORY_DEBIAN_DIR ${CMAKE_CURRENT_SOURCE_DIR}/deploy/debian)
set(QUILLORY_PACKAGING_DIR ${CMAKE_CURRENT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${QUILLORY_PACKAGING_DIR}/debian)

# The unit starts the session script where each kind of install puts it.
function(quillory_configure_unit session output)
    set(QUILLORY_SESSION ${session})
    configure_file(${CMAKE_CURRENT_SOURCE_DIR}/deploy/quillory-kiosk.service ${output} @ONLY)
endfunction()

# --- cmake --install ---------------------------------------------------------
install(TARGETS quillory RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT local)
install(FILES resources/index.htm DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT local)
install(TARGETS quillory-qtwebengine LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/quillory COMPONENT local)
quillory_configure_unit(${CMAKE_INSTALL_FULL_DATADIR}/quillory/quillory-session
                        ${QUILLORY_PACKAGING_DIR}/local/quillory-kiosk.service)
install(PROGRAMS deploy/quillory-session DESTINATION ${CMAKE_INSTALL_DATADIR}/quillory COMPONENT local)
install(FILES ${QUILLORY_PACKAGING_DIR}/local/quillory-kiosk.service deploy/10-quillory-kiosk.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quillory COMPONENT local)

# --- the Debian package (component "debian", left out of cmake --install) ----
# The About box reads index.htm from the program's own folder, which is not for
# data in /usr/bin: the program lives in /usr/lib/quillory, and /usr/bin/quillory
# links to it (the program's folder is where the link leads). Its Qt WebEngine
# plugin lies beside it.
install(TARGETS quillory RUNTIME DESTINATION /usr/lib/quillory COMPONENT debian EXCLUDE_FROM_ALL)
install(TARGETS quillory-qtwebengine LIBRARY DESTINATION /usr/lib/quillory COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES resources/index.htm DESTINATION /usr/lib/quillory COMPONENT debian EXCLUDE_FROM_ALL)
file(CREATE_LINK ../lib/quillory/quillory ${QUILLORY_PACKAGING_DIR}/debian/quillory SYMBOLIC)
install(FILES ${QUILLORY_PACKAGING_DIR}/debian/quillory DESTINATION /usr/bin COMPONENT debian EXCLUDE_FROM_ALL)
quillory_configure_unit(/usr/libexec/quillory/quillory-session
                        ${QUILLORY_PACKAGING_DIR}/debian/quillory-kiosk.service)
install(PROGRAMS deploy/quillory-session DESTINATION /usr/libexec/quillory
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${QUILLORY_PACKAGING_DIR}/debian/quillory-kiosk.service DESTINATION /lib/systemd/system
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES deploy/10-quillory-kiosk.conf DESTINATION /usr/share/X11/xorg.conf.d
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${QUILLORY_DEBIAN_DIR}/quillory.sysusers DESTINATION /usr/lib/sysusers.d RENAME quillory.conf
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${QUILLORY_DEBIAN_DIR}/quillory.tmpfiles DESTINATION /usr/lib/tmpfiles.d RENAME quillory.conf
        COMPONENT debian EXCLUDE_FROM_ALL)
# Holds the exit password: the package makes it 0640 root:kiosk once the account exists.
install(FILES ${QUILLORY_DEBIAN_DIR}/default DESTINATION /etc/default RENAME quillory
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ COMPONENT debian EXCLUDE_FROM_ALL)

set(QUILLORY_MAINTAINER "${QUILLORY_COMPANY} <packages@quillory.invalid>")
# The changelog's date is the configuring's, or SOURCE_DATE_EPOCH for a reproducible one.
string(TIMESTAMP QUILLORY_PACKAGE_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${QUILLORY_DEBIAN_DIR}/changelog.in ${QUILLORY_PACKAGING_DIR}/debian/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${QUILLORY_PACKAGING_DIR}/debian/changelog COMMAND_ERROR_IS_FATAL ANY)
configure_file(${QUILLORY_DEBIAN_DIR}/copyright ${QUILLORY_PACKAGING_DIR}/debian/copyright @ONLY)
install(FILES ${QUILLORY_PACKAGING_DIR}/debian/changelog.gz ${QUILLORY_PACKAGING_DIR}/debian/copyright README.md
        DESTINATION /usr/share/doc/quillory COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web kiosk that returns to its homepage when idle")
# CPack puts the summary first and indents these lines; a blank line is a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillory shows one web site full screen in a borderless window. Visitors
browse freely; after a set time without navigation it goes back to the
homepage. Options refuse new windows, read pages only from the cache, and
guard the way out with an exit password while task switching is locked.

The package also holds a systemd unit that runs Quillory as the whole X
session of a dedicated kiosk account from boot.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLORY_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Libraries come from the binary (dpkg-shlibdeps); these are what the linker
# cannot see: Debian's Chromium, which draws the pages, Qt WebEngine's helper
# process for the pages where Chromium is removed (its libraries are the
# plugin's, which dpkg-shlibdeps reads as well), the
# dialog's font, and what the unit and its maintainer scripts run.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "chromium, libqt6webenginecore6-bin, fonts-liberation2, xinit, systemd")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xserver-xorg, x11-xserver-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${QUILLORY_DEBIAN_DIR}/postinst ${QUILLORY_DEBIAN_DIR}/prerm ${QUILLORY_DEBIAN_DIR}/postrm
    ${QUILLORY_DEBIAN_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# One package of the program's files (the unnamed component) and the Debian ones.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified debian)
include(CPack)
