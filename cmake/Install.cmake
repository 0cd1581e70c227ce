# SPDX-License-Identifier: GPL-3.0-or-later
# Install rules in three components, one per Debian package (cmake/Package.cmake):
#   window  the administration window: orvane, its man page, desktop entry, AppStream
#           metainfo and icon
#   server  orvane-server and orvane-db, their man pages, the systemd units and generator,
#           /etc/default
#   doc     the README and the description of the file format, compressed, for both
# Each package has its copyright and changelog in /usr/share/doc/<package>.
# Without Qt (-DORVANE_GUI=OFF) the window component is not there.

set(ORVANE_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE STRING
    "Folder of the systemd units, relative to the install prefix or absolute")
set(ORVANE_SYSTEMD_GENERATOR_DIR "lib/systemd/system-generators" CACHE STRING
    "Folder of the systemd generators, relative to the install prefix or absolute")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${CMAKE_BINARY_DIR}/staged)

# Installs FILE compressed as NAME.gz (gzip -9n: no name or time inside, the same bytes at
# every build), as Debian wants man pages and documents over 4 KiB.
function(orvane_install_gzip file name destination component)
    set(compressed ${staged}/gz/${component}/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/gz/${component}
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${file} ${compressed}
        DEPENDS ${file}
        VERBATIM)
    string(MAKE_C_IDENTIFIER "gz-${component}-${name}" target)
    add_custom_target(${target} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${destination} COMPONENT ${component})
endfunction()

# The man page's header carries the version and the date of this build.
function(orvane_man_page page section component)
    configure_file(${packaging}/man/${page}.${section}.in ${staged}/man/${page}.${section} @ONLY)
    orvane_install_gzip(${staged}/man/${page}.${section} ${page}.${section}
                        ${CMAKE_INSTALL_MANDIR}/man${section} ${component})
endfunction()

# /usr/share/doc/<package>: the machine-readable copyright and the changelog.
function(orvane_package_docs package component)
    set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
    install(FILES ${packaging}/debian/copyright DESTINATION ${doc} COMPONENT ${component})
    orvane_install_gzip(${staged}/changelog changelog ${doc} ${component})
endfunction()

include(${PROJECT_SOURCE_DIR}/cmake/Changelog.cmake)
orvane_write_changelog(${staged}/changelog)

orvane_package_docs(orvane-doc doc)
foreach(document README.md docs/file-format.md docs/net-semantics.md docs/results-format.md)
    get_filename_component(name ${document} NAME)
    orvane_install_gzip(${PROJECT_SOURCE_DIR}/${document} ${name}
                        ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane-doc doc)
endforeach()

if(TARGET orvane)
    install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
    orvane_man_page(orvane 1 window)
    install(FILES ${packaging}/orvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT window)
    install(FILES ${packaging}/orvane.svg
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT window)
    # Named after its component id, a reversed domain of the maintainers' address.
    set(metainfo example.c_seed_fbe8450a.orvane.metainfo.xml)
    configure_file(${packaging}/orvane.metainfo.xml.in ${staged}/${metainfo} @ONLY)
    install(FILES ${staged}/${metainfo}
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT window)
    orvane_package_docs(orvane window)
endif()

install(TARGETS orvane-server orvane-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT server)
orvane_man_page(orvane-server 8 server)
orvane_man_page(orvane-db 1 server)
orvane_package_docs(orvane-server server)

# The units name the installed program and the configuration folder of this prefix.
foreach(unit orvane-server.service orvane-server@.service)
    configure_file(${packaging}/systemd/${unit}.in ${staged}/systemd/${unit} @ONLY)
    install(FILES ${staged}/systemd/${unit} DESTINATION ${ORVANE_SYSTEMD_UNIT_DIR}
            COMPONENT server)
endforeach()
install(PROGRAMS ${packaging}/systemd/orvane-server-generator
        DESTINATION ${ORVANE_SYSTEMD_GENERATOR_DIR} COMPONENT server)
install(FILES ${packaging}/default/orvane-server
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default COMPONENT server)
install(FILES ${packaging}/default/orvane-server-course
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane-server/examples COMPONENT server)
