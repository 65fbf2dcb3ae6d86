# The grid font (platform/shared/grid_font.h), generated into the build tree from Debian's
# Noto Sans CJK (fonts-noto-cjk) with Debian's fontTools (python3-fonttools), and built into
# the platform library. Included by the window backends that draw with it.
find_program(CELLBRAE_DEBIAN_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
set(CELLBRAE_NOTO_CJK /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc CACHE FILEPATH
  "Noto Sans CJK collection the grid font is derived from")
if(NOT CELLBRAE_DEBIAN_PYTHON OR NOT EXISTS ${CELLBRAE_NOTO_CJK})
  message(FATAL_ERROR "The output box's grid font is made from ${CELLBRAE_NOTO_CJK} with Debian's "
    "python3 and fontTools: apt-get install fonts-noto-cjk python3-fonttools (make does this).")
endif()
set(CELLBRAE_GRID_FONT ${CMAKE_BINARY_DIR}/fonts/CellbraeGrid-Regular.otf)
add_custom_command(OUTPUT ${CELLBRAE_GRID_FONT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fonts
  COMMAND ${CELLBRAE_DEBIAN_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/make_grid_font.py ${CELLBRAE_NOTO_CJK} ${CELLBRAE_GRID_FONT}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/make_grid_font.py ${CELLBRAE_NOTO_CJK}
  COMMENT "Deriving the grid font from Noto Sans Mono CJK SC")
add_custom_target(cellbrae_grid_font DEPENDS ${CELLBRAE_GRID_FONT})

# PE files keep read-only data in .rdata, ELF files in .rodata.
if(WIN32)
  set(grid_font_section ".section .rdata,\\\"dr\\\"")
else()
  set(grid_font_section ".section .rodata")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/grid_font_file.h CONTENT
"#define CELLBRAE_GRID_FONT_FILE \"${CELLBRAE_GRID_FONT}\"
#define CELLBRAE_GRID_FONT_SECTION \"${grid_font_section}\"
")
target_sources(cellbrae_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/grid_font.cpp)
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/grid_font.cpp PROPERTIES
  OBJECT_DEPENDS ${CELLBRAE_GRID_FONT}
  INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated)
add_dependencies(cellbrae_platform cellbrae_grid_font)
