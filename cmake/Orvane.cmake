# SPDX-License-Identifier: GPL-3.0-or-later
# orvane_library(name SOURCES ... DEPS ...): the library orvane_<name> of src/<name>.
function(orvane_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(orvane_${name} STATIC ${ARG_SOURCES})
    target_include_directories(orvane_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(orvane_${name} PUBLIC ${ARG_DEPS})
endfunction()

# orvane_test(name SOURCES ... DEPS ... [LABELS ...]): one test program; every test case
# runs as a CTest test of its own, in a process of its own.
function(orvane_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(test_${name} ${ARG_SOURCES})
    target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} orvane_testsupport GTest::gmock GTest::gtest_main)
    set_target_properties(test_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(test_${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES TIMEOUT 120 LABELS "${name};${ARG_LABELS}")
endfunction()
