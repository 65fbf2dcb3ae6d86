# The script control over Duktape (Debian duktape-dev): an ES5 interpreter whose objects keep
# their members in insertion order, as the documents' JSON text needs.
find_package(PkgConfig REQUIRED)
pkg_check_modules(DUKTAPE REQUIRED IMPORTED_TARGET duktape)
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/script_control_duktape.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_text.cpp)
target_link_libraries(cellbrae_platform PRIVATE PkgConfig::DUKTAPE)
