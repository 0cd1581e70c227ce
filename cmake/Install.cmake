# Install rules in two components, one per Debian package (cmake/Package.cmake):
#   window  the administration window: orvane, its man page, desktop entry and icon
#   server  orvane-server and orvane-db, their man pages, the systemd units, /etc/default
# Without Qt (-DORVANE_GUI=OFF) only the server component is there.

set(ORVANE_SYSTEMD_UNIT_DIR "lib/systemd/system" CACHE STRING
    "Folder of the systemd units, relative to the install prefix or absolute")
set(packaging ${PROJECT_SOURCE_DIR}/packaging)

# Man pages are installed compressed, as Debian wants them.
function(orvane_man_page page section component)
    set(compressed ${CMAKE_BINARY_DIR}/man/${page}.${section}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" gzip ${packaging}/man/${page}.${section}
                ${compressed}
        DEPENDS ${packaging}/man/${page}.${section}
        VERBATIM)
    add_custom_target(man-${page} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section}
            COMPONENT ${component})
endfunction()

function(orvane_docs package component)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/file-format.md
                  ${PROJECT_SOURCE_DIR}/docs/net-semantics.md
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package} COMPONENT ${component})
endfunction()

if(TARGET orvane)
    install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT window)
    orvane_man_page(orvane 1 window)
    install(FILES ${packaging}/orvane.desktop
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT window)
    install(FILES ${packaging}/orvane.svg
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT window)
    orvane_docs(orvane window)
endif()

install(TARGETS orvane-server orvane-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT server)
orvane_man_page(orvane-server 8 server)
orvane_man_page(orvane-db 1 server)
orvane_docs(orvane-server server)

# The units name the installed program and the configuration folder of this prefix.
foreach(unit orvane-server.service orvane-server@.service)
    configure_file(${packaging}/systemd/${unit}.in ${CMAKE_BINARY_DIR}/systemd/${unit} @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/systemd/${unit} DESTINATION ${ORVANE_SYSTEMD_UNIT_DIR}
            COMPONENT server)
endforeach()
install(FILES ${packaging}/default/orvane-server
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/default COMPONENT server)
install(FILES ${packaging}/default/orvane-server-course
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvane-server/examples COMPONENT server)
