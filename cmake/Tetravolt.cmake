# Shared build rules: warnings, static runtime, Windows version, test registration.

# Product code targets Windows XP and looks newer entry points up at run time.
set(TV_WINVER 0x0501)

# The flags every output of ours is built with, also outside CMake's targets (the driver setup
# program of the other bitness, drvsetup/CMakeLists.txt).
# __FILE__ relative to the source tree, so assertion messages name the source unit; also when a
# compiler cache with a base folder hands the compiler relative paths.
file(RELATIVE_PATH to_source ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
string(REGEX REPLACE "/$" "" to_source "${to_source}")
set(TV_COMPILE_OPTIONS -Wall -Wextra
    -fmacro-prefix-map=${PROJECT_SOURCE_DIR}/= -fmacro-prefix-map=${to_source}/=)
# No MinGW runtime DLL may be needed beside any output. Sections aligned to pages in the file
# too: a loader can then map an image straight from its file instead of copying it, code, pictures
# and debug information, into private memory, as Wine does with the 512-byte default.
set(TV_LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,--file-alignment,4096)

# tv_definitions(out winver): the preprocessor definitions for a Windows version.
function(tv_definitions out winver)
    set(${out} WIN32_LEAN_AND_MEAN NOMINMAX STRICT _WIN32_WINNT=${winver} WINVER=${winver}
        PARENT_SCOPE)
endfunction()

# tv_defaults(target [WINVER value])
function(tv_defaults target)
    cmake_parse_arguments(D "" "WINVER" "" ${ARGN})
    if(NOT D_WINVER)
        set(D_WINVER ${TV_WINVER})
    endif()
    target_compile_options(${target} PRIVATE ${TV_COMPILE_OPTIONS})
    tv_definitions(definitions ${D_WINVER})
    target_compile_definitions(${target} PRIVATE ${definitions})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
        target_link_options(${target} PRIVATE ${TV_LINK_OPTIONS})
    endif()
    if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
        # Stand-ins and real DLLs carry their Windows names, without a "lib" prefix.
        set_target_properties(${target} PROPERTIES PREFIX "" IMPORT_PREFIX "")
    endif()
endfunction()

# tv_add_test(NAME name SOURCES ... [LIBS ...] [TIMEOUT seconds] [SERIAL])
# One test program in the stage, registered with CTest as one test run through Wine.
function(tv_add_test)
    cmake_parse_arguments(T "SERIAL" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    # Tests may use newer entry points directly to observe the program.
    tv_defaults(${T_NAME} WINVER 0x0601)
    target_link_libraries(${T_NAME} PRIVATE tv_testsupport ${T_LIBS})
    target_precompile_headers(${T_NAME} REUSE_FROM tv_testsupport)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${TV_STAGE})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    # Test programs share the prefix's registry, the simulated board and the machine-wide pipe
    # names, so none may overlap another, also under "ctest -j"; SERIAL ones (CPU load, timing)
    # moreover run with nothing else at all.
    set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK wine-prefix)
    if(T_SERIAL)
        set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
    endif()
endfunction()

# tv_add_bench(NAME name SOURCES ... [LIBS ...])
# A benchmark program in the stage, named bench_<name>.exe; ./dev bench runs them all.
function(tv_add_bench)
    cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(bench_${B_NAME} ${B_SOURCES})
    tv_defaults(bench_${B_NAME} WINVER 0x0601)
    target_include_directories(bench_${B_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(bench_${B_NAME} PRIVATE ${B_LIBS})
endfunction()
