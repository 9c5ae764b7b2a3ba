# Installs Tintora from the build tree into a fresh prefix, builds the example
# under tintora/examples/ against that prefix's package config alone, runs
# it, and checks what it prints for a click on each tab.
#   cmake -DBUILD_TREE=... -DSOURCE_DIR=... -DWORK=... [-DSANITIZE=...] -P BuildExample.cmake
file(REMOVE_RECURSE "${WORK}")
set(prefix "${WORK}/prefix")
set(example "${WORK}/example")

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${ARGN}\n${out}\n${err}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

run("${CMAKE_COMMAND}" --install "${BUILD_TREE}" --component Tintora --prefix "${prefix}")
# A library built with sanitizers needs their run-time in the program too.
set(flags)
if(SANITIZE)
    list(APPEND flags "-DCMAKE_CXX_FLAGS=-fsanitize=${SANITIZE}"
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=${SANITIZE}")
endif()
run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tintora/examples/colourpick" -B "${example}" -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF ${flags})
run("${CMAKE_COMMAND}" --build "${example}")

# Cell 5 of the basic grid is blue (0x00BBGGRR); column 13, row 178 of the field is
# (155, 31, 0).
foreach(case "0;125,3;ColorChange 0xFF0000" "1;13,178;ColorChange 0x001F9B")
    list(GET case 0 tab)
    list(GET case 1 point)
    list(GET case 2 expected)
    run("${example}/colourpick" --tab ${tab} --click ${point})
    if(NOT output MATCHES "${expected}")
        message(FATAL_ERROR "tab ${tab}, click ${point}: expected \"${expected}\", got \"${output}\"")
    endif()
    message(STATUS "tab ${tab}, click ${point}: ${output}")
endforeach()
