# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages (cpack -G DEB, see scripts/package), one per install component:
#   orvane         the administration window; needs the Qt 6 runtime
#   orvane-server  orvane-server and orvane-db with the systemd units; no Qt at all
#   orvane-doc     the README and the file format, for both
# Library dependencies come from the binaries (dpkg-shlibdeps). The files' times in the
# packages are the commit's (SOURCE_DATE_EPOCH, cmake/Version.cmake), so two builds of one
# commit give the same packages.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "Orvane developers")
set(CPACK_PACKAGE_CONTACT "${ORVANE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${ORVANE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# cpack runs apart from cmake: it takes the commit's time from a file of its own.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake
     CONTENT "set(ENV{SOURCE_DATE_EPOCH} ${ORVANE_SOURCE_DATE_EPOCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackProjectConfig.cmake)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL server doc)
if(TARGET orvane)
    list(APPEND CPACK_COMPONENTS_ALL window)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SOURCE orvane)

set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME orvane)
set(CPACK_DEBIAN_WINDOW_PACKAGE_SECTION education)
# The window needs a platform plugin (xcb, wayland) beside the Qt libraries it links.
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own texts (the buttons of message boxes, the menus of fields, the file dialogs) in
# Slovak; without them they stay English.
set(CPACK_DEBIAN_WINDOW_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# Suggested only: the window has remote access of its own on the same port.
set(CPACK_DEBIAN_WINDOW_PACKAGE_SUGGESTS "orvane-server, orvane-doc")
set(CPACK_COMPONENT_WINDOW_DESCRIPTION
"administration window of the Orvane Petri-net examination server
Orvane is the server side of a Petri-net examination system. Its window
(in Slovak) manages the student and teacher accounts, shows each user's
tests and questions, generates one random test per student from a question
pool, and switches on remote access for the client programs on TCP port
20248. It works on the files userdb, testdb and quesdb of the folder it is
started in.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME orvane-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser")
set(CPACK_DEBIAN_SERVER_PACKAGE_SUGGESTS "orvane-doc")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/packaging/debian/conffiles
    ${PROJECT_SOURCE_DIR}/packaging/debian/postinst
    ${PROJECT_SOURCE_DIR}/packaging/debian/prerm
    ${PROJECT_SOURCE_DIR}/packaging/debian/postrm)
set(CPACK_COMPONENT_SERVER_DESCRIPTION
"Orvane Petri-net examination server, without a desktop
orvane-server lets the students' and teachers' client programs of the
Petri-net examination system log in on TCP port 20248, download the
database files and upload changed ones. It runs as the systemd service
orvane-server (user orvane, data in /var/lib/orvane), or once per course
as orvane-server@COURSE. orvane-db turns the database files into JSON and
back.")

set(CPACK_DEBIAN_DOC_PACKAGE_NAME orvane-doc)
set(CPACK_DEBIAN_DOC_PACKAGE_SECTION doc)
set(CPACK_DEBIAN_DOC_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DOC_PACKAGE_SHLIBDEPS OFF)
set(CPACK_COMPONENT_DOC_DESCRIPTION
"documentation of the Orvane Petri-net examination server
Orvane is the server side of a Petri-net examination system: an
administration window (package orvane) and a headless server for the
client programs (package orvane-server). This package holds its README
(the window, the server, running it as a systemd service, an exam from
start to finish) and the byte-level description of its database files.")

include(CPack)
