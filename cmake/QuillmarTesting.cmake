# quillmar_add_test(NAME SOURCES... LIBS... [PROPERTIES...]): a GoogleTest program registered with CTest;
# PROPERTIES are set on each of its tests besides the time-out (a fixture, an environment).
# Cross builds run it through Wine (CMAKE_CROSSCOMPILING_EMULATOR), so discovery happens at test time.
# Tests defined while QUILLMAR_TEST_RESOURCE_LOCK is set share that lock and never run at the same time
# (Windows GUI tests compete for the one foreground window of the Wine desktop).
function(quillmar_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
    set(lock)
    if(QUILLMAR_TEST_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${QUILLMAR_TEST_RESOURCE_LOCK})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    if(CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ${lock} ${ARG_PROPERTIES})
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 120 ${ARG_PROPERTIES})
    endif()
endfunction()
