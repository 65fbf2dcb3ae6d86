# The object layer over the system's COM and OLE Automation (ole32, oleaut32). The script
# control is the one the system registers under its ProgID, reached through a class of ours
# that takes its Eval to the engine's global eval; nothing here embeds an interpreter.
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/class_dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/object_system_ole.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ole_variant.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_control_ole.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/class_registry.cpp)
target_link_libraries(cellbrae_platform PUBLIC ole32 oleaut32 uuid)
