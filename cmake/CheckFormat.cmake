# Fails when a C++ source file of the project is not formatted as .clang-format says.
# cmake -DCLANG_FORMAT=clang-format -DSOURCE_DIR=... -P CheckFormat.cmake
execute_process(COMMAND git ls-files -- "*.h" "*.cpp"
    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE files RESULT_VARIABLE listed
    OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT listed EQUAL 0 OR files STREQUAL "")
    file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
    list(FILTER files EXCLUDE REGEX "^build")
else()
    string(REPLACE "\n" ";" files "${files}")
endif()
list(LENGTH files count)
if(count EQUAL 0)
    message(FATAL_ERROR "no source files found under ${SOURCE_DIR}")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
    WORKING_DIRECTORY ${SOURCE_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "files above are not formatted: run clang-format -i on them")
endif()
message(STATUS "${count} files formatted")
