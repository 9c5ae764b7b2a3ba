# Warnings for our own targets only, never for what they include.
function(quillmark_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                           -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
                           -Wconversion -Wno-sign-conversion)
    if(QUILLMARK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# quillmark_add_test(NAME SOURCES ... LIBS ... [NO_GTEST_MAIN] [LABELS label])
# Tests labelled "threads" are also built by the target threaded_tests.
function(quillmark_add_test name)
    cmake_parse_arguments(ARG "NO_GTEST_MAIN;SERIAL" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
    if(NOT ARG_NO_GTEST_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    quillmark_warnings(${name})
    # One label a test, and no other list: discovered tests lose the
    # separators of a list (what every test needs is set for all of them
    # in cmake/TestEnvironment.cmake.in).
    set(properties LABELS "${ARG_LABELS}")
    # SERIAL: tests that start whole copies of the program and time their
    # signals run alone, never beside the rest of a parallel run.
    if(ARG_SERIAL)
        list(APPEND properties RUN_SERIAL TRUE)
    endif()
    if(ARG_LABELS STREQUAL "threads")
        set_property(GLOBAL APPEND PROPERTY QUILLMARK_THREADED_TESTS ${name})
    endif()
    # Under a sanitizer the tests are listed when ctest starts, with the
    # sanitizers' options set (cmake/TestEnvironment.cmake.in), not at build
    # time without them.
    if(QUILLMARK_SANITIZE)
        set(discovery DISCOVERY_MODE PRE_TEST)
    else()
        set(discovery DISCOVERY_MODE POST_BUILD)
    endif()
    gtest_discover_tests(${name} ${discovery} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# quillmark_add_fuzzer(NAME SOURCES ... LIBS ... CORPUS dir)
# Always builds NAME-replay, which runs the committed inputs as a test; with
# QUILLMARK_FUZZ also NAME, a libFuzzer binary, which the target `fuzzers`
# builds with the others.
function(quillmark_add_fuzzer name)
    cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
    add_executable(${name}-replay ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_link_libraries(${name}-replay PRIVATE ${ARG_LIBS})
    quillmark_warnings(${name}-replay)
    if(QUILLMARK_TESTS)
        add_test(NAME ${name}-replay COMMAND ${name}-replay ${ARG_CORPUS})
        set_tests_properties(${name}-replay PROPERTIES LABELS "fuzz")
    endif()
    if(QUILLMARK_FUZZ)
        add_executable(${name} ${ARG_SOURCES})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS})
        set_property(GLOBAL APPEND PROPERTY QUILLMARK_FUZZERS ${name})
    endif()
endfunction()
