# Windows, controls, the message loop and the main-thread hand-over over Qt 6 Widgets.
# Qt stays private to the platform library: no layer above sees its headers.
find_package(Qt6 REQUIRED COMPONENTS Widgets)
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_system_qt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_box.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/copy_flavours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/preformatted_html.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_thread_receiver.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/main_thread_gate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font_mapping.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/../shared/grid_font.cmake)
target_link_libraries(cellbrae_platform PRIVATE Qt6::Widgets)
