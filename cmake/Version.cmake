# SPDX-License-Identifier: GPL-3.0-or-later
# ORVANE_VERSION: the version that --version, the About window, the man pages and the Debian
# packages show. In a git checkout it is PROJECT_VERSION + "+" + the number of commits + ".g" +
# the commit ("1.1.0+214.g50853fe"), so that every commit's packages sort after the previous
# commit's and apt upgrades them. An unpacked source without git gets PROJECT_VERSION; a
# distributor may give any version with -DORVANE_VERSION=....
#
# ORVANE_SOURCE_DATE_EPOCH: the commit's time (or SOURCE_DATE_EPOCH from the environment, or
# the time of CMakeLists.txt): the date of the man pages and the time stamps in the packages,
# so that two builds of one commit give the same bytes.

find_package(Git QUIET)

function(orvane_git output)
    execute_process(COMMAND ${GIT_EXECUTABLE} ${ARGN}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE text OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
        set(text "")
    endif()
    set(${output} "${text}" PARENT_SCOPE)
endfunction()

set(orvane_commits "")
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
    orvane_git(orvane_commits rev-list --count HEAD)
    orvane_git(orvane_commit rev-parse --short=7 HEAD)
    orvane_git(orvane_commit_time log -1 --format=%ct)
    # A new commit or another checkout configures again, so the version follows it.
    orvane_git(orvane_head_file rev-parse --path-format=absolute --git-path HEAD)
    orvane_git(orvane_branch rev-parse --symbolic-full-name HEAD)
    set(orvane_watched ${orvane_head_file})
    if(orvane_branch MATCHES "^refs/")
        orvane_git(orvane_ref_file rev-parse --path-format=absolute --git-path ${orvane_branch})
        orvane_git(orvane_packed_refs rev-parse --path-format=absolute --git-path packed-refs)
        foreach(file ${orvane_ref_file} ${orvane_packed_refs})
            if(EXISTS ${file})
                list(APPEND orvane_watched ${file})
            endif()
        endforeach()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${orvane_watched})
endif()

set(ORVANE_VERSION_GIVEN OFF)
if(DEFINED ORVANE_VERSION)
    set(ORVANE_VERSION_GIVEN ON)
else()
    if(orvane_commits MATCHES "^[0-9]+$" AND orvane_commit)
        set(ORVANE_VERSION "${PROJECT_VERSION}+${orvane_commits}.g${orvane_commit}")
    else()
        set(ORVANE_VERSION "${PROJECT_VERSION}")
    endif()
endif()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(ORVANE_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
elseif(orvane_commit_time MATCHES "^[0-9]+$")
    set(ORVANE_SOURCE_DATE_EPOCH ${orvane_commit_time})
else()
    file(TIMESTAMP ${PROJECT_SOURCE_DIR}/CMakeLists.txt ORVANE_SOURCE_DATE_EPOCH "%s" UTC)
endif()
# string(TIMESTAMP) and CPack take the time from here.
set(ENV{SOURCE_DATE_EPOCH} ${ORVANE_SOURCE_DATE_EPOCH})
string(TIMESTAMP ORVANE_DATE "%Y-%m-%d" UTC)
message(STATUS "Orvane ${ORVANE_VERSION} of ${ORVANE_DATE}")

# Gives the version to the sources that print it, as ORVANE_VERSION="...". Only those files
# are compiled again when the version changes with a commit.
function(orvane_version_in)
    set_property(SOURCE ${ARGN} APPEND PROPERTY COMPILE_DEFINITIONS
                 ORVANE_VERSION="${ORVANE_VERSION}")
endfunction()
