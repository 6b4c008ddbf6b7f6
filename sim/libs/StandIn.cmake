# tv_standin(NAME SOURCES...): one stand-in DLL of the maker's libraries over the simulated board,
# exporting its __stdcall entries under their undecorated names, in both builds.
function(tv_standin name)
    add_library(${name} MODULE ${ARGN})
    tv_defaults(${name} WINVER 0x0601)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE simboard)
    target_link_options(${name} PRIVATE -Wl,--kill-at)
endfunction()

# tv_ordinal_standin(NAME SOURCE DEF_TEMPLATE): a stand-in exported by ordinal only. The .def
# template names the internal symbols with @AT0@/@AT4@/@AT8@ for the decoration that the i686
# build gives a __stdcall entry with 0, 4 or 8 bytes of arguments.
function(tv_ordinal_standin name source template)
    if(TV_ARCH STREQUAL "i686")
        set(AT0 "@0")
        set(AT4 "@4")
        set(AT8 "@8")
    else()
        set(AT0 "")
        set(AT4 "")
        set(AT8 "")
    endif()
    get_filename_component(def ${template} NAME_WE)
    configure_file(${template} ${CMAKE_CURRENT_BINARY_DIR}/${def}.def @ONLY)
    tv_standin(${name} ${source} ${CMAKE_CURRENT_BINARY_DIR}/${def}.def)
endfunction()
