# Windows, controls, the message loop and the main-thread hand-over over USER32 and GDI32.
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/window_system_user32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_thread_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/main_thread_gate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font_choice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/display_scale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/copy_flavours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/preformatted_html.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_icon.cpp)
include(${CMAKE_CURRENT_LIST_DIR}/../shared/grid_font.cmake)
target_link_libraries(cellbrae_platform PRIVATE user32 gdi32)
