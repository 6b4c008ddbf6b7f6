# The product's one version number lives in cmake/Version ("MAJOR.MINOR.PATCH"). The programs'
# version resources, the setup files and their uninstall entries all take it from here.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/Version TV_VERSION LIMIT_COUNT 1 REGEX "^[0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT TV_VERSION)
    message(FATAL_ERROR "cmake/Version must hold one line MAJOR.MINOR.PATCH")
endif()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/Version)
# Windows version resources and installers want four numbers.
set(TV_VERSION4 ${TV_VERSION}.0)
string(REPLACE "." "," TV_VERSION_COMMAS ${TV_VERSION4})
set(TV_PRODUCT_NAME "Tetravolt")
set(TV_PUBLISHER "KALDO")
set(TV_VERSION_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/VersionInfo.rc.in)

# tv_version_rc(OUT_VAR FILE_NAME DESCRIPTION): writes the VERSIONINFO script of one program or
# library (FILE_NAME as delivered, e.g. "tetravolt.exe") and names it in OUT_VAR.
function(tv_version_rc out_var file_name description)
    if(file_name MATCHES "\\.[dD][lL][lL]$")
        set(TV_FILE_TYPE VFT_DLL)
    else()
        set(TV_FILE_TYPE VFT_APP)
    endif()
    set(TV_FILE_NAME ${file_name})
    get_filename_component(TV_INTERNAL_NAME ${file_name} NAME_WE)
    set(TV_DESCRIPTION ${description})
    set(rc ${CMAKE_BINARY_DIR}/version/${file_name}.rc)
    configure_file(${TV_VERSION_TEMPLATE} ${rc} @ONLY)
    set(${out_var} ${rc} PARENT_SCOPE)
endfunction()

# tv_version_resource(TARGET DESCRIPTION): the product version in the target's VERSIONINFO.
function(tv_version_resource target description)
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
        set(name ${target})
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        set(name ${name}.exe)
    else()
        set(name ${name}.dll)
    endif()
    tv_version_rc(rc ${name} "${description}")
    target_sources(${target} PRIVATE ${rc})
endfunction()

# tv_version_object(OUT_VAR FILE_NAME DESCRIPTION WINDRES): the same resource compiled to an object
# by the given windres, for programs built outside CMake's own rules (the other bitness).
function(tv_version_object out_var file_name description windres)
    tv_version_rc(rc ${file_name} "${description}")
    set(object ${rc}.obj)
    add_custom_command(OUTPUT ${object}
        COMMAND ${windres} -O coff -i ${rc} -o ${object}
        DEPENDS ${rc}
        VERBATIM)
    set(${out_var} ${object} PARENT_SCOPE)
endfunction()
