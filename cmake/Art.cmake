# The skin's pictures, generated from assets/art at build time (artgen.py: SVG through
# rsvg-convert, packed as BMP, PNG and ICO). The pictures are made once into a folder shared by
# the targets' build trees (renders are cached by content, so only changed sources are drawn
# again); each build links the forms' bitmaps as resources (tv_skin_art) and copies the data
# files into its stage's Resource folder.

# tomllib needs Python 3.11: Debian's own python3, ahead of any other on the path.
find_program(TV_PYTHON3 NAMES python3 HINTS /usr/bin NO_DEFAULT_PATH)
find_program(TV_PYTHON3 NAMES python3 REQUIRED)
get_filename_component(tv_build_root ${CMAKE_BINARY_DIR} DIRECTORY)
set(TV_ART_DIR ${tv_build_root}/art CACHE PATH "Generated skin pictures, shared by the targets")

set(tv_art_src ${PROJECT_SOURCE_DIR}/assets/art)
file(GLOB_RECURSE tv_art_sources CONFIGURE_DEPENDS
     ${tv_art_src}/*.svg ${tv_art_src}/*.toml ${tv_art_src}/*.py ${tv_art_src}/*.h)
set(tv_art_rc ${CMAKE_BINARY_DIR}/art/SkinArt.rc)
set(tv_art_stamp ${CMAKE_BINARY_DIR}/art/artgen.stamp)
add_custom_command(
    OUTPUT ${tv_art_stamp}
    BYPRODUCTS ${tv_art_rc}
    COMMAND ${TV_PYTHON3} ${tv_art_src}/artgen.py build --out ${TV_ART_DIR} --stage ${TV_STAGE}
            --rc ${tv_art_rc}
    COMMAND ${CMAKE_COMMAND} -E touch ${tv_art_stamp}
    DEPENDS ${tv_art_sources}
    COMMENT "Skin pictures"
    VERBATIM)
add_custom_target(tv_art ALL DEPENDS ${tv_art_stamp})

# The forms' design-time bitmaps, linked into whatever needs them; names in assets/art/SkinArt.h.
add_library(tv_skin_art OBJECT ${tv_art_rc})
set_source_files_properties(${tv_art_rc} PROPERTIES GENERATED TRUE OBJECT_DEPENDS ${tv_art_stamp})
add_dependencies(tv_skin_art tv_art)
target_include_directories(tv_skin_art INTERFACE ${PROJECT_SOURCE_DIR})
