# SPDX-License-Identifier: GPL-3.0-or-later
# The changelog of the Debian packages (/usr/share/doc/<package>/changelog.gz), in Debian's
# format, made from git: one entry per commit of the branch's first-parent line, the newest
# 30, each with the version that commit's packages carry. An unpacked source without git gets
# one entry for its own version.

set(ORVANE_MAINTAINER "Orvane developers <maintainers@users.noreply.c-seed-fbe8450a.example>")
set(orvane_changelog_entries 30)

# Appends one entry; the text is wrapped at 76 columns below its "  * ".
function(orvane_changelog_entry output version date text)
    string(REGEX REPLACE "[ \t]+" ";" words "${text}")
    set(lines "")
    set(line "")
    foreach(word IN LISTS words)
        string(LENGTH "${line} ${word}" length)
        if(line STREQUAL "")
            set(line "${word}")
        elseif(length GREATER 72)
            string(APPEND lines "${line}\n    ")
            set(line "${word}")
        else()
            string(APPEND line " ${word}")
        endif()
    endforeach()
    set(entry "orvane (${version}) unstable; urgency=medium\n\n  * ${lines}${line}\n\n")
    string(APPEND entry " -- ${ORVANE_MAINTAINER}  ${date}\n\n")
    set(${output} "${${output}}${entry}" PARENT_SCOPE)
endfunction()

function(orvane_write_changelog path)
    set(changelog "")
    set(log "")
    if(orvane_commits AND NOT ORVANE_VERSION_GIVEN)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C TZ=UTC
                    ${GIT_EXECUTABLE} log --first-parent -${orvane_changelog_entries}
                    "--date=format-local:%a, %d %b %Y %H:%M:%S +0000"
                    "--format=%h%x09%ct%x09%cd%x09%s"
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE log OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    # A list of lines; the subjects' own semicolons stand aside until the end.
    string(REPLACE ";" "<semicolon>" log "${log}")
    string(REPLACE "\n" ";" log "${log}")
    # Each entry must be dated after the one below it: of commits made within one second (a
    # rebase), only the newest has an entry.
    set(newer "")
    foreach(line IN LISTS log)
        string(REGEX MATCH "^([^\t]+)\t([0-9]+)\t([^\t]+)\t(.*)$" fields "${line}")
        if(newer STREQUAL "" OR CMAKE_MATCH_2 LESS newer)
            set(newer ${CMAKE_MATCH_2})
            set(date "${CMAKE_MATCH_3}")
            set(subject "${CMAKE_MATCH_4}")
            orvane_git(count rev-list --count ${CMAKE_MATCH_1})
            orvane_changelog_entry(changelog "${PROJECT_VERSION}+${count}.g${CMAKE_MATCH_1}"
                                   "${date}" "${subject}")
        endif()
    endforeach()
    if(changelog STREQUAL "")
        string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
        orvane_changelog_entry(changelog "${ORVANE_VERSION}" "${date}"
                               "Built from a source without its git history.")
    endif()
    string(STRIP "${changelog}" changelog)
    string(REPLACE "<semicolon>" ";" changelog "${changelog}")
    # Written only when it changes, so that an unchanged changelog is not compressed again.
    file(WRITE ${path}.new "${changelog}\n")
    configure_file(${path}.new ${path} COPYONLY)
endfunction()
