# The differential harness that the make-test driver (tests/) and the libFuzzer target (fuzz/)
# share: engine pairs of our script control and the reference interpreter, the stand-in control
# that puts the program's own document texts on a pair, the text generators and the session.
include(${PROJECT_SOURCE_DIR}/platform/mujs/reference_engine.cmake)
add_library(cellbrae_script_differential STATIC
  ${CMAKE_CURRENT_LIST_DIR}/cell_store_sequences.cpp
  ${CMAKE_CURRENT_LIST_DIR}/differential_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/differential_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/engine_pair.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_outcome.cpp
  ${CMAKE_CURRENT_LIST_DIR}/statement_shapes.cpp)
target_link_libraries(cellbrae_script_differential PUBLIC cellbrae_table cellbrae_reference_mujs)
cellbrae_warnings(cellbrae_script_differential)
