# SPDX-License-Identifier: GPL-3.0-or-later
# With ORVANE_DEBIAN_FLAGS (the preset "package"), everything is built with the flags of a
# Debian package build, as dpkg-buildflags gives them with every hardening feature
# (hardening=+all): the strong stack protector, _FORTIFY_SOURCE, format
# string checks, relro with bind-now, and position-independent executables. With
# -ffile-prefix-map the binaries do not depend on the folders they were built in.
if(NOT ORVANE_DEBIAN_FLAGS)
    return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
set(orvane_maint_options "hardening=+all $ENV{DEB_BUILD_MAINT_OPTIONS}")
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${orvane_maint_options}"
                ${DPKG_BUILDFLAGS} --get ${kind}
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        OUTPUT_VARIABLE orvane_flags OUTPUT_STRIP_TRAILING_WHITESPACE
        COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(orvane_flags UNIX_COMMAND "${orvane_flags}")
    set(orvane_${kind} ${orvane_flags})
endforeach()
# The build folder too (build/package or build/package-server), after dpkg's own map of the
# source folder so that it is the one taken: its name would change the binaries' build ids.
add_compile_options(${orvane_CPPFLAGS} ${orvane_CXXFLAGS}
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
add_link_options(${orvane_LDFLAGS})
message(STATUS "Debian build flags: ${orvane_CPPFLAGS} ${orvane_CXXFLAGS} ${orvane_LDFLAGS}")
