# tv_standin(NAME SOURCES...): one stand-in DLL of the maker's libraries over the simulated board,
# exporting its __stdcall entries under their undecorated names, in both builds.
function(tv_standin name)
    add_library(${name} MODULE ${ARGN})
    tv_defaults(${name} WINVER 0x0601)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE simboard)
    target_link_options(${name} PRIVATE -Wl,--kill-at)
endfunction()
